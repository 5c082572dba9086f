#include "sales/salefigures.h"

#include "store/numbers.h"

#include <limits>

namespace sale {

QString fieldLabel(Field field) {
    switch (field) {
    case Field::Price:
        return QStringLiteral("实际销售价");
    case Field::Discount:
        return QStringLiteral("折扣");
    case Field::Quantity:
        return QStringLiteral("销售数量");
    case Field::Debt:
        return QStringLiteral("欠款金额");
    case Field::Stock:
        return QStringLiteral("库存数量");
    case Field::Sold:
        return QStringLiteral("已销售数量");
    case Field::SalesAmount:
        return QStringLiteral("已销售金额");
    case Field::PurchasePrice:
        return QStringLiteral("进货单价");
    }
    return {};
}

QString notANumberMessage(Field field) {
    return num::notANumberMessage(fieldLabel(field));
}

Figures compute(const Base &b) {
    Figures f;
    f.saleAmount = num::stored(b.price * b.quantity);
    f.newSalesAmount = num::stored(b.price * b.quantity + b.salesAmount);
    f.newStock =
        num::stored(b.stock - b.quantity); // shown as "0.00", stored whole: sold + stock stays the purchase
    f.newStockAmount = num::stored((b.stock - b.quantity) * b.purchasePrice);
    f.newSold = num::stored(b.sold + b.quantity);
    f.profit = num::round((b.price - b.purchasePrice) * b.quantity, 2);
    return f;
}

FigureTexts texts(const Figures &f) {
    return {num::general(f.saleAmount),     num::general(f.newSalesAmount), num::fixed2(f.newStock),
            num::general(f.newStockAmount), num::general(f.newSold),        num::fixed2(f.profit)};
}

std::variant<std::monostate, Figures, Field> compute(const BaseTexts &t) {
    if (t.price.isEmpty() || t.quantity.isEmpty()) return std::monostate{};
    std::optional<Field> bad;
    const auto number = [&](const QString &text, Field field, bool emptyIsZero) {
        if (bad) return 0.0;
        if (emptyIsZero && text.trimmed().isEmpty()) return 0.0;
        const auto value = num::parse(text);
        if (!value) bad = field;
        return value.value_or(0.0);
    };
    Base base;
    base.price = number(t.price, Field::Price, false);
    base.quantity = number(t.quantity, Field::Quantity, false);
    base.stock = number(t.stock, Field::Stock, true);
    base.sold = number(t.sold, Field::Sold, true);
    base.salesAmount = number(t.salesAmount, Field::SalesAmount, true);
    base.purchasePrice = number(t.purchasePrice, Field::PurchasePrice, true);
    if (bad) return *bad;
    return compute(base);
}

std::optional<QString> saleAmountText(const QString &price, const QString &quantity) {
    if (price.isEmpty() || quantity.isEmpty()) return std::nullopt;
    const auto p = num::parse(price);
    const auto q = num::parse(quantity);
    if (!p || !q) return std::nullopt;
    return num::general(*p * *q);
}

std::optional<QString> discountedPriceText(const QString &discount, const QString &suggestedPrice) {
    if (discount.isEmpty() || suggestedPrice.isEmpty()) return std::nullopt;
    const auto d = num::parse(discount);
    const auto s = num::parse(suggestedPrice);
    if (!d || !s) return std::nullopt;
    return num::general(*d * *s / 100);
}

std::optional<QString> toggledReturnText(const QString &quantity) {
    const QString trimmed = quantity.trimmed();
    bool whole = false;
    const qlonglong value = trimmed.toLongLong(&whole);
    if (!whole || value == std::numeric_limits<qlonglong>::min()) return std::nullopt;
    return QString::number(-value);
}

} // namespace sale
