#pragma once
// The arithmetic of one sale line ("计算"), the discount, the sale amount shown while typing and the
// "退" toggle, on the texts of the sale panel's fields. A return is a sale with a negative quantity.
#include <QString>
#include <optional>
#include <variant>

namespace sale {

// The fields a computation reads, for the message about one that is not a number.
enum class Field { Price, Discount, Quantity, Debt, Stock, Sold, SalesAmount, PurchasePrice };
// "实际销售价", "销售数量", ...
QString fieldLabel(Field field);
// "实际销售价不是有效的数字！"
QString notANumberMessage(Field field);

// What a sale starts from.
struct Base {
    double price = 0;
    double quantity = 0;
    double stock = 0;         // 7 of the goods row
    double sold = 0;          // 5
    double salesAmount = 0;   // 6
    double purchasePrice = 0; // 1
};

// What it comes to; every figure already passed through the text form it is stored in.
struct Figures {
    double saleAmount = 0;     // p × q, general
    double newSalesAmount = 0; // p × q + 6, general
    double newStock = 0;       // 7 − q, general (shown as "0.00")
    double newStockAmount = 0; // (7 − q) × 1, general
    double newSold = 0;        // 5 + q, general
    double profit = 0;         // (p − 1) × q, "0.00"
};
Figures compute(const Base &base);

// The computed figures in the texts of the panel's working fields.
struct FigureTexts {
    QString saleAmount, newSalesAmount, newStock, newStockAmount, newSold, profit;
};
FigureTexts texts(const Figures &figures);

// The panel's fields as typed or copied.
struct BaseTexts {
    QString price, quantity, stock, sold, salesAmount, purchasePrice;
};
// Nothing to compute while price or quantity is empty (std::monostate); a field that is not a number
// is named. Copied goods figures that are empty (a row stored without them) count as 0.
std::variant<std::monostate, Figures, Field> compute(const BaseTexts &texts);

// The sale amount while price or quantity are typed: nothing while either is empty or not a number.
std::optional<QString> saleAmountText(const QString &price, const QString &quantity);
// The price for a discount in percent of the suggested price: nothing while either is empty or not
// a number.
std::optional<QString> discountedPriceText(const QString &discount, const QString &suggestedPrice);
// "退": "2" gives "-2", "-2" gives "2", "0" stays "0". Nothing when the quantity is not a whole number.
std::optional<QString> toggledReturnText(const QString &quantity);

} // namespace sale
