#include "sales/salerecord.h"

#include "sales/salefigures.h"
#include "store/database.h"
#include "store/dataset.h"
#include "store/numbers.h"
#include "store/pinyin.h"
#include "store/texts.h"

#include <QVariantList>

namespace sale {

namespace {
Recorded failed(Database &database) {
    Recorded result;
    result.reason = database.errorText();
    database.rollback();
    return result;
}

QVariant dateOrNull(const QString &text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}
} // namespace

Recorded record(Database &database, const Entry &entry) {
    if (!database.begin()) return {Recorded::Status::Failed, database.errorText(), {}, -1};
    Dataset goods;
    if (!goods.load(database, QStringLiteral("select a,b,c,d,[1],[5],[6],[7],day1 from data where ID=? for update"),
                    {entry.goodsId}))
        return failed(database);
    if (goods.rowCount() == 0) {
        database.rollback();
        return {Recorded::Status::GoodsMissing, {}, {}, -1};
    }
    const auto number = [&](const char *field) { return goods.number(0, QString::fromLatin1(field)); };
    const auto text = [&](const char *field) {
        return trimBlanksAndControls(goods.text(0, QString::fromLatin1(field)));
    };
    Base base;
    base.price = entry.price;
    base.quantity = entry.quantity;
    base.stock = number("7");
    base.sold = number("5");
    base.salesAmount = number("6");
    base.purchasePrice = number("1");
    if (entry.quantity > base.stock) {
        database.rollback();
        return {Recorded::Status::StockShort, {}, goods.text(0, QStringLiteral("7")), -1};
    }
    const Figures figures = compute(base);

    if (!database.execute(QStringLiteral("update data set [5]=?,[6]=?,[7]=?,[8]=? where ID=?"),
                          {figures.newSold, figures.newSalesAmount, figures.newStock, figures.newStockAmount,
                           entry.goodsId}))
        return failed(database);

    const QString name = text("a");
    const QString model = text("b");
    const QVariantList values{name,
                              model,
                              text("c"),
                              text("d"),
                              pinyinInitials(name),
                              pinyinInitials(model),
                              trimBlanksAndControls(entry.customer),
                              trimBlanksAndControls(entry.address),
                              trimBlanksAndControls(entry.contact),
                              trimBlanksAndControls(entry.remark),
                              trimBlanksAndControls(entry.saleNumber),
                              base.purchasePrice,
                              num::stored(entry.price),
                              num::stored(entry.quantity),
                              figures.saleAmount,
                              figures.profit,
                              num::stored(entry.debt),
                              entry.saleDate.toString(QStringLiteral("yyyy-MM-dd")),
                              dateOrNull(text("day1")),
                              entry.goodsId};
    if (!database.execute(
            QStringLiteral("insert into data1 (a,b,c,d,e,f,g,h,i,j,z,[1],[2],[3],[4],a5,[6],day1,day2,data_id) "
                           "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
            values))
        return failed(database);
    const qint64 recordId = database.lastInsertId();
    if (!database.commit()) return {Recorded::Status::Failed, database.errorText(), {}, -1};
    return {Recorded::Status::Saved, {}, {}, recordId};
}

} // namespace sale
