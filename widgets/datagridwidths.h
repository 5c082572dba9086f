#pragma once
// How wide a grid column must be so that none of its figures is shown cut: the widest figure over the
// listed rows, found from digit counts without formatting every row, and the totals-row text.
#include "widgets/gridcolumn.h"

#include <QString>

class Dataset;
class QFontMetrics;

namespace gridwidths {

// The widest figure of a number column as its parts: digits, a decimal point, a minus sign, or the
// widest text in exponent form for the rare value the general format writes so.
struct FigureShape {
    int digits = 0;
    bool point = false;
    bool minus = false;
    QString exponentText;
};

// The shape of one value as `format` shows it.
FigureShape shapeOf(double value, DisplayFormat format);
// The widest shape over the listed rows first to last of a dataset column (numbers only; NULLs show
// nothing).
FigureShape widestFigure(const Dataset &set, int column, DisplayFormat format, int first, int last);
// Pixels the shape needs at most: every digit as wide as the font's widest one.
int pixelWidth(const FigureShape &shape, const QFontMetrics &metrics);
// Date columns ("day1" to "day6") hold texts "yyyy-mm-dd": the pixels such a date needs at most.
bool isDateField(const QString &field);
int dateWidth(const QFontMetrics &metrics);

} // namespace gridwidths
