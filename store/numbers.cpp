#include "store/numbers.h"

#include <QLocale>
#include <cmath>

namespace {
QString trimZeros(QString text) {
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    }
    if (text == QLatin1String("-0")) text = QStringLiteral("0");
    return text;
}

QString fixedTrimmed(double value, int decimals) {
    return trimZeros(QString::number(num::round(value, decimals), 'f', decimals));
}
} // namespace

namespace num {

QString general(double value) {
    if (value == 0) return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    if (text.contains(QLatin1Char('e'))) return text.toUpper();
    return text;
}

QString generalTotal(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e11) return general(value);
    return general(QString::number(value, 'g', 12).toDouble());
}

QString fixed2(double value) {
    QString text = QString::number(round(value, 2), 'f', 2);
    if (text == QLatin1String("-0.00")) text = QStringLiteral("0.00");
    return text;
}

QString display3(double value) {
    return fixedTrimmed(value, 3);
}
QString display2(double value) {
    return fixedTrimmed(value, 2);
}

std::optional<double> parse(const QString &text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

double stored(double value) {
    return general(value).toDouble();
}

double round(double value, int decimals) {
    // Decide on the 15-digit decimal form so that 2.675 (stored as 2.67499999...) rounds like the
    // text the user sees.
    const double scale = std::pow(10.0, decimals);
    const double scaled = QString::number(value * scale, 'g', 15).toDouble();
    return std::round(scaled) / scale;
}

double roundHalfEven(double value) {
    return std::nearbyint(value);
}

QString notANumberMessage(const QString &what) {
    return what + QStringLiteral("不是有效的数字！");
}

} // namespace num
