// Several tills on one server, seen from this till's assembled main window: another till's sale shows
// in the goods list and in the open sale panel within a moment, without moving what the cashier is at
// (current row, scroll position, filter text, typed quantity); its new sales record shows in the open
// sales-detail window's month list; and a lost listening connection is made again and the list read
// once for what was missed. A second Database on the same server database is the other till.
#include "app/mainwindow.h"
#include "app/shop.h"
#include "app/shopreports.h"
#include "reports/salesdetailwindow.h"
#include "sales/salepanel.h"
#include "stock/goodslist.h"
#include "stock/goodsquerybox.h"
#include "store/servernotifications.h"
#include "tests/reports/reportsfixture.h"
#include "tests/support/shoplogin.h"
#include "tests/support/testenv.h"
#include "widgets/datagrid.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class TillsFollowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testserver::active()) GTEST_SKIP() << "the tills share a server";
        // More rows than the grid shows, on a few days, with initials a filter can find.
        Database &db = env.database();
        ASSERT_TRUE(db.begin());
        for (int i = 0; i < 80; ++i) {
            ASSERT_TRUE(
                db.execute(QStringLiteral("insert into data (a,b,c,d,e,f,g,z,[1],[2],[3],[4],[5],[6],[7],"
                                          "[8],day1) values (?,'','','','hw','','','',8,20,160,12,0,0,20,"
                                          "160,?)"),
                           {QStringLiteral("货物%1").arg(i), QStringLiteral("2014-08-0%1").arg(1 + i % 5)}));
            ids.push_back(db.lastInsertId());
        }
        ASSERT_TRUE(db.commit());
        window = std::make_unique<MainWindow>(db);
        shop = new Shop(db, *window);
        window->resize(900, 500);
        ASSERT_TRUE(showLoggedIn(*window, *shop->login(), u("超级管理员")));
        ASSERT_TRUE(other.openServer(db.serverConnection())) << qPrintable(other.errorText());
        listener = window->findChild<ServerNotifications *>();
        ASSERT_NE(listener, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return listener->isListening(); }, 5000));
    }

    GoodsList *goods() const { return shop->goods(); }
    double listedStock(qint64 id) const {
        const Dataset &rows = goods()->goods();
        return rows.number(rows.rowOfId(id), QStringLiteral("7"));
    }
    // A sale of `quantity` on the other till, as its sale writes the goods row.
    void sellElsewhere(qint64 id, double quantity) {
        ASSERT_TRUE(other.execute(QStringLiteral("update data set [5]=[5]+?, [6]=[6]+12*?, [7]=[7]-?, "
                                                 "[8]=([7]-?)*[1] where ID=?"),
                                  {quantity, quantity, quantity, quantity, id}));
    }

    TestEnv env;
    Database other;
    std::vector<qint64> ids;
    std::unique_ptr<MainWindow> window;
    Shop *shop = nullptr;
    ServerNotifications *listener = nullptr;
};

TEST_F(TillsFollowTest, AnotherTillsSaleShowsInTheGoodsListAndTheOpenSalePanel) {
    // A filter typed, the list scrolled down, a row opened for a sale and a quantity typed.
    GoodsQueryBox *box = goods()->queryBox();
    box->nameInitials()->setText(QStringLiteral("hw"));
    const GoodsStatement filtered = goods()->lastStatement();
    ASSERT_FALSE(filtered.binds.isEmpty());
    DataGrid *grid = goods()->grid();
    ASSERT_GT(grid->verticalScrollBar()->maximum(), 20);
    grid->verticalScrollBar()->setValue(20);
    const int scrolled = grid->verticalScrollBar()->value();
    const int sold = grid->rowAt(grid->viewport()->height() / 2);
    const qint64 soldId = goods()->goods().id(sold);
    goods()->activateRow(sold);
    SalePanel *sale = shop->salePanel();
    ASSERT_TRUE(sale->isVisible());
    auto *stock = sale->findChild<QLineEdit *>(QStringLiteral("Edit24"));
    auto *quantity = sale->findChild<QLineEdit *>(QStringLiteral("Edit35"));
    ASSERT_EQ(stock->text(), QStringLiteral("20"));
    quantity->setText(QStringLiteral("2"));
    // Another row, far from the one in view, is sold too.
    const qint64 farId = goods()->goods().id(0);

    sellElsewhere(soldId, 3);
    sellElsewhere(farId, 5);
    (void)QTest::qWaitFor([&] { return listedStock(soldId) == 17.0; }, 1000);
    ASSERT_EQ(listedStock(soldId), 17.0);
    (void)QTest::qWaitFor([&] { return listedStock(farId) == 15.0; }, 1000);
    ASSERT_EQ(listedStock(farId), 15.0);
    EXPECT_EQ(stock->text(), QStringLiteral("17"));
    EXPECT_EQ(quantity->text(), QStringLiteral("2"));
    EXPECT_TRUE(sale->isVisible());
    EXPECT_EQ(goods()->goods().rowOfId(soldId), sold);
    EXPECT_EQ(goods()->currentId(), soldId);
    EXPECT_EQ(grid->currentRow(), sold);
    EXPECT_EQ(grid->verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(box->nameInitials()->text(), QStringLiteral("hw"));
    EXPECT_EQ(goods()->lastStatement().text, filtered.text);
    EXPECT_EQ(goods()->goods().total(QStringLiteral("7")), 80 * 20 - 8);
}

TEST_F(TillsFollowTest, AnotherTillsStockInComesIntoItsPlaceAndTheViewStays) {
    goods()->showAll();
    DataGrid *grid = goods()->grid();
    grid->verticalScrollBar()->setValue(30);
    const int scrolled = grid->verticalScrollBar()->value();
    const int top = grid->rowAt(0);
    const qint64 topId = goods()->goods().id(top);
    grid->setCurrentRow(top + 2);
    const qint64 currentId = goods()->currentId();
    // A new entry dated before every listed row: it comes first, the rows in view stay in view.
    ASSERT_TRUE(
        other.execute(QStringLiteral("insert into data (a,[2],[7],day1) values ('新货',5,5,'2014-07-30')")));
    const qint64 added = other.lastInsertId();
    (void)QTest::qWaitFor([&] { return goods()->goods().rowOfId(added) == 0; }, 1000);
    ASSERT_EQ(goods()->goods().rowOfId(added), 0);
    EXPECT_EQ(goods()->goods().rowCount(), 81);
    EXPECT_EQ(goods()->currentId(), currentId);
    EXPECT_EQ(goods()->goods().id(grid->rowAt(0)), topId);
    EXPECT_GT(grid->verticalScrollBar()->value(), scrolled);
}

TEST_F(TillsFollowTest, AnotherTillsSaleShowsInTheOpenSalesDetailMonthList) {
    Record earlier;
    earlier.date = QStringLiteral("2014-08-03");
    const qint64 earlierId = insertRecord(env.database(), earlier);
    SalesDetailWindow *detail = shop->reports()->salesDetail();
    detail->show();
    ASSERT_EQ(detail->sales().rowCount(), 1);
    detail->grid()->setCurrentRow(0);

    Record lastMonth;
    lastMonth.date = QStringLiteral("2014-07-31");
    insertRecord(other, lastMonth);
    Record today;
    today.date = QStringLiteral("2014-08-12");
    today.quantity = 4;
    const qint64 todayId = insertRecord(other, today);
    (void)QTest::qWaitFor([&] { return detail->sales().rowOfId(todayId) == 1; }, 1000);
    ASSERT_EQ(detail->sales().rowOfId(todayId), 1);
    EXPECT_EQ(detail->sales().rowCount(), 2);
    EXPECT_EQ(detail->sales().id(detail->sales().currentRow()), earlierId);
    EXPECT_EQ(detail->sales().total(QStringLiteral("3")), 3 + 4);
    // The other till deletes it again.
    ASSERT_TRUE(other.execute(QStringLiteral("delete from data1 where ID=?"), {todayId}));
    (void)QTest::qWaitFor([&] { return detail->sales().rowCount() == 1; }, 1000);
    ASSERT_EQ(detail->sales().rowCount(), 1);
    detail->close();
}

TEST_F(TillsFollowTest, AfterItsConnectionWasKilledTheListIsReadOnceForWhatWasMissed) {
    QSignalSpy reloads(listener, &ServerNotifications::goodsReloadNeeded);
    goods()->grid()->setCurrentRow(10);
    const qint64 currentId = goods()->currentId();
    const int pid = listener->backendPid();
    ASSERT_TRUE(other.scalar(QStringLiteral("select pg_terminate_backend(?, 5000)"), {pid}).toBool());
    // Written while nobody listened: only reading the list again shows it.
    sellElsewhere(ids[40], 6);
    (void)QTest::qWaitFor([&] { return listedStock(ids[40]) == 14.0; }, 3000);
    ASSERT_EQ(listedStock(ids[40]), 14.0);
    EXPECT_EQ(reloads.count(), 1);
    EXPECT_NE(listener->backendPid(), pid);
    EXPECT_EQ(goods()->currentId(), currentId);
    // Then row by row again.
    sellElsewhere(ids[41], 1);
    (void)QTest::qWaitFor([&] { return listedStock(ids[41]) == 19.0; }, 1000);
    ASSERT_EQ(listedStock(ids[41]), 19.0);
    EXPECT_EQ(reloads.count(), 1);
}

} // namespace
