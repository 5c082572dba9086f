// jsjxc_pinyin: prints the pinyin initials of each UTF-8 line read on standard input, one line each,
// as the goods rows store them (for checking names by hand or from scripts).
#include "store/pinyin.h"

#include <iostream>
#include <string>

int main() {
    std::ios::sync_with_stdio(false);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const QString text = QString::fromUtf8(line.data(), qsizetype(line.size()));
        std::cout << pinyinInitials(text).toStdString() << '\n';
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}
