// The tables on a server database: made once by tills starting together, a newer or foreign database
// refused unchanged.
#include "store/database.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// An empty database of the server, dropped at the end.
struct EmptyServerDatabase {
    EmptyServerDatabase() {
        Database admin;
        // Any database of ours will do to run the statements that make and drop another.
        connection = testserver::createDatabase(&adminName);
        EXPECT_TRUE(admin.openServer(connection));
        name = adminName + QStringLiteral("_empty");
        EXPECT_TRUE(admin.execute(QStringLiteral("create database ") + name)) << admin.errorText().toStdString();
    }
    ~EmptyServerDatabase() {
        testserver::dropDatabase(name);
        testserver::dropDatabase(adminName);
    }
    QString adminName, name, connection;
};
} // namespace

TEST(ServerSchema, TillsStartingTogetherOnAnEmptyDatabaseMakeOneSchema) {
    if (!testserver::active()) GTEST_SKIP() << "needs the server";
    EmptyServerDatabase empty;
    const QString connection = testserver::connectionFor(empty.name);
    std::vector<pid_t> tills;
    for (int i = 0; i < 4; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            Database till;
            _exit(till.openServer(connection) ? 0 : 1);
        }
        tills.push_back(child);
    }
    for (const pid_t till : tills) {
        int status = 0;
        waitpid(till, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Database db;
    ASSERT_TRUE(db.openServer(connection)) << db.errorText().toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from userdb")).toInt(), 1);
    EXPECT_EQ(db.scalar(QStringLiteral("select version from jsjxc_schema")).toInt(), Database::SchemaVersion);
}

TEST(ServerSchema, ANewerOrForeignDatabaseIsRefusedUnchanged) {
    if (!testserver::active()) GTEST_SKIP() << "needs the server";
    TestEnv env;
    Database &db = env.database();
    const QString connection = db.serverConnection();
    addGoods(db, QStringLiteral("电脑"), QStringLiteral("A"), 10, 5, 12);
    ASSERT_TRUE(db.execute(QStringLiteral("update jsjxc_schema set version=?"), {Database::SchemaVersion + 1}));
    Database newer;
    EXPECT_FALSE(newer.openServer(connection));
    EXPECT_TRUE(newer.errorText().contains(QStringLiteral("更新版本"))) << newer.errorText().toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("select version from jsjxc_schema")).toInt(), Database::SchemaVersion + 1);
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from data")).toInt(), 1);

    EmptyServerDatabase foreign;
    Database admin;
    ASSERT_TRUE(admin.openServer(testserver::connectionFor(foreign.adminName)));
    ASSERT_TRUE(admin.execute(QStringLiteral("select 1")));
    {
        // Someone else's table in an otherwise empty database.
        Database other;
        const QString otherConnection = testserver::connectionFor(foreign.name);
        // The till must not take it over: made by hand through a plain connection.
        ASSERT_TRUE(admin.execute(QStringLiteral("select 1")));
        EXPECT_EQ(system(QStringLiteral("psql -q \"%1\" -c 'create table invoices (n int)' >/dev/null 2>&1")
                             .arg(otherConnection)
                             .toLocal8Bit()
                             .constData()),
                  0);
        EXPECT_FALSE(other.openServer(otherConnection));
        EXPECT_TRUE(other.errorText().contains(QStringLiteral("不是本程序的数据库"))) << other.errorText().toStdString();
    }
}

TEST(ServerSchema, AnUnreachableServerIsNamedWithTheReason) {
    if (!testserver::active()) GTEST_SKIP() << "needs the server";
    Database db;
    // A port nothing listens on.
    EXPECT_FALSE(db.openServer(QStringLiteral("host=127.0.0.1 port=1 dbname=shop user=till1")));
    EXPECT_TRUE(db.errorText().contains(QStringLiteral("127.0.0.1:1/shop"))) << db.errorText().toStdString();
    EXPECT_TRUE(db.errorText().contains(QStringLiteral("无法连接数据库服务器")));
    EXPECT_FALSE(db.isOpen());
    Database unreadable;
    EXPECT_FALSE(unreadable.openServer(QStringLiteral("host=")));
    EXPECT_FALSE(unreadable.errorText().isEmpty());
}
