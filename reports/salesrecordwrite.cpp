#include "reports/salesrecordwrite.h"

#include "store/database.h"
#include "store/dataset.h"
#include "store/numbers.h"
#include "store/texts.h"

#include <QVariantList>

namespace salesrecord {

bool correct(Database &database, Dataset &sales, int row, const Correction &correction) {
    const qint64 id = sales.id(row);
    if (id < 0) return false;
    return sales.post(database, QStringLiteral("data1"), id,
                      {QStringLiteral("6"), QStringLiteral("z"), QStringLiteral("g"), QStringLiteral("h"),
                       QStringLiteral("i"), QStringLiteral("j")},
                      {num::stored(correction.debt), trimBlanksAndControls(correction.saleNumber),
                       trimBlanksAndControls(correction.customer), trimBlanksAndControls(correction.address),
                       trimBlanksAndControls(correction.contact), trimBlanksAndControls(correction.remark)});
}

namespace {
Deletion failed(Database &database) {
    Deletion result;
    result.reason = database.errorText();
    database.rollback();
    return result;
}
} // namespace

Deletion remove(Database &database, qint64 recordId) {
    if (!database.begin()) return {Deletion::Status::Failed, database.errorText(), -1};
    Dataset record;
    if (!record.load(database, QStringLiteral("select a,b,c,d,day2,[1],[3],[4],data_id from data1 where ID=? for update"),
                     {recordId}))
        return failed(database);
    if (record.rowCount() == 0) {
        database.rollback();
        return {Deletion::Status::Missing, {}, -1};
    }
    const auto text = [&](const char *field) { return record.text(0, QString::fromLatin1(field)); };
    const auto number = [&](const char *field) { return record.number(0, QString::fromLatin1(field)); };

    // Exact texts, a missing one equal to an empty one: a substring would give the goods back to
    // another row ("电脑" is part of "电脑包"). The stock-in date through its index when there is one.
    const QString stockInDate = text("day2");
    QString sameGoods = QStringLiteral(
        "coalesce(a,'')=coalesce(?,'') and coalesce(b,'')=coalesce(?,'') and coalesce(c,'')=coalesce(?,'') "
        "and coalesce(d,'')=coalesce(?,'')");
    QVariantList sameGoodsBinds{text("a"), text("b"), text("c"), text("d")};
    if (stockInDate.isEmpty()) {
        sameGoods += QStringLiteral(" and coalesce(day1,'')=''");
    } else {
        sameGoods += QStringLiteral(" and day1=?");
        sameGoodsBinds << stockInDate;
    }
    const QString columns = QStringLiteral("select ID,[5],[6],[7],[8] from data where ");
    Dataset goods;
    // The row the record was sold from, while it still is those goods (a row deleted since may have
    // left its ID to another).
    const int soldFrom = record.fieldIndex(QStringLiteral("data_id"));
    if (!record.isNull(0, soldFrom)) {
        QVariantList binds{record.value(0, soldFrom)};
        binds += sameGoodsBinds;
        if (!goods.load(database, columns + QStringLiteral("ID=? and ") + sameGoods + QStringLiteral(" for update"), binds))
            return failed(database);
    }
    // Records from before rows were named, or a row that is gone: the first row alike, one bought at
    // the record's purchase price before the others (two stockings of one day at different prices).
    if (goods.rowCount() == 0) {
        QVariantList binds = sameGoodsBinds;
        binds << number("1");
        if (!goods.load(database,
                        columns + sameGoods +
                            QStringLiteral(" order by case when [1]=? then 0 else 1 end, ID limit 1 for update"),
                        binds))
            return failed(database);
    }

    Deletion result{Deletion::Status::Deleted, {}, -1};
    if (goods.rowCount() > 0) {
        const double quantity = number("3");
        const double amount = number("4");
        const double cost = number("1");
        const auto stored = [&](const char *field) { return goods.number(0, QString::fromLatin1(field)); };
        result.goodsId = goods.id(0);
        if (!database.execute(QStringLiteral("update data set [5]=?,[6]=?,[7]=?,[8]=? where ID=?"),
                              {num::stored(stored("5") - quantity), num::stored(stored("6") - amount),
                               num::stored(stored("7") + quantity),
                               num::stored(quantity * cost + stored("8")), result.goodsId}))
            return failed(database);
    }
    if (!database.execute(QStringLiteral("delete from data1 where ID=?"), {recordId}))
        return failed(database);
    if (!database.commit()) return {Deletion::Status::Failed, database.errorText(), -1};
    return result;
}

} // namespace salesrecord
