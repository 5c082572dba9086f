#include "stock/stockin.h"

#include "store/database.h"
#include "store/dataset.h"
#include "store/numbers.h"
#include "store/pinyin.h"
#include "store/texts.h"

#include <QVariantList>

namespace stockin {

namespace {
using Field = StockInFigures::Field;

// Columns in the order a stock-in sets them.
const QString &columnList() {
    static const QString columns = QStringLiteral("a,b,c,d,[1],[2],[3],[4],[5],[6],[7],[8],z,day1,g,e,f");
    return columns;
}

QVariantList valuesOf(const GoodsRow &row) {
    return {row.a,      row.b,         row.c,    row.d,           row.price, row.quantity,
            row.amount, row.salePrice, row.sold, row.salesAmount, row.stock, row.stockAmount,
            row.z,      row.day1,      row.g,    row.e,           row.f};
}
} // namespace

QString fieldLabel(StockInFigures::Field field) {
    switch (field) {
    case Field::PurchasePrice:
        return QStringLiteral("进货单价");
    case Field::Quantity:
        return QStringLiteral("进货数量");
    case Field::SalePrice:
        return QStringLiteral("销售单价");
    case Field::PurchaseAmount:
        return QStringLiteral("进货金额");
    case Field::SoldQuantity:
        return QStringLiteral("销售数量");
    case Field::SalesAmount:
        return QStringLiteral("销售金额");
    case Field::StockQuantity:
        return QStringLiteral("库存数量");
    case Field::StockAmount:
        return QStringLiteral("库存金额");
    }
    return {};
}

QString notANumberMessage(StockInFigures::Field field) {
    return num::notANumberMessage(fieldLabel(field));
}

std::variant<GoodsRow, StockInFigures::Field> makeRow(const Descriptions &descriptions,
                                                      const StockInFigures &figures, Purpose purpose) {
    GoodsRow row;
    std::optional<Field> bad;
    const auto figure = [&](Field field, bool typed) {
        if (bad) return 0.0;
        if (!typed && figures.text(field).isEmpty()) return 0.0;
        const auto value = figures.number(field);
        if (!value) bad = field;
        return value.value_or(0.0);
    };
    row.a = trimBlanksAndControls(descriptions.name);
    row.b = trimBlanksAndControls(descriptions.model);
    row.c = trimBlanksAndControls(descriptions.code);
    row.d = trimBlanksAndControls(descriptions.category);
    row.price = figure(Field::PurchasePrice, true);
    row.quantity = figure(Field::Quantity, true);
    row.amount = figure(Field::PurchaseAmount, false);
    row.salePrice = figure(Field::SalePrice, true);
    row.sold = figure(Field::SoldQuantity, false);
    row.salesAmount = figure(Field::SalesAmount, false);
    row.stock = figure(Field::StockQuantity, false);
    row.stockAmount = purpose == Purpose::NewEntry ? row.amount : figure(Field::StockAmount, false);
    if (bad) return *bad;
    row.z = trimBlanksAndControls(descriptions.remark);
    row.day1 = descriptions.date.toString(QStringLiteral("yyyy-MM-dd"));
    row.g = trimBlanksAndControls(descriptions.supplier);
    row.e = pinyinInitials(row.a);
    row.f = pinyinInitials(row.b);
    return row;
}

bool insertRow(Database &database, const GoodsRow &row, qint64 *id) {
    const bool ok = database.execute(QStringLiteral("insert into data (") + columnList() +
                                         QStringLiteral(") values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                                     valuesOf(row));
    if (ok && id) *id = database.lastInsertId();
    return ok;
}

UpdateResult updateRow(Database &database, qint64 id, const GoodsRow &edited) {
    if (!database.begin()) return UpdateResult::Failed;
    const auto fail = [&](UpdateResult result) {
        database.rollback();
        return result;
    };
    Dataset stored;
    if (!stored.load(database, QStringLiteral("select [4],[5],[6] from data where ID=? for update"), {id}))
        return fail(UpdateResult::Failed);
    if (stored.rowCount() == 0) return fail(UpdateResult::Missing);
    GoodsRow row = edited;
    row.sold = stored.number(0, QStringLiteral("5"));
    row.salesAmount = row.salePrice == stored.number(0, QStringLiteral("4"))
                          ? stored.number(0, QStringLiteral("6"))
                          : num::stored(row.salePrice * row.sold);
    row.stock = num::stored(row.quantity - row.sold);
    row.stockAmount = num::stored((row.quantity - row.sold) * row.price);

    QString statement = QStringLiteral("update data set ");
    const QStringList columns = columnList().split(QLatin1Char(','));
    for (qsizetype i = 0; i < columns.size(); ++i)
        statement += (i ? QStringLiteral(",") : QString()) + columns[i] + QStringLiteral("=?");
    statement += QStringLiteral(" where ID=?");
    QVariantList binds = valuesOf(row);
    binds << id;
    if (!database.execute(statement, binds)) return fail(UpdateResult::Failed);
    return database.commit() ? UpdateResult::Updated : UpdateResult::Failed;
}

} // namespace stockin
