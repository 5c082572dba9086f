// The database file: creation with the four tables and the super administrator, refusal of foreign,
// corrupt and newer files without touching them, and the statements run over the connection.
#include "store/database.h"
#include "store/passwords.h"
#include "tests/support/testenv.h"

#include <QCryptographicHash>
#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
QByteArray fileHash(const QString &path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void writeFile(const QString &path, const QByteArray &content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// A database made by another program (or another version of ours) through the bare C API.
void makeSqliteFile(const QString &path, int applicationId, int userVersion) {
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    const QByteArray sql =
        "CREATE TABLE other (x); PRAGMA application_id=" + QByteArray::number(applicationId) +
        "; PRAGMA user_version=" + QByteArray::number(userVersion) + ";";
    ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}
} // namespace

TEST(Database, NewFileHasTheFourTablesAndTheSuperAdministrator) {
    TestEnv env;
    Database &db = env.database();
    for (const char *table : {"data", "data1", "userdb", "rz"})
        EXPECT_EQ(
            db.scalar(QStringLiteral("select count(*) from sqlite_master where type='table' and name=?"),
                      {QString::fromLatin1(table)})
                .toInt(),
            1)
            << table;
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from userdb")).toInt(), 1);
    const QString stored = db.scalar(QStringLiteral("select passwd from userdb where username=?"),
                                     {QStringLiteral("超级管理员")})
                               .toString();
    EXPECT_NE(stored, QStringLiteral("659"));
    EXPECT_TRUE(passwords::verify(stored, QStringLiteral("659")));
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA user_version")).toInt(), Database::SchemaVersion);
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA application_id")).toInt(), Database::ApplicationId);
}

TEST(Database, ReopeningKeepsRows) {
    TestEnv env;
    const QString path = env.file(QStringLiteral("shop.mdb"));
    {
        Database db;
        ASSERT_TRUE(db.open(path));
        addGoods(db, QStringLiteral("电脑"), QStringLiteral("A1"), 3000, 2, 3500);
    }
    Database db;
    ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("select a from data")).toString(), QStringLiteral("电脑"));
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from userdb")).toInt(), 1);
}

TEST(Database, RefusesFilesThatAreNotItsOwnAndLeavesThemUntouched) {
    TestEnv env;
    struct Case {
        const char *name;
        std::function<void(const QString &)> make;
        const char *messagePart;
    };
    const Case cases[] = {
        {"text file", [](const QString &p) { writeFile(p, "这不是数据库\n"); }, "不是本程序的数据库"},
        {"empty file", [](const QString &p) { writeFile(p, ""); }, "不是本程序的数据库"},
        {"corrupt header",
         [](const QString &p) {
             writeFile(p, QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\x7f'));
         },
         ""},
        {"foreign sqlite", [](const QString &p) { makeSqliteFile(p, 0, 0); }, "不是本程序的数据库"},
        {"newer version",
         [](const QString &p) { makeSqliteFile(p, Database::ApplicationId, Database::SchemaVersion + 1); },
         "更新版本"},
    };
    for (const Case &c : cases) {
        const QString path = env.file(QString::fromLatin1(c.name) + QStringLiteral(".mdb"));
        c.make(path);
        const QByteArray before = fileHash(path);
        const qint64 sizeBefore = QFile(path).size();
        Database db;
        EXPECT_FALSE(db.open(path)) << c.name;
        EXPECT_TRUE(db.errorText().contains(QString::fromUtf8(c.messagePart)))
            << c.name << ": " << db.errorText().toStdString();
        db.close();
        EXPECT_EQ(fileHash(path), before) << c.name;
        EXPECT_EQ(QFile(path).size(), sizeBefore) << c.name;
    }
}

TEST(Database, AnOlderVersionIsBroughtUpToDate) {
    TestEnv env;
    const QString path = env.file(QStringLiteral("old.mdb"));
    makeSqliteFile(path, Database::ApplicationId, 0);
    Database db;
    ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA user_version")).toInt(), Database::SchemaVersion);
    EXPECT_TRUE(db.execute(QStringLiteral("insert into data (a) values (?)"), {QStringLiteral("x")}));
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from other")).toInt(), 0); // its own table kept
}

TEST(Database, AFirstVersionFileKeepsItsSalesAndGetsTheCustomerIndex) {
    TestEnv env;
    const QString path = env.file(QStringLiteral("v1.mdb"));
    {
        Database db;
        ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
        ASSERT_TRUE(db.execute(QStringLiteral("insert into data1 (a,g) values (?,?)"),
                               {QStringLiteral("鼠标"), QStringLiteral("王五")}));
        ASSERT_TRUE(db.execute(QStringLiteral("drop index data1_g")));
        ASSERT_TRUE(db.execute(QStringLiteral("PRAGMA user_version=1")));
    }
    Database db;
    ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA user_version")).toInt(), 2);
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from sqlite_master where name='data1_g'")).toInt(),
              1);
    EXPECT_EQ(db.scalar(QStringLiteral("select g from data1 where a=?"), {QStringLiteral("鼠标")}).toString(),
              QStringLiteral("王五"));
}

TEST(Database, FailedStatementReportsTheEngineErrorAndKeepsCommittedRows) {
    TestEnv env;
    Database &db = env.database();
    addGoods(db, QStringLiteral("鼠标"), QString(), 10, 5, 15);
    EXPECT_FALSE(db.execute(QStringLiteral("update data set nosuchcolumn=1")));
    EXPECT_TRUE(db.errorText().contains(QStringLiteral("nosuchcolumn")));
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from data")).toInt(), 1);
}

TEST(Database, TransactionRollsBackTogether) {
    TestEnv env;
    Database &db = env.database();
    const qint64 id = addGoods(db, QStringLiteral("键盘"), QString(), 20, 10, 30);
    ASSERT_TRUE(db.begin());
    ASSERT_TRUE(db.execute(QStringLiteral("update data set [7]=3 where ID=?"), {id}));
    EXPECT_FALSE(db.execute(QStringLiteral("insert into nosuchtable values (1)")));
    db.rollback();
    EXPECT_EQ(db.scalar(QStringLiteral("select [7] from data where ID=?"), {id}).toDouble(), 10);
}

TEST(Database, QuotesInUserTextAreStoredAsTyped) {
    TestEnv env;
    Database &db = env.database();
    const QString name = QStringLiteral("O'Neil 的\"店\"");
    ASSERT_TRUE(db.execute(QStringLiteral("insert into data1 (g) values (?)"), {name}));
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from data1 where g=?"), {name}).toInt(), 1);
}

TEST(Passwords, CaseInsensitiveSaltedHashes) {
    const QString first = passwords::hash(QStringLiteral("Abc123"));
    const QString second = passwords::hash(QStringLiteral("Abc123"));
    EXPECT_NE(first, second); // salted
    EXPECT_FALSE(first.contains(QStringLiteral("Abc123"), Qt::CaseInsensitive));
    EXPECT_TRUE(passwords::verify(first, QStringLiteral("abc123")));
    EXPECT_TRUE(passwords::verify(first, QStringLiteral("ABC123")));
    EXPECT_FALSE(passwords::verify(first, QStringLiteral("abc124")));
    EXPECT_FALSE(passwords::verify(QStringLiteral("659"), QStringLiteral("659"))); // plain text never matches
    EXPECT_FALSE(passwords::verify(QString(), QString()));
}
