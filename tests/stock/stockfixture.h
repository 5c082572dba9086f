#pragma once
// Goods rows with every column a test may search on, and the goods list with its stock-in panel on a
// host widget over a temporary database.
#include "stock/goodslist.h"
#include "stock/stockinpanel.h"
#include "store/database.h"
#include "store/pinyin.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>
#include <stdexcept>

struct TestGoods {
    QString name = QStringLiteral("商品");
    QString model = QStringLiteral("标准");
    QString code = QStringLiteral("001");
    QString category = QStringLiteral("文具");
    QString initials = {};      // empty: those of the name
    QString modelInitials = {}; // empty: those of the model
    QString supplier = QStringLiteral("华联电子");
    QString remark = QString();
    double price = 2;
    double quantity = 10;
    double salePrice = 3;
    double sold = 0;
    double salesAmount = 0;
    double stock = 10;
    double stockAmount = 20;
    QString date = QStringLiteral("2014-08-01");
};

inline qint64 insertGoods(Database &db, const TestGoods &g) {
    const bool ok = db.execute(
        QStringLiteral("insert into data (a,b,c,d,e,f,g,z,[1],[2],[3],[4],[5],[6],[7],[8],day1) "
                       "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
        {g.name, g.model, g.code, g.category, g.initials.isEmpty() ? pinyinInitials(g.name) : g.initials,
         g.modelInitials.isEmpty() ? pinyinInitials(g.model) : g.modelInitials, g.supplier, g.remark, g.price,
         g.quantity, g.price * g.quantity, g.salePrice, g.sold, g.salesAmount, g.stock, g.stockAmount,
         g.date});
    if (!ok) throw std::runtime_error(db.errorText().toStdString());
    return db.lastInsertId();
}

// The goods list and the stock-in panel as the main window holds them, with the threshold field and
// the zero-stock box.
struct StockWindow {
    TestEnv env;
    Database &db = env.database();
    QWidget host;
    QLineEdit *threshold = new QLineEdit(QStringLiteral("5"), &host);
    QCheckBox *zeroStock = new QCheckBox(QStringLiteral("不显示零库存"), &host);
    GoodsList *list = new GoodsList(db, &host);
    StockInPanel *panel = new StockInPanel(db, *list, &host);

    StockWindow() {
        host.resize(1031, 600);
        threshold->setObjectName(QStringLiteral("Edit43"));
        zeroStock->setObjectName(QStringLiteral("CheckBox1"));
        list->attachThresholdField(threshold);
        list->attachZeroStockBox(zeroStock);
        list->grid()->setGeometry(0, 0, 1031, 400);
        list->queryBox()->setGeometry(0, 400, 700, 150);
    }

    // The value of a column in the stored goods row.
    QVariant stored(qint64 id, const char *column) {
        return db.scalar(QStringLiteral("select ") + QString::fromLatin1(column) +
                             QStringLiteral(" from data where ID=?"),
                         {id});
    }
    QStringList listedNames() const {
        QStringList names;
        for (int r = 0; r < list->goods().rowCount(); ++r)
            names << list->goods().text(r, QStringLiteral("a"));
        return names;
    }
};
