// The listener of the other tills' writes on a server: one signal per row and batch, a burst as one
// reload, this till's own writes not handed on, and a lost connection made again with one reload for
// what it missed. A second Database on the same server database is the other till.
#include "store/servernotifications.h"
#include "tests/support/testenv.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ServerNotificationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testserver::active()) GTEST_SKIP() << "notifications come from a server";
        ASSERT_TRUE(other.openServer(env.database().serverConnection())) << qPrintable(other.errorText());
        listener = std::make_unique<ServerNotifications>(env.database());
        QSignalSpy listening(listener.get(), &ServerNotifications::listening);
        listener->start();
        ASSERT_TRUE(listening.wait(5000));
    }

    qint64 addGoodsRow(Database &db) {
        EXPECT_TRUE(db.execute(QStringLiteral("insert into data (a,[7]) values ('甲',1)")));
        return db.lastInsertId();
    }

    TestEnv env;
    Database other;
    std::unique_ptr<ServerNotifications> listener;
};

QList<qint64> ids(const QSignalSpy &spy) {
    QList<qint64> list;
    for (const QList<QVariant> &arguments : spy)
        list << arguments.at(0).toLongLong();
    return list;
}

TEST_F(ServerNotificationsTest, OneSignalPerRowAndTableForWhatAnotherTillWrote) {
    QSignalSpy goods(listener.get(), &ServerNotifications::goodsChanged);
    QSignalSpy sales(listener.get(), &ServerNotifications::salesChanged);
    QSignalSpy reloads(listener.get(), &ServerNotifications::goodsReloadNeeded);
    // A sale as a till writes it: the goods row, twice, and its record, in one transaction.
    ASSERT_TRUE(other.begin());
    const qint64 first = addGoodsRow(other);
    const qint64 second = addGoodsRow(other);
    ASSERT_TRUE(other.execute(QStringLiteral("update data set [7]=[7]-1 where ID=?"), {second}));
    ASSERT_TRUE(other.execute(QStringLiteral("update data set [7]=[7]+1 where ID=?"), {first}));
    ASSERT_TRUE(other.execute(QStringLiteral("insert into data1 (a,[3]) values ('甲',1)")));
    const qint64 record = other.lastInsertId();
    ASSERT_TRUE(other.commit());
    (void)QTest::qWaitFor([&] { return ids(goods) == (QList<qint64>{first, second}); }, 1000);
    ASSERT_EQ(ids(goods), (QList<qint64>{first, second}));
    (void)QTest::qWaitFor([&] { return ids(sales) == QList<qint64>{record}; }, 1000);
    ASSERT_EQ(ids(sales), QList<qint64>{record});
    EXPECT_EQ(reloads.count(), 0);
    // A deletion is told too.
    ASSERT_TRUE(other.execute(QStringLiteral("delete from data where ID=?"), {first}));
    (void)QTest::qWaitFor([&] { return ids(goods) == (QList<qint64>{first, second, first}); }, 1000);
    ASSERT_EQ(ids(goods), (QList<qint64>{first, second, first}));
}

TEST_F(ServerNotificationsTest, ABurstOfManyRowsAsksForTheWholeListOnce) {
    QSignalSpy goods(listener.get(), &ServerNotifications::goodsChanged);
    QSignalSpy reloads(listener.get(), &ServerNotifications::goodsReloadNeeded);
    QSignalSpy salesReloads(listener.get(), &ServerNotifications::salesReloadNeeded);
    ASSERT_TRUE(
        other.execute(QStringLiteral("insert into data (a,[7]) select 'x', g from generate_series(1, ") +
                      QString::number(ServerNotifications::MostRowsOneByOne + 1) + QStringLiteral(") g")));
    (void)QTest::qWaitFor([&] { return reloads.count() == 1; }, 1000);
    ASSERT_EQ(reloads.count(), 1);
    EXPECT_EQ(goods.count(), 0);
    EXPECT_EQ(salesReloads.count(), 0);
}

TEST_F(ServerNotificationsTest, ThisTillsOwnWritesAreNotHandedOn) {
    QSignalSpy goods(listener.get(), &ServerNotifications::goodsChanged);
    addGoodsRow(env.database());
    const qint64 theirs = addGoodsRow(other);
    // Both were committed in this order, and the server tells in commit order: once the other till's
    // arrives, this till's would have come before it.
    (void)QTest::qWaitFor([&] { return ids(goods) == QList<qint64>{theirs}; }, 1000);
    ASSERT_EQ(ids(goods), QList<qint64>{theirs});
}

TEST_F(ServerNotificationsTest, ALostConnectionIsMadeAgainAndTheListsReadOnce) {
    QSignalSpy listening(listener.get(), &ServerNotifications::listening);
    QSignalSpy goods(listener.get(), &ServerNotifications::goodsChanged);
    QSignalSpy goodsReloads(listener.get(), &ServerNotifications::goodsReloadNeeded);
    QSignalSpy salesReloads(listener.get(), &ServerNotifications::salesReloadNeeded);
    const int pid = listener->backendPid();
    ASSERT_GT(pid, 0);
    // Ended, and a row written before the listener could know: its notification is lost with it.
    ASSERT_TRUE(other.scalar(QStringLiteral("select pg_terminate_backend(?, 5000)"), {pid}).toBool());
    addGoodsRow(other);
    (void)QTest::qWaitFor([&] { return listening.count() == 1; }, 3000);
    ASSERT_EQ(listening.count(), 1);
    EXPECT_NE(listener->backendPid(), pid);
    (void)QTest::qWaitFor([&] { return goodsReloads.count() == 1; }, 1000);
    ASSERT_EQ(goodsReloads.count(), 1);
    EXPECT_EQ(salesReloads.count(), 1);
    // Listening again: the next write comes row by row, and no further reload.
    const qint64 next = addGoodsRow(other);
    (void)QTest::qWaitFor([&] { return ids(goods) == QList<qint64>{next}; }, 1000);
    ASSERT_EQ(ids(goods), QList<qint64>{next});
    EXPECT_EQ(goodsReloads.count(), 1);
}

} // namespace
