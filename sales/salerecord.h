#pragma once
// The write of one sale: the goods row's sold, sales amount, stock and stock amount, and the sales
// record in data1, together in one transaction. The goods figures are those stored at the moment of
// the write, so that a stock-in change made while the sale panel was open is kept.
#include <QDate>
#include <QString>

class Database;

namespace sale {

// What the user entered for the sale.
struct Entry {
    qint64 goodsId = -1;
    double price = 0;    // actual unit price, column 2
    double quantity = 0; // negative for a return, column 3
    double debt = 0;     // column 6
    QDate saleDate;      // day1
    QString saleNumber;  // z
    QString customer;    // g
    QString address;     // h
    QString contact;     // i
    QString remark;      // j
};

struct Recorded {
    enum class Status {
        Saved,
        GoodsMissing, // the goods row was deleted meanwhile
        StockShort,   // the stored stock is below the quantity
        Failed,       // the engine refused; nothing was written
    } status = Status::Failed;
    QString reason;       // the engine's message when Failed
    QString storedStock;  // the stock quantity stored, as text, when StockShort
    qint64 recordId = -1; // the new data1 row when Saved
};

// Writes the sale; either everything or nothing is stored.
Recorded record(Database &database, const Entry &entry);

} // namespace sale
