#pragma once
// The goods row a sale is made from, as plain texts: the sale panel takes it from the goods list
// without knowing that list, and the write reads the same figures again from the stored row.
#include <QString>
#include <optional>

class Database;
class Dataset;

struct SaleGoods {
    qint64 id = -1;        // ID of the row in data
    QString name;          // a
    QString model;         // b
    QString code;          // c
    QString category;      // d
    QString purchasePrice; // 1
    QString salePrice;     // 4, the suggested price
    QString sold;          // 5
    QString salesAmount;   // 6
    QString stock;         // 7
    QString stockAmount;   // 8
    QString stockInDate;   // day1, "yyyy-mm-dd"
    QString remark;        // z
};

// The row of a "select * from data" snapshot; numbers as the general-format texts of their columns,
// NULL as empty text. An invalid row gives an empty SaleGoods (no name, id -1).
SaleGoods saleGoodsFromRow(const Dataset &goods, int row);

// The goods row as it is stored now.
struct StoredGoods {
    enum class Status { Found, Missing, Failed } status = Status::Failed;
    SaleGoods goods;
    QString reason; // the engine's message when Failed
};
StoredGoods readStoredGoods(Database &database, qint64 id);
