#pragma once
// The stock alarm of the goods list: a row whose stock quantity, rounded to a whole number (halves to
// the even one), is at or below the threshold is drawn in red.
#include <QString>

namespace stockalarm {
// The threshold field's text as a whole number; an empty text counts 0. The field takes only digits,
// so a text too long for an integer still compares as the large number it is.
double threshold(const QString &text);
bool alarms(double stockQuantity, double threshold);
} // namespace stockalarm
