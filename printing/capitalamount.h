#pragma once
// The total of a sales slip in Chinese capital numerals (大写), the form financial papers use so that
// nobody can alter the figure: "36" → "叁拾陆元整", "10.05" → "壹拾元零伍分". Texts in, text out.
#include <QString>
#include <optional>

namespace capital {

struct Conversion {
    QString text; // the capital text; empty after a bad character and for a zero amount
    // The code of the first character that is neither a digit nor "." (44 for ","), when there is one;
    // a "-" anywhere but in front is one (45).
    std::optional<int> badCharacter;
};

// Converts an amount written with digits and at most one decimal point, as the slip shows its total;
// a leading "-" (a return ticket) gives "负" before the capitals of the amount.
// The cents are taken from the text itself (1.05 is 105 cents, never 104); digits after the second
// decimal are dropped. Amounts of more than 28 digits before the point give the empty text.
Conversion convert(const QString &amount);

// What is shown for a bad character, in order: its code, then "读取错误，应为数字".
QStringList messages(const Conversion &conversion);

} // namespace capital
