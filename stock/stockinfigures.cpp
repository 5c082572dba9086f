#include "stock/stockinfigures.h"

#include "store/numbers.h"

void StockInFigures::set(Field field, const QString &text) {
    if (m_texts[field] == text) return;
    m_texts[field] = text;
    if (m_listener) m_listener(field);
    afterChange(field);
}

void StockInFigures::setNumber(Field field, double value) {
    set(field, num::general(value));
}

std::optional<double> StockInFigures::number(Field field) const {
    return num::parse(m_texts[field]);
}

// A field that holds something other than a number (a lone "." while typing ".5") computes nothing:
// the figures follow as soon as it is a number again, and a write refuses it.
void StockInFigures::afterChange(Field field) {
    switch (field) {
    case Quantity:
        set(StockQuantity, m_texts[Quantity]);
        if (filled(PurchasePrice) && filled(Quantity)) {
            const auto price = number(PurchasePrice), quantity = number(Quantity);
            if (price && quantity) setNumber(PurchaseAmount, *price * *quantity);
        }
        break;
    case PurchasePrice:
    case PurchaseAmount:
        if (filled(PurchasePrice) && filled(Quantity) && filled(StockQuantity)) {
            const auto price = number(PurchasePrice), quantity = number(Quantity);
            if (!price || !quantity || !number(StockQuantity)) break;
            setNumber(PurchaseAmount, *price * *quantity);
            // Read again: the amount's own change ran this rule already.
            if (const auto priceNow = number(PurchasePrice), stock = number(StockQuantity); priceNow && stock)
                setNumber(StockAmount, *priceNow * *stock);
        }
        break;
    case SalePrice:
    case SoldQuantity:
        if (filled(SalePrice) && filled(SoldQuantity)) {
            const auto price = number(SalePrice), sold = number(SoldQuantity);
            if (price && sold) setNumber(SalesAmount, *price * *sold);
        }
        break;
    case SalesAmount:
    case StockQuantity:
    case StockAmount:
        break;
    }
}

void StockInFigures::clear() {
    set(PurchasePrice, QString());
    set(Quantity, QString());
    set(SalePrice, QString());
    set(StockQuantity, QString());
    set(StockAmount, QString());
    set(SoldQuantity, QStringLiteral("0"));
    set(SalesAmount, QStringLiteral("0"));
}

std::optional<StockInFigures::Field> StockInFigures::recomputeForChange() {
    if (!filled(PurchasePrice) || !filled(Quantity)) return std::nullopt;
    const auto price = number(PurchasePrice);
    if (!price) return PurchasePrice;
    const auto quantity = number(Quantity);
    if (!quantity) return Quantity;
    const auto sold = number(SoldQuantity);
    if (!sold) return SoldQuantity;
    setNumber(PurchaseAmount, *price * *quantity);
    setNumber(StockQuantity, *quantity - *sold);
    setNumber(StockAmount, (*quantity - *sold) * *price);
    return std::nullopt;
}
