#pragma once
// Number texts as the entry fields and the stored figures use them.
#include <QString>
#include <optional>

namespace num {
// General number format: at most 15 significant digits, no grouping, no trailing zeros ("86", "0.3").
QString general(double value);
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
