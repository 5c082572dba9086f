#pragma once
// The figures of the stock-in panel as the texts of its fields, with the computations that run on every
// change of a field: purchase amount, stock quantity and amount, sales amount. Setting a field to the
// text it already holds changes nothing and computes nothing.
#include <QString>
#include <array>
#include <functional>
#include <optional>

class StockInFigures {
  public:
    enum Field {
        PurchasePrice,  // Edit15, column 1
        Quantity,       // Edit1, column 2
        SalePrice,      // Edit9, column 4
        PurchaseAmount, // Edit2, column 3 (and 8 of a new row)
        SoldQuantity,   // Edit21, column 5
        SalesAmount,    // Edit16, column 6
        StockQuantity,  // Edit17, column 7
        StockAmount,    // Edit27, column 8 of a changed row
    };
    static constexpr int FieldCount = StockAmount + 1;

    const QString &text(Field field) const { return m_texts[field]; }
    // Sets a field and runs the computations its change starts (which may change further fields).
    void set(Field field, const QString &text);
    // Told of every field that changed, in the order of the changes.
    void setChangeListener(std::function<void(Field)> listener) { m_listener = std::move(listener); }

    // "清空": prices, quantity, stock quantity and stock amount empty, sold quantity and sales amount
    // "0"; the purchase amount stays.
    void clear();

    // Before a change is written: purchase amount = price × quantity, stock quantity = quantity − sold,
    // stock amount = (quantity − sold) × price, when price and quantity are not empty. The field that
    // is not a number, if any, is returned and nothing is computed.
    std::optional<Field> recomputeForChange();

    // The number of a field; nothing when its text is empty or not a number.
    std::optional<double> number(Field field) const;

  private:
    bool filled(Field field) const { return !m_texts[field].isEmpty(); }
    void setNumber(Field field, double value);
    void afterChange(Field field);

    std::array<QString, FieldCount> m_texts;
    std::function<void(Field)> m_listener;
};
