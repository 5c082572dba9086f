#pragma once
// Number texts as the entry fields and the stored figures use them.
#include <QString>
#include <optional>

namespace num {
// General number format: at most 15 significant digits, no grouping, no trailing zeros ("86", "0.3").
QString general(double value);
// A sum in the general format, to 12 significant digits: the figures it adds carry binary errors in
// their last places (a profit of 21.9 is stored as 21.899999999999999), and thousands of them bring
// those up into the 15 digits the general format shows (2188521.80000001). Sums of 1e11 and more keep
// the general format.
QString generalTotal(double value);
// Two decimals always: "0.00".
QString fixed2(double value);
// Display formats of the grids: up to three or two decimals, trailing zeros dropped ("#0.###", "#0.##").
QString display3(double value);
QString display2(double value);
// Parses the text of a numeric entry field (blanks around it allowed). Empty text, a lone "." or any
// other text that is not a number gives nothing: callers report it and write nothing.
std::optional<double> parse(const QString &text);
// What a field that does not hold a number is reported with: "<what>不是有效的数字！".
QString notANumberMessage(const QString &what);
// Rounds through the general text form, as every stored figure does.
double stored(double value);
// Rounds to a number of decimals, half away from zero (the "0.00" of money figures).
double round(double value, int decimals);
// Rounds to a whole number, half to even (the stock comparison of the goods list).
double roundHalfEven(double value);
} // namespace num
