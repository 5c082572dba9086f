#include "widgets/datagridwidths.h"

#include "store/dataset.h"
#include "store/numbers.h"

#include <QFontMetrics>
#include <algorithm>
#include <array>
#include <cmath>

namespace gridwidths {

namespace {
constexpr std::array<double, 19> powersOfTen = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                                                1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};

int digitCount(long long value) {
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

// `magnitude` scaled by 10^decimals and rounded: the digits shown, with trailing zeros of the
// decimals dropped as the display formats drop them.
FigureShape fromScaled(double magnitude, int decimals) {
    long long scaled = std::llround(magnitude * powersOfTen[static_cast<std::size_t>(decimals)]);
    while (decimals > 0 && scaled % 10 == 0) {
        scaled /= 10;
        --decimals;
    }
    long long whole = scaled;
    for (int i = 0; i < decimals; ++i)
        whole /= 10;
    FigureShape shape;
    shape.digits = digitCount(whole) + decimals;
    shape.point = decimals > 0;
    return shape;
}

// Grows `widest` to cover the shape in every part.
void widen(FigureShape &widest, const FigureShape &shape) {
    widest.digits = std::max(widest.digits, shape.digits);
    widest.point = widest.point || shape.point;
    widest.minus = widest.minus || shape.minus;
    if (shape.exponentText.size() > widest.exponentText.size()) widest.exponentText = shape.exponentText;
}
} // namespace

FigureShape shapeOf(double value, DisplayFormat format) {
    const double magnitude = std::fabs(value);
    FigureShape shape;
    if (!std::isfinite(value)) {
        shape.exponentText = num::general(value);
        return shape;
    }
    switch (format) {
    case DisplayFormat::Decimals3:
    case DisplayFormat::Decimals2: {
        const int decimals = format == DisplayFormat::Decimals3 ? 3 : 2;
        if (magnitude >= 1e15) {
            // Beyond what a whole number of the scaled value holds: count the digits of the text.
            const QString text = QString::number(magnitude, 'f', 0);
            shape.digits = int(text.size());
        } else {
            shape = fromScaled(magnitude, decimals);
        }
        break;
    }
    case DisplayFormat::None:
        if (magnitude == 0) {
            shape.digits = 1;
        } else if (magnitude < 1e-4 || magnitude >= 1e15) {
            shape.exponentText = num::general(value); // "1.5E-05": rare enough to write out
        } else {
            // 15 significant digits, as the general format writes them.
            const int exponent = int(std::floor(std::log10(magnitude)));
            shape = fromScaled(magnitude, std::clamp(14 - exponent, 0, 18));
        }
        break;
    }
    shape.minus = value < 0;
    return shape;
}

FigureShape widestFigure(const Dataset &set, int column, DisplayFormat format, int first, int last) {
    FigureShape widest;
    if (column < 0 || column >= set.columnCount() || set.kind(column) == Dataset::Kind::Text) return widest;
    first = std::max(first, 0);
    last = std::min(last, set.rowCount() - 1);
    for (int row = first; row <= last; ++row) {
        if (set.isNull(row, column)) continue;
        widen(widest, shapeOf(set.number(row, column), format));
    }
    return widest;
}

int pixelWidth(const FigureShape &shape, const QFontMetrics &metrics) {
    int digit = 0;
    for (char c = '0'; c <= '9'; ++c)
        digit = std::max(digit, metrics.horizontalAdvance(QLatin1Char(c)));
    int width = shape.digits * digit;
    if (shape.point) width += metrics.horizontalAdvance(QLatin1Char('.'));
    if (shape.minus) width += metrics.horizontalAdvance(QLatin1Char('-'));
    return std::max(width, metrics.horizontalAdvance(shape.exponentText));
}

bool isDateField(const QString &field) {
    return field.size() == 4 && field.startsWith(QLatin1String("day"), Qt::CaseInsensitive) &&
           field[3] >= QLatin1Char('1') && field[3] <= QLatin1Char('6');
}

int dateWidth(const QFontMetrics &metrics) {
    FigureShape shape;
    shape.digits = 8;
    return pixelWidth(shape, metrics) + 2 * metrics.horizontalAdvance(QLatin1Char('-'));
}

} // namespace gridwidths
