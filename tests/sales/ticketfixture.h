#pragma once
// Sales records of tickets written straight into data1, over a temporary database.
#include "store/database.h"
#include "tests/support/testenv.h"

#include <stdexcept>

// Appends one sale line of a ticket: price × quantity as its amount; returns its ID.
inline qint64 addTicketLine(Database &db, const QString &saleNumber, const QString &name, double price,
                            double quantity, const QString &model = QStringLiteral("标准")) {
    const bool ok =
        db.execute(QStringLiteral("insert into data1 (a,b,c,d,g,z,[1],[2],[3],[4],a5,[6],day1,day2) "
                                  "values (?,?,'001','文具','张三',?,1,?,?,?,0,0,'2014-08-12','2014-08-01')"),
                   {name, model, saleNumber, price, quantity, price * quantity});
    if (!ok) throw std::runtime_error(db.errorText().toStdString());
    return db.lastInsertId();
}
