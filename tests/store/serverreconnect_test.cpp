// The server connection lost under the program: a restart, a shutdown or an administrator ends the
// session, while the program is idle or in the middle of a statement. Reads are answered over a new
// connection, a write is never done twice, a transaction cut off saves nothing and says so, and a
// server that is down is reported each time until it is back.
#include "store/database.h"
#include "tests/support/sessionend.h"
#include "tests/support/testenv.h"
#include "tests/support/testserver.h"
#include "tests/support/throwawayserver.h"

#include <functional>
#include <gtest/gtest.h>

namespace {
const QString Lost = QStringLiteral("与数据库服务器的连接已断开");
const QString NotSaved = QStringLiteral("没有保存");
const QString NotKnown = QStringLiteral("无法确认");

class ServerReconnectTest : public ::testing::Test {
  public: // the table of cases cuts the connection through the fixture
    void SetUp() override {
        if (!testserver::active()) GTEST_SKIP() << "a lost connection is the server's";
        db = &env.database();
    }
    void endSession() {
        QString error;
        ASSERT_TRUE(sessionend::terminate(*db, &error)) << error.toStdString();
    }
    bool insertGoods(const QString &name) {
        return db->execute(QStringLiteral("insert into data (a,[7]) values (?,1)"), {name});
    }
    int goodsCount() { return db->scalar(QStringLiteral("select count(*) from data")).toInt(); }
    std::string error() const { return db->errorText().toStdString(); }

    TestEnv env;
    Database *db = nullptr;
};

TEST_F(ServerReconnectTest, ReadsAndWritesAfterTheSessionEndedRunOnceOverANewConnection) {
    const int before = sessionend::backendPid(*db);
    endSession();
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from data")), QVariant(qint64(0))) << error();
    EXPECT_NE(sessionend::backendPid(*db), before);
    EXPECT_NE(sessionend::backendPid(*db), 0);

    // The write found the connection closed before sending it: it is sent once, over a new one.
    endSession();
    ASSERT_TRUE(insertGoods(QStringLiteral("电脑"))) << error();
    EXPECT_EQ(goodsCount(), 1);
    // Texts still travel as UTF-8 after the new connection.
    EXPECT_EQ(db->scalar(QStringLiteral("select a from data")).toString(), QStringLiteral("电脑"));
}

TEST_F(ServerReconnectTest, AReadWhoseAnswerWasLostIsAskedAgainAWriteIsNot) {
    ASSERT_TRUE(sessionend::installEndOnce(*db)) << error();
    EXPECT_EQ(db->scalar(QStringLiteral("select end_session_once()")).toInt(), 1) << error();
    EXPECT_EQ(sessionend::endOnceRuns(*db), 2);

    // The insert ended its session midway: the server may as well have stored it, so it is not sent
    // again, and the message says so.
    db->execute(QStringLiteral("drop function end_session_once()"));
    db->execute(QStringLiteral("drop sequence end_session_runs"));
    ASSERT_TRUE(sessionend::endOnceOn(*db, QStringLiteral("data"), QStringLiteral("insert"))) << error();
    EXPECT_FALSE(insertGoods(QStringLiteral("鼠标")));
    EXPECT_TRUE(db->errorText().contains(Lost) && db->errorText().contains(NotKnown)) << error();
    EXPECT_EQ(sessionend::endOnceRuns(*db), 1);
    EXPECT_EQ(goodsCount(), 0);
    ASSERT_TRUE(insertGoods(QStringLiteral("鼠标"))) << error();
    EXPECT_EQ(goodsCount(), 1);
}

// Each way a transaction loses its connection: nothing of it is stored, the failure says that the
// connection was lost and nothing saved, and the next transaction works over a new connection.
TEST_F(ServerReconnectTest, ATransactionCutOffSavesNothingAndTheNextOneWorks) {
    struct Case {
        const char *name;
        std::function<bool(ServerReconnectTest &)> cutOff; // false: the step that failed
    };
    const Case cases[] = {
        {"ended before COMMIT",
         [](ServerReconnectTest &t) {
             t.endSession();
             return t.db->commit();
         }},
        {"ended before a statement",
         [](ServerReconnectTest &t) {
             t.endSession();
             return t.insertGoods(QStringLiteral("键盘"));
         }},
        {"ended in the middle of a statement",
         [](ServerReconnectTest &t) { return t.db->execute(QStringLiteral("update data set [7]=0")); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(db->execute(QStringLiteral("delete from data")));
        ASSERT_TRUE(db->execute(QStringLiteral("drop trigger if exists end_session on data")));
        ASSERT_TRUE(db->execute(QStringLiteral("drop function if exists end_session_trigger()")));
        ASSERT_TRUE(db->execute(QStringLiteral("drop function if exists end_session_once()")));
        ASSERT_TRUE(db->execute(QStringLiteral("drop sequence if exists end_session_runs")));
        ASSERT_TRUE(sessionend::endOnceOn(*db, QStringLiteral("data"), QStringLiteral("update"))) << error();

        ASSERT_TRUE(db->begin()) << error();
        ASSERT_TRUE(insertGoods(QStringLiteral("电脑"))) << error();
        EXPECT_FALSE(c.cutOff(*this));
        EXPECT_TRUE(db->errorText().contains(Lost) && db->errorText().contains(NotSaved)) << error();
        if (db->inTransaction()) db->rollback();
        EXPECT_FALSE(db->inTransaction());
        EXPECT_EQ(goodsCount(), 0) << error();

        ASSERT_TRUE(db->begin()) << error();
        ASSERT_TRUE(insertGoods(QStringLiteral("电脑"))) << error();
        ASSERT_TRUE(db->commit()) << error();
        EXPECT_EQ(goodsCount(), 1);
    }
}

TEST_F(ServerReconnectTest, ACommitOfATransactionWithAFailedStatementSavesNothingAndSaysSo) {
    ASSERT_TRUE(db->begin());
    ASSERT_TRUE(insertGoods(QStringLiteral("电脑")));
    EXPECT_FALSE(db->execute(QStringLiteral("insert into no_such_table values (1)")));
    EXPECT_FALSE(db->commit());
    EXPECT_FALSE(db->errorText().isEmpty());
    EXPECT_EQ(goodsCount(), 0);
}

TEST_F(ServerReconnectTest, AServerThatIsDownIsReportedEachTimeAndUsedAgainOnceItIsBack) {
    ThrowAwayServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    ASSERT_TRUE(db->openServer(server.connection())) << error();
    ASSERT_TRUE(insertGoods(QStringLiteral("电脑"))) << error();

    ASSERT_TRUE(server.stop()) << server.error().toStdString();
    for (int time = 0; time < 2; ++time) {
        EXPECT_FALSE(db->scalar(QStringLiteral("select count(*) from data")).isValid());
        EXPECT_TRUE(db->errorText().contains(Lost)) << error();
        EXPECT_FALSE(db->begin());
        EXPECT_TRUE(db->errorText().contains(Lost)) << error();
        EXPECT_FALSE(db->inTransaction());
        EXPECT_FALSE(insertGoods(QStringLiteral("鼠标")));
    }

    ASSERT_TRUE(server.start()) << server.error().toStdString();
    EXPECT_EQ(goodsCount(), 1) << error();
    ASSERT_TRUE(db->begin()) << error();
    ASSERT_TRUE(insertGoods(QStringLiteral("鼠标"))) << error();
    ASSERT_TRUE(db->commit()) << error();
    EXPECT_EQ(goodsCount(), 2);
}

} // namespace
