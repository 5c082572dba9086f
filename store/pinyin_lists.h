#pragma once
// The 23 initials lists that the pinyin initials search for characters outside the code-range table.
// The data is generated (store/pinyin_lists.cpp, by tools/gen_pinyin_lists.py).
#include <QByteArrayView>
#include <array>

struct InitialsList {
    char letter;         // a small letter; the lists come in letter order
    QByteArrayView text; // GBK: two-byte characters, each followed by one blank
};

extern const std::array<InitialsList, 23> kInitialsLists;
