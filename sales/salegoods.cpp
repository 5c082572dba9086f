#include "sales/salegoods.h"

#include "store/database.h"
#include "store/dataset.h"

namespace {
SaleGoods fromRow(const Dataset &goods, int row) {
    const auto text = [&](const char *field) {
        const int column = goods.fieldIndex(QString::fromLatin1(field));
        return column < 0 ? QString() : goods.text(row, column);
    };
    SaleGoods sale;
    sale.id = goods.id(row);
    sale.name = text("a");
    sale.model = text("b");
    sale.code = text("c");
    sale.category = text("d");
    sale.purchasePrice = text("1");
    sale.salePrice = text("4");
    sale.sold = text("5");
    sale.salesAmount = text("6");
    sale.stock = text("7");
    sale.stockAmount = text("8");
    sale.stockInDate = text("day1");
    sale.remark = text("z");
    return sale;
}
} // namespace

SaleGoods saleGoodsFromRow(const Dataset &goods, int row) {
    if (row < 0 || row >= goods.rowCount()) return {};
    return fromRow(goods, row);
}

StoredGoods readStoredGoods(Database &database, qint64 id) {
    StoredGoods result;
    Dataset row;
    if (!row.load(database,
                  QStringLiteral("select ID,a,b,c,d,[1],[4],[5],[6],[7],[8],day1,z from data where ID=?"),
                  {id})) {
        result.reason = database.errorText();
        return result;
    }
    if (row.rowCount() == 0) {
        result.status = StoredGoods::Status::Missing;
        return result;
    }
    result.status = StoredGoods::Status::Found;
    result.goods = fromRow(row, 0);
    return result;
}
