#pragma once
// Sales records and goods rows made by the reports tests.
#include "store/database.h"
#include "tests/support/typing.h"

#include <QString>
#include <QVariant>
#include <stdexcept>

// A sales record: what a sale of `quantity` at `price` from a goods row with that purchase price
// would have stored.
struct Record {
    QString name = u("电脑");
    QString model = u("联想");
    QString code = QStringLiteral("6901");
    QString category = u("电子");
    QString initials = QStringLiteral("dn");
    QString modelInitials = QStringLiteral("lx");
    double purchasePrice = 8;
    double price = 12;
    double quantity = 3;
    double amount = 36;
    double profit = 12;
    double debt = 0;
    QString date = QStringLiteral("2014-08-05");
    QString stockInDate = QStringLiteral("2014-08-01");
    QString saleNumber = QStringLiteral("20140805001");
    QString customer;
    QString remark;
};

inline qint64 insertRecord(Database &db, const Record &r) {
    if (!db.execute(
            QStringLiteral("insert into data1 (a,b,c,d,e,f,g,h,i,j,z,[1],[2],[3],[4],a5,[6],day1,day2) "
                           "values (?,?,?,?,?,?,?,'','',?,?,?,?,?,?,?,?,?,?)"),
            {r.name, r.model, r.code, r.category, r.initials, r.modelInitials, r.customer, r.remark,
             r.saleNumber, r.purchasePrice, r.price, r.quantity, r.amount, r.profit, r.debt, r.date,
             r.stockInDate}))
        throw std::runtime_error(db.errorText().toStdString());
    return db.lastInsertId();
}

struct Goods {
    QString name = u("电脑");
    QString model = u("联想");
    QString code = QStringLiteral("6901");
    QString category = u("电子");
    QString date = QStringLiteral("2014-08-01");
    double purchaseQuantity = 15;
    double purchaseAmount = 120;
    double sold = 8;
    double salesAmount = 86;
    double stock = 7;
    double stockAmount = 56;
};

inline qint64 insertGoods(Database &db, const Goods &g) {
    if (!db.execute(QStringLiteral("insert into data (a,b,c,d,e,f,g,z,[1],[2],[3],[4],[5],[6],[7],[8],day1) "
                                   "values (?,?,?,?,'','','','',8,?,?,12,?,?,?,?,?)"),
                    {g.name, g.model, g.code, g.category, g.purchaseQuantity, g.purchaseAmount, g.sold,
                     g.salesAmount, g.stock, g.stockAmount, g.date}))
        throw std::runtime_error(db.errorText().toStdString());
    return db.lastInsertId();
}

inline double goodsFigure(Database &db, qint64 id, const char *column) {
    return db
        .scalar(QStringLiteral("select [") + QString::fromLatin1(column) +
                    QStringLiteral("] from data where ID=?"),
                {id})
        .toDouble();
}

inline int recordCount(Database &db) {
    return db.scalar(QStringLiteral("select count(*) from data1")).toInt();
}
