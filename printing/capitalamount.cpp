#include "printing/capitalamount.h"

#include <QStringList>
#include <array>

namespace capital {

namespace {
constexpr std::array<const char16_t *, 10> Digits = {u"零", u"壹", u"贰", u"叁", u"肆",
                                                     u"伍", u"陆", u"柒", u"捌", u"玖"};
// Units by the position of a digit counted from the right end of the amount in cents (index 1 is the
// fen); the yuan digit (3) has none of its own, "元" follows it separately.
constexpr std::array<const char16_t *, 31> Units = {
    u"",   u"分",     u"角", u"",   u"拾",   u"佰",     u"仟", u"万", u"拾",   u"佰", u"仟",
    u"亿", u"拾",     u"佰", u"仟", u"万亿", u"拾",     u"佰", u"仟", u"亿亿", u"拾", u"佰",
    u"仟", u"万亿亿", u"拾", u"佰", u"仟",   u"亿亿亿", u"拾", u"佰", u"仟"};
constexpr int YuanPosition = 3;
constexpr int MostPositions = static_cast<int>(Units.size()) - 1;

QString text(const char16_t *utf16) {
    return QString::fromUtf16(utf16);
}

// The positions of 万, 亿, 万亿, ...: beyond the yuan's four digits, every fourth.
bool isSectionPosition(int p) {
    return p > 4 && (p + 1) % 4 == 0;
}

bool isDigit(QChar ch) {
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

// The amount in cents as a digit string without leading zeros ("0" when there is no other digit).
QString centDigits(const QString &amount) {
    const qsizetype point = amount.indexOf(QLatin1Char('.'));
    QString digits = point < 0 ? amount : amount.left(point);
    QString fraction = point < 0 ? QString() : amount.mid(point + 1);
    fraction.remove(QLatin1Char('.'));
    digits += fraction.left(2).leftJustified(2, QLatin1Char('0'));
    qsizetype first = 0;
    while (first < digits.size() && digits.at(first) == QLatin1Char('0'))
        ++first;
    return first == digits.size() ? QStringLiteral("0") : digits.mid(first);
}
} // namespace

Conversion convert(const QString &amount) {
    // A return ticket totals below zero, which is ordinary business and no reading error.
    if (amount.startsWith(QLatin1Char('-')) && !amount.startsWith(QLatin1String("--"))) {
        Conversion magnitude = convert(amount.mid(1));
        if (!magnitude.text.isEmpty()) magnitude.text.prepend(QStringLiteral("负"));
        return magnitude;
    }
    for (const QChar ch : amount)
        if (!isDigit(ch) && ch != QLatin1Char('.')) return {{}, static_cast<int>(ch.unicode())};

    const QString digits = centDigits(amount);
    if (digits.size() > MostPositions) return {};
    QString out;
    bool pendingZero = false;
    bool sectionOpen = true;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const int p = static_cast<int>(digits.size() - i);
        const int digit = digits.at(i).unicode() - u'0';
        if (digit != 0) {
            if (pendingZero) out += text(Digits[0]);
            out += text(Digits[digit]) + text(Units[p]);
            pendingZero = false;
            sectionOpen = !isSectionPosition(p);
        } else {
            pendingZero = true;
            if (isSectionPosition(p) && sectionOpen) {
                out += text(Units[p]);
                pendingZero = false;
                sectionOpen = false;
            }
        }
        if (p == YuanPosition) {
            out += QStringLiteral("元");
            pendingZero = false;
        }
    }
    if (digits.endsWith(QLatin1String("00"))) out += QStringLiteral("整");
    return {out, std::nullopt};
}

QStringList messages(const Conversion &conversion) {
    if (!conversion.badCharacter) return {};
    return {QString::number(*conversion.badCharacter), QStringLiteral("读取错误，应为数字")};
}

} // namespace capital
