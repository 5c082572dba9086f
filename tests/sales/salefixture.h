#pragma once
// Goods rows and sales records made by the sales tests, and the sale panel on a host widget over a
// temporary database with its own session.
#include "sales/salegoods.h"
#include "sales/salepanel.h"
#include "store/database.h"
#include "store/dataset.h"
#include "store/sessionstate.h"
#include "tests/support/testenv.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

struct GoodsFigures {
    QString name = QStringLiteral("电脑");
    QString model = QStringLiteral("USB线");
    QString code = QStringLiteral("6901");
    QString category = QStringLiteral("电子");
    QString remark = QStringLiteral("新到");
    double purchasePrice = 8;
    double salePrice = 12;
    double sold = 5;
    double salesAmount = 50;
    double stock = 10;
    QString date = QStringLiteral("2014-08-01");
};

// A goods row with the figures of a stock-in of stock + sold that has sold `sold`.
inline qint64 insertSaleGoods(Database &db, const GoodsFigures &g = {}) {
    const double quantity = g.stock + g.sold;
    if (!db.execute(QStringLiteral("insert into data (a,b,c,d,e,f,g,z,[1],[2],[3],[4],[5],[6],[7],[8],day1) "
                                   "values (?,?,?,?,'','','华联',?,?,?,?,?,?,?,?,?,?)"),
                    {g.name, g.model, g.code, g.category, g.remark, g.purchasePrice, quantity,
                     g.purchasePrice * quantity, g.salePrice, g.sold, g.salesAmount, g.stock,
                     g.stock * g.purchasePrice, g.date}))
        throw std::runtime_error(db.errorText().toStdString());
    return db.lastInsertId();
}

// A sales record of a customer under a sale number.
inline void insertSaleRecord(Database &db, const QString &number, const QString &customer,
                             const QString &address = {}, const QString &contact = {},
                             const QString &remark = {}) {
    if (!db.execute(
            QStringLiteral("insert into data1 (a,z,g,h,i,j,[3],[4],day1) values ('旧货',?,?,?,?,?,1,1,"
                           "'2014-08-01')"),
            {number, customer, address, contact, remark}))
        throw std::runtime_error(db.errorText().toStdString());
}

// The goods row as the goods list would hand it over.
inline SaleGoods listedGoods(Database &db, qint64 id) {
    Dataset goods;
    if (!goods.load(db, QStringLiteral("select * from data")))
        throw std::runtime_error(db.errorText().toStdString());
    return saleGoodsFromRow(goods, goods.rowOfId(id));
}

inline QVariant storedValue(Database &db, const char *table, qint64 id, const char *column) {
    return db.scalar(QStringLiteral("select ") + QString::fromLatin1(column) + QStringLiteral(" from ") +
                         QString::fromLatin1(table) + QStringLiteral(" where ID=?"),
                     {id});
}

inline int countOf(Database &db, const char *table) {
    return db.scalar(QStringLiteral("select count(*) from ") + QString::fromLatin1(table)).toInt();
}

// The sale panel as the main window holds it.
struct SaleWindow {
    TestEnv env;
    Database &db = env.database();
    SessionState session;
    QWidget host;
    SalePanel *panel = new SalePanel(db, session, &host);

    SaleWindow() { host.resize(1031, 600); }

    template <typename T> T *child(const char *name) const {
        T *found = panel->findChild<T *>(QString::fromLatin1(name));
        if (!found) throw std::runtime_error(std::string("no control ") + name);
        return found;
    }
};

// The shown sale panel over one goods row, with the ticket signals it sent.
class SalePanelFixture : public ::testing::Test {
  public: // tables of cases spoil fields through the fixture
    SaleWindow w;
    SalePanel *panel = w.panel;
    qint64 goodsId = insertSaleGoods(w.db);
    QSignalSpy tickets{panel, &SalePanel::ticketChanged};

    void SetUp() override {
        w.host.show();
        w.host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w.host));
    }

    QLineEdit *edit(const char *name) { return w.child<QLineEdit>(name); }
    QString text(const char *name) { return edit(name)->text(); }
    QComboBox *customer() { return w.child<QComboBox>("ComboBox7"); }
    void open() { panel->open(listedGoods(w.db, goodsId)); }
};
