// The password file: written 0600 in one rename, a line of the same server replaced and every other
// line kept, escaped so that libpq reads the password back, and used by a real login that needs it.
#include "maintenance/connectionsettings.h"
#include "maintenance/pgpass.h"
#include "store/database.h"
#include "store/settingsstore.h"
#include "tests/maintenance/ownserver.h"
#include "tests/support/testenv.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sys/stat.h>

namespace {
QString u(const char *utf8) {
    return QString::fromUtf8(utf8);
}

void write(const QString &path, const QByteArray &bytes, mode_t mode) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    ::chmod(QFile::encodeName(path).constData(), mode);
}

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t modeOf(const QString &path) {
    struct stat status {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

// The password libpq itself takes from the file for a connection string (read before it connects).
QString libpqPassword(const QString &connection, const QString &file) {
    const QByteArray text = (connection + QStringLiteral(" passfile=") +
                             connectionsettings::quotedValue(file) + QStringLiteral(" connect_timeout=2"))
                                .toUtf8();
    PGconn *attempt = PQconnectStart(text.constData());
    const QString password = QString::fromUtf8(PQpass(attempt));
    PQfinish(attempt);
    return password;
}

const pgpass::Key Shop{QStringLiteral("shop-server"), QStringLiteral("5432"), u("门店"),
                       QStringLiteral("kasse")};
} // namespace

TEST(PasswordFile, ALineOfTheSameServerIsReplacedOthersKeptAndTheFileClosedToOthers) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(".pgpass"));
    write(path,
          u("# the shop's tills\n"
            "otherhost:5432:shop:kasse:other\n"
            "shop-server:5432:门店:kasse:old\n"
            "*:*:*:backup:any\n")
              .toUtf8(),
          0644);
    QString error;
    ASSERT_TRUE(pgpass::store(path, Shop, u("new:pw\\"), &error)) << error.toStdString();
    EXPECT_EQ(contents(path), u("# the shop's tills\n"
                                "otherhost:5432:shop:kasse:other\n"
                                "shop-server:5432:门店:kasse:new\\:pw\\\\\n"
                                "*:*:*:backup:any\n")
                                  .toUtf8());
    EXPECT_EQ(modeOf(path), mode_t(0600));
    EXPECT_EQ(pgpass::passwordFor(path, Shop), u("new:pw\\"));
    EXPECT_EQ(pgpass::permissionProblem(path), QString());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral(".pgpass")})
        << "no temporary file left beside it";

    // A new file is made 0600 from the start.
    const QString fresh = dir.filePath(QStringLiteral("fresh"));
    ASSERT_TRUE(pgpass::store(fresh, Shop, u("pw"), &error)) << error.toStdString();
    EXPECT_EQ(modeOf(fresh), mode_t(0600));
    EXPECT_EQ(contents(fresh), u("shop-server:5432:门店:kasse:pw\n").toUtf8());
}

TEST(PasswordFile, ALineThatWouldWinForTheServerGetsTheNewLineBeforeIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(".pgpass"));
    write(path, "*:*:*:kasse:wild\nshop-server:5432:" + u("门店").toUtf8() + ":kasse:stale\n", 0600);
    ASSERT_TRUE(pgpass::store(path, Shop, u("fresh"), nullptr));
    EXPECT_EQ(contents(path), u("shop-server:5432:门店:kasse:fresh\n*:*:*:kasse:wild\n").toUtf8())
        << "the stale copy further down could never be used";
    EXPECT_EQ(pgpass::passwordFor(path, Shop), u("fresh"));
    EXPECT_EQ(pgpass::passwordFor(path, {u("h"), u("1"), u("d"), u("kasse")}), u("wild"));
    EXPECT_EQ(pgpass::passwordFor(path, {u("h"), u("1"), u("d"), u("other")}), std::nullopt);
}

TEST(PasswordFile, FieldsAreEscapedAsLibpqReadsThem) {
    struct Case {
        const char *value;
        const char *escaped;
    } cases[] = {{"a:b", "a\\:b"},     {"c\\d", "c\\\\d"}, {"*", "\\*"}, {"a*b", "a*b"},
                 {"#shop", "\\#shop"}, {"门店", "门店"},   {"", ""}};
    for (const Case &c : cases)
        EXPECT_EQ(pgpass::escapedField(u(c.value)), u(c.escaped)) << c.value;
}

TEST(PasswordFile, LibpqTakesThePasswordThatWasStored) {
    struct Case {
        const char *what;
        connectionsettings::Settings settings;
        const char *password;
    } cases[] = {
        {"colons and backslashes everywhere",
         {true, u("/tmp/no:such\\socket"), u("5432"), u("店:一\\号"), u("收银*"), {}, {}},
         "p:a\\ss#*"},
        {"a database named like the wildcard",
         {true, u("127.0.0.1"), u("1"), u("*"), u("kasse"), {}, {}},
         "star"},
        {"a host that would start a comment",
         {true, u("/tmp/#shop"), u("1"), u("shop"), u("kasse"), {}, {}},
         "hash"},
        {"empty port and database: libpq's defaults",
         {true, u("127.0.0.1"), {}, {}, u("kasse"), {}, {}},
         "defaults"},
        {"spaces and quotes",
         {true, u("127.0.0.1"), u("1"), u("my 'shop'"), u("kas se"), {}, {}},
         " sp ace '"},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        const QString path = dir.filePath(QStringLiteral("pgpass"));
        // Group-readable, as a file copied by hand often is: libpq ignores such a file.
        write(path, "other:5432:shop:kasse:nope\n", 0644);
        QString error;
        ASSERT_TRUE(pgpass::store(path, connectionsettings::passwordKey(c.settings), u(c.password), &error))
            << c.what << ": " << error.toStdString();
        EXPECT_EQ(libpqPassword(connectionsettings::connectionString(c.settings), path), u(c.password))
            << c.what << "\n"
            << contents(path).toStdString();
    }
}

TEST(PasswordFile, WhatCannotBeWrittenIsRefusedAndTheOldFileKept) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(".pgpass"));
    write(path, "keep:5432:shop:kasse:me\n", 0600);
    QString error;
    EXPECT_FALSE(pgpass::store(path, Shop, u("two\nlines"), &error));
    EXPECT_EQ(error, u("服务器、端口、数据库名、用户名和密码中不能有换行。"));
    EXPECT_EQ(contents(path), QByteArray("keep:5432:shop:kasse:me\n"));

    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    EXPECT_FALSE(pgpass::store(dir.filePath(QStringLiteral("folder")), Shop, u("pw"), &error));
    EXPECT_TRUE(error.contains(u("不是一个普通文件"))) << error.toStdString();

    // A link is followed: the file it names changes, the link stays.
    const QString target = dir.filePath(QStringLiteral("real"));
    write(target, "keep:5432:shop:kasse:me\n", 0644);
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(pgpass::store(link, Shop, u("pw"), &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(modeOf(target), mode_t(0600));
    EXPECT_EQ(pgpass::passwordFor(link, Shop), u("pw"));

    write(path, "keep:5432:shop:kasse:me\n", 0640);
    EXPECT_TRUE(pgpass::permissionProblem(path).contains(u("其他用户也能读写"))) << "reported when not fixed";
}

TEST(PasswordFile, ASavedConnectionLogsInToAServerThatAsksForThePassword) {
    OwnServer own;
    if (!own.started()) GTEST_SKIP() << "no server of the test's own: " << own.problem().toStdString();
    const QString role = u("收银 员");
    const QString password = u("p:w\\d 'x#");
    QString sqlPassword = password;
    sqlPassword.replace(u("'"), u("''"));
    ASSERT_EQ(own.run((u("CREATE ROLE \"收银 员\" LOGIN PASSWORD '") + sqlPassword + u("'")).toUtf8()),
              QString());
    ASSERT_EQ(own.run(u("CREATE DATABASE \"嘉穗 门店\" OWNER \"收银 员\"").toUtf8()), QString());
    ASSERT_EQ(own.requirePasswordOverTcp(role), QString());

    TestEnv env;
    const QString file = env.file(QStringLiteral("pgpass"));
    const QByteArray oldFile = qgetenv("PGPASSFILE");
    qputenv("PGPASSFILE", QFile::encodeName(file));
    connectionsettings::Settings settings{true, u("127.0.0.1"), own.port(), u("嘉穗 门店"), role, {}, {}};

    Database refused;
    EXPECT_FALSE(refused.openServer(connectionsettings::connectionString(settings))) << "the server asks";
    EXPECT_TRUE(refused.errorText().contains(u("password"))) << refused.errorText().toStdString();

    settings.password = password;
    QString error;
    ASSERT_TRUE(connectionsettings::save(settings, SettingsStore::instance(), file, &error))
        << error.toStdString();
    Database database;
    EXPECT_TRUE(database.openServer(SettingsStore::instance().read(QStringLiteral("database"))))
        << database.errorText().toStdString();
    EXPECT_EQ(database.scalar(QStringLiteral("select current_user")).toString(), role);
    database.close();
    if (oldFile.isNull())
        qunsetenv("PGPASSFILE");
    else
        qputenv("PGPASSFILE", oldFile);
}
