// What a restore accepts: only a sound database of this program, at a version it knows or can bring up
// to date; the chosen file is never changed; every safety copy kept gets a name of its own and never
// replaces another.
#include "maintenance/restorecandidate.h"
#include "maintenance/safetycopies.h"
#include "store/clock.h"
#include "tests/maintenance/corruptshop.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
void runSql(const QString &path, const char *sql) {
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

QString makeShop(const TestEnv &env, const char *name) {
    const QString path = env.file(QString::fromLatin1(name));
    Database database;
    EXPECT_TRUE(database.open(path));
    addGoods(database, u("电脑"), u("联想"), 3000, 5, 3500);
    return path;
}

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Files and folders alike: a restore's working folder is one of them.
QStringList entriesOf(const QString &folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

TEST(RestoreCheck, RefusesEveryFileThatIsNotASoundShopDatabaseAndSaysWhy) {
    TestEnv env;
    const QString shop = makeShop(env, "shop.mdb");
    const QByteArray whole = bytesOf(shop);

    const QString foreign = env.file(QStringLiteral("foreign.mdb"));
    runSql(foreign, "CREATE TABLE t (x); INSERT INTO t VALUES (1);");
    const QString newer = makeShop(env, "newer.mdb");
    runSql(newer, "PRAGMA user_version=99;");
    const QString missingTable = makeShop(env, "missing.mdb");
    runSql(missingTable, "DROP TABLE rz;");
    const QString corrupt = env.file(QStringLiteral("corrupt.mdb"));
    makeCorruptShop(corrupt);
    const QString truncated = env.file(QStringLiteral("truncated.mdb"));
    writeBytes(truncated, whole.left(whole.size() / 2));
    const QString text = env.file(QStringLiteral("text.mdb"));
    writeBytes(text, "hello");

    struct Case {
        QString path;
        const char *says;
    } cases[] = {
        {foreign, "不是本程序的数据库文件"},
        {newer, "更新版本"},
        {missingTable, "rz"},
        {corrupt, "完整性检查"},
        {truncated, ""},
        {text, "不是本程序的数据库文件"},
    };
    for (const Case &c : cases) {
        const QString refusal = refusalOfDatabaseFile(c.path);
        EXPECT_FALSE(refusal.isEmpty()) << c.path.toStdString();
        EXPECT_TRUE(refusal.contains(QString::fromUtf8(c.says))) << refusal.toStdString();
    }
    EXPECT_EQ(refusalOfDatabaseFile(shop), QString());
}

TEST(RestoreCheck, AnOlderShopIsAcceptedAndTheChosenFileStaysAsItWas) {
    TestEnv env;
    static_assert(Database::ApplicationId == 1246972504);
    // A shop as the first version of the tables left it, before the customer index and every later step.
    const QString old = env.file(QStringLiteral("old.mdb"));
    runSql(
        old,
        "PRAGMA application_id=1246972504;"
        "CREATE TABLE data (ID INTEGER PRIMARY KEY, a TEXT, b TEXT, c TEXT, d TEXT, e TEXT, f TEXT, g TEXT,"
        " z TEXT, [1] REAL, [2] REAL, [3] REAL, [4] REAL, [5] REAL, [6] REAL, [7] REAL, [8] REAL, day1 TEXT);"
        "CREATE TABLE data1 (ID INTEGER PRIMARY KEY, a TEXT, b TEXT, c TEXT, d TEXT, e TEXT, f TEXT, g TEXT,"
        " h TEXT, i TEXT, j TEXT, k TEXT, l TEXT, m TEXT, n TEXT, o TEXT, p TEXT, q TEXT, r TEXT, s TEXT,"
        " t TEXT, u TEXT, v TEXT, w TEXT, x TEXT, y TEXT, z TEXT, [1] REAL, [2] REAL, [3] REAL, [4] REAL,"
        " a5 REAL, [6] REAL, [7] REAL, [8] REAL, [9] REAL, day1 TEXT, day2 TEXT, day3 TEXT, day4 TEXT,"
        " day5 TEXT, day6 TEXT);"
        "CREATE TABLE userdb (username TEXT, passwd TEXT);"
        "CREATE TABLE rz (id INTEGER PRIMARY KEY AUTOINCREMENT, username TEXT, btime TEXT, jtime TEXT);"
        "CREATE INDEX data_day1 ON data (day1);"
        "CREATE INDEX data1_z ON data1 (z);"
        "CREATE INDEX data1_day1 ON data1 (day1);"
        "INSERT INTO data (a, b, [1], [2], day1) VALUES ('电脑', '联想', 3000, 5, '2014-08-01');"
        "PRAGMA user_version=1;");
    const QByteArray before = bytesOf(old);

    RestoreCandidate candidate(env.file(QStringLiteral("data.mdb")));
    ASSERT_TRUE(candidate.prepare(nullptr, old)) << candidate.refusal().toStdString();
    EXPECT_EQ(bytesOf(old), before);
    Database restored;
    ASSERT_TRUE(restored.open(candidate.path()));
    EXPECT_EQ(restored.scalar(QStringLiteral("PRAGMA user_version")).toInt(), Database::SchemaVersion);
    EXPECT_EQ(
        restored.scalar(QStringLiteral("select count(*) from sqlite_master where name='data1_g'")).toInt(),
        1);
    EXPECT_EQ(restored.scalar(QStringLiteral("select count(*) from data")).toInt(), 1);
}

TEST(RestoreCheck, ARefusalNamesTheChosenFileAndLeavesNothingBehind) {
    TestEnv env;
    const QString database = makeShop(env, "data.mdb");
    const QString foreign = env.file(QStringLiteral("foreign.mdb"));
    runSql(foreign, "CREATE TABLE t (x);");
    const QStringList before = entriesOf(env.dir());
    {
        RestoreCandidate candidate(database);
        EXPECT_FALSE(candidate.prepare(nullptr, foreign));
        EXPECT_TRUE(candidate.refusal().contains(QDir::toNativeSeparators(foreign)))
            << candidate.refusal().toStdString();
        EXPECT_FALSE(candidate.refusal().contains(QStringLiteral("restore-")));
    }
    EXPECT_EQ(entriesOf(env.dir()), before);
}

TEST(RestoreCheck, EveryKeptSafetyCopyTakesAFreeNameOfItsOwnAndAnAbandonedOneLeavesNothing) {
    TestEnv env; // 2014-08-12 10:30:00
    const QString database = makeShop(env, "data.mdb");
    const QString first = safetycopies::nameFor(database, Clock::now());
    EXPECT_EQ(first, database + QStringLiteral(".bak-20140812-103000"));
    writeBytes(first, "previous safety copy");
    // The single copy an earlier version kept.
    const QString earlier = database + QStringLiteral(".bak");
    writeBytes(earlier, "earlier version's copy");
    {
        QFile file(earlier);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(
            file.setFileTime(QDateTime(QDate(2014, 8, 1), QTime(9, 0)), QFileDevice::FileModificationTime));
    }
    const QByteArray current = bytesOf(database);
    const QStringList before = entriesOf(env.dir());
    {
        RestoreCandidate abandoned(database);
        QString error;
        ASSERT_TRUE(abandoned.stageSafetyCopy(&error)) << error.toStdString();
    }
    EXPECT_EQ(entriesOf(env.dir()), before) << "the staged copy went with it";

    // Two more in the same second, then one a minute later.
    const struct {
        QTime at;
        const char *expected;
    } restores[] = {{QTime(10, 30), ".bak-20140812-103000-2"},
                    {QTime(10, 30), ".bak-20140812-103000-3"},
                    {QTime(10, 31), ".bak-20140812-103100"}};
    for (const auto &[at, expected] : restores) {
        Clock::fix(QDateTime(QDate(2014, 8, 12), at));
        RestoreCandidate kept(database);
        QString error;
        ASSERT_TRUE(kept.stageSafetyCopy(&error));
        ASSERT_TRUE(kept.keepSafetyCopy(&error)) << error.toStdString();
        EXPECT_EQ(kept.keptPath(), database + QString::fromLatin1(expected));
        EXPECT_EQ(bytesOf(kept.keptPath()), current);
    }
    EXPECT_EQ(bytesOf(first), QByteArray("previous safety copy")) << "never replaced";
    EXPECT_EQ(bytesOf(earlier), QByteArray("earlier version's copy"));

    QStringList listed;
    for (const safetycopies::Copy &copy : safetycopies::list(database))
        listed << QFileInfo(copy.path).fileName();
    EXPECT_EQ(listed,
              QStringList({QStringLiteral("data.mdb.bak-20140812-103100"),
                           QStringLiteral("data.mdb.bak-20140812-103000-3"),
                           QStringLiteral("data.mdb.bak-20140812-103000-2"),
                           QStringLiteral("data.mdb.bak-20140812-103000"), QStringLiteral("data.mdb.bak")}))
        << "newest first";
}
