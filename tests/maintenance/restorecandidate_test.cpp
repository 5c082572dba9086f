// What a restore accepts: only a sound database of this program, at a version it knows or can bring up
// to date; the chosen file is never changed; the safety copy replaces the previous one only once the
// restore has happened.
#include "maintenance/restorecandidate.h"
#include "maintenance/shopfiles.h"
#include "tests/maintenance/corruptshop.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"

#include <QDir>
#include <QFile>
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
    const QString old = makeShop(env, "old.mdb");
    // Version 1: before the customer index.
    runSql(old, "DROP INDEX data1_g; PRAGMA user_version=1;");
    const QByteArray before = bytesOf(old);

    RestoreCandidate candidate(env.file(QStringLiteral("data.mdb")));
    ASSERT_TRUE(candidate.prepare(old)) << candidate.refusal().toStdString();
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
    const QStringList before = QDir(env.dir()).entryList(QDir::Files);
    {
        RestoreCandidate candidate(database);
        EXPECT_FALSE(candidate.prepare(foreign));
        EXPECT_TRUE(candidate.refusal().contains(QDir::toNativeSeparators(foreign)))
            << candidate.refusal().toStdString();
        EXPECT_FALSE(candidate.refusal().contains(QStringLiteral("restore-")));
    }
    EXPECT_EQ(QDir(env.dir()).entryList(QDir::Files), before);
}

TEST(RestoreCheck, TheSafetyCopyReplacesThePreviousOneOnlyWhenKept) {
    TestEnv env;
    const QString database = makeShop(env, "data.mdb");
    const QString safety = shopfiles::safetyCopyPath(database);
    writeBytes(safety, "previous safety copy");
    const QByteArray current = bytesOf(database);
    const QStringList before = QDir(env.dir()).entryList(QDir::Files);
    {
        RestoreCandidate abandoned(database);
        QString error;
        ASSERT_TRUE(abandoned.stageSafetyCopy(&error)) << error.toStdString();
    }
    EXPECT_EQ(bytesOf(safety), QByteArray("previous safety copy"));
    EXPECT_EQ(QDir(env.dir()).entryList(QDir::Files), before) << "the staged copy went with it";

    RestoreCandidate kept(database);
    QString error;
    ASSERT_TRUE(kept.stageSafetyCopy(&error));
    ASSERT_TRUE(kept.keepSafetyCopy(&error)) << error.toStdString();
    EXPECT_EQ(bytesOf(safety), current);
}
