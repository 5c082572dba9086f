#pragma once
// The goods row a stock-in writes: built from the stock-in panel's texts (descriptions trimmed, figures
// parsed, pinyin initials of name and model), appended as a new row or written over the row that was
// loaded for modification, always in one statement so that no row is ever stored half-filled.
#include "stock/stockinfigures.h"

#include <QDate>
#include <QString>
#include <variant>

class Database;

namespace stockin {

// The descriptive fields of the panel as typed.
struct Descriptions {
    QString name;     // ComboBox3, column a
    QString model;    // ComboBox4, column b
    QString code;     // ComboBox5, column c
    QString category; // ComboBox2, column d
    QString supplier; // ComboBox6, column g
    QString remark;   // Edit22, column z
    QDate date;       // DBDateTimeEdit1, column day1
};

enum class Purpose {
    NewEntry, // column 8 takes the purchase amount
    Change,   // column 8 takes the stock amount
};

// The values of one goods row, in the order the columns are set.
struct GoodsRow {
    QString a, b, c, d;
    double price = 0, quantity = 0, amount = 0, salePrice = 0, sold = 0, salesAmount = 0, stock = 0,
           stockAmount = 0;
    QString z, day1, g, e, f;
};

// What the user calls a figure, for messages: "进货单价", "进货数量", ...
QString fieldLabel(StockInFigures::Field field);
// "进货单价不是有效的数字！"
QString notANumberMessage(StockInFigures::Field field);

// The row to write, or the first figure that is not a number. The three figures the user types must
// be numbers; a working figure left empty (a row stored without it) counts as 0.
std::variant<GoodsRow, StockInFigures::Field> makeRow(const Descriptions &descriptions,
                                                      const StockInFigures &figures, Purpose purpose);

// Appends the row; its ID in *id. False with the engine's message in database.errorText().
bool insertRow(Database &database, const GoodsRow &row, qint64 *id = nullptr);

enum class UpdateResult { Updated, Missing, Failed };
// Writes a changed row over the goods row with that ID; Missing when no such row exists any more.
// What the user edits (descriptions, prices, purchase quantity) comes from `row`; the sold quantity is
// the one stored at the moment of the write, in the same transaction, so that a sale made since the row
// was loaded is kept. From it follow the stock (quantity − sold) and its amount; the sales amount
// stays as stored unless the sales price was changed, which makes it sales price × sold.
UpdateResult updateRow(Database &database, qint64 id, const GoodsRow &row);

} // namespace stockin
