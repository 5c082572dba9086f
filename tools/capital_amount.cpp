// jsjxc_capital: prints the Chinese capital form of each amount read on standard input, one line
// each, as the sales slip prints its total (an empty line where there is none). The messages a bad
// character gives in the program go to standard error.
#include "printing/capitalamount.h"

#include <QStringList>
#include <iostream>
#include <string>

int main() {
    std::ios::sync_with_stdio(false);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const QString amount = QString::fromUtf8(line.data(), qsizetype(line.size()));
        const capital::Conversion conversion = capital::convert(amount);
        for (const QString &message : capital::messages(conversion))
            std::cerr << message.toStdString() << '\n';
        std::cout << conversion.text.toStdString() << '\n';
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}
