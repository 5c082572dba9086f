// The shop's server as the connection window keeps it: the connection string written and read back
// by libpq, the fields checked, and the string and the password saved to their two places.
#include "maintenance/connectionsettings.h"
#include "store/serverconnection.h"
#include "store/settingsstore.h"
#include "tests/support/testenv.h"

#include <QFile>
#include <gtest/gtest.h>

using connectionsettings::Settings;

namespace {
QString u(const char *utf8) {
    return QString::fromUtf8(utf8);
}

Settings server(const char *host, const char *port, const char *database, const char *user) {
    Settings settings;
    settings.server = true;
    settings.host = u(host);
    settings.port = u(port);
    settings.database = u(database);
    settings.user = u(user);
    return settings;
}

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

TEST(ConnectionSettings, AStringWrittenIsReadBackByLibpqFieldForField) {
    struct Case {
        const char *what;
        Settings settings;
        const char *written;
    } cases[] = {
        {"plain", server("192.168.1.10", "5432", "shop", "kasse"),
         "host=192.168.1.10 port=5432 dbname=shop user=kasse"},
        {"empty port and user left out", server("shop-server", "", "shop", ""),
         "host=shop-server dbname=shop"},
        {"space", server("shop-server", "5432", "my shop", "kasse"),
         "host=shop-server port=5432 dbname='my shop' user=kasse"},
        {"quote", server("shop-server", "6543", "shop", "o'brien"),
         "host=shop-server port=6543 dbname=shop user='o\\'brien'"},
        {"backslash", server("shop-server", "5432", "a\\b", "kasse"),
         "host=shop-server port=5432 dbname='a\\\\b' user=kasse"},
        {"quote and backslash together", server("shop-server", "5432", "it's\\", "kasse"),
         "host=shop-server port=5432 dbname='it\\'s\\\\' user=kasse"},
        {"Chinese with a space", server("收银台", "5432", "嘉穗 门店", "收银员"),
         "host=收银台 port=5432 dbname='嘉穗 门店' user=收银员"},
        {"tab and equals sign", server("shop-server", "5432", "a=b\tc", "kasse"),
         "host=shop-server port=5432 dbname='a=b\tc' user=kasse"},
    };
    for (const Case &c : cases) {
        const QString written = connectionsettings::connectionString(c.settings);
        EXPECT_EQ(written, u(c.written)) << c.what;
        QString error;
        const auto read = connectionsettings::parse(written, &error);
        ASSERT_TRUE(read) << c.what << ": " << error.toStdString();
        EXPECT_TRUE(read->server) << c.what;
        EXPECT_EQ(read->host, c.settings.host) << c.what;
        EXPECT_EQ(read->port, c.settings.port) << c.what;
        EXPECT_EQ(read->database, c.settings.database) << c.what;
        EXPECT_EQ(read->user, c.settings.user) << c.what;
        EXPECT_TRUE(read->others.isEmpty()) << c.what;
        // The program's own reader of the setting sees the same database.
        EXPECT_EQ(serverconnection::valueOf(written, "dbname"), c.settings.database) << c.what;
    }
}

TEST(ConnectionSettings, WhatTheFieldsDoNotShowIsKeptAndAPasswordNeverWrittenBack) {
    QString error;
    const auto uri =
        connectionsettings::parse(u("postgresql://kasse@shop:6543/门店?sslmode=require"), &error);
    ASSERT_TRUE(uri) << error.toStdString();
    EXPECT_EQ(uri->host, u("shop"));
    EXPECT_EQ(uri->port, u("6543"));
    EXPECT_EQ(uri->database, u("门店"));
    EXPECT_EQ(uri->user, u("kasse"));
    EXPECT_EQ(connectionsettings::connectionString(*uri),
              u("host=shop port=6543 dbname=门店 user=kasse sslmode=require"));

    const auto withPassword =
        connectionsettings::parse(u("host=shop dbname=shop password='se cret' connect_timeout=9"));
    ASSERT_TRUE(withPassword);
    EXPECT_EQ(withPassword->password, u("se cret")) << "shown in the field, to be moved to the file";
    EXPECT_EQ(connectionsettings::connectionString(*withPassword),
              u("host=shop dbname=shop connect_timeout=9"));

    const auto local = connectionsettings::parse(u("  "));
    ASSERT_TRUE(local);
    EXPECT_FALSE(local->server);
    EXPECT_EQ(connectionsettings::connectionString(*local), QString());

    EXPECT_FALSE(connectionsettings::parse(u("host='shop"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ConnectionSettings, FieldsThatCannotBeUsedAreNamed) {
    struct Case {
        const char *what;
        Settings settings;
        const char *problem; // empty: fine
    } cases[] = {
        {"fine", server("shop", "5432", "shop", "kasse"), ""},
        {"empty port: libpq's own", server("shop", "", "shop", ""), ""},
        {"no host", server(" ", "5432", "shop", "kasse"), "请输入数据库服务器的地址或名称！"},
        {"no database", server("shop", "5432", "", "kasse"), "请输入数据库名！"},
        {"port zero", server("shop", "0", "shop", "kasse"), "端口必须是 1 到 65535 之间的整数！"},
        {"port too big", server("shop", "65536", "shop", "kasse"), "端口必须是 1 到 65535 之间的整数！"},
        {"port not a number", server("shop", "54a", "shop", "kasse"), "端口必须是 1 到 65535 之间的整数！"},
        {"line end in the user", server("shop", "5432", "shop", "kas\nse"),
         "服务器、端口、数据库名、用户名和密码中不能有换行。"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(connectionsettings::problem(c.settings), u(c.problem)) << c.what;
    Settings local;
    EXPECT_EQ(connectionsettings::problem(local), QString()) << "data.mdb needs no fields";
}

TEST(ConnectionSettings, TheStringGoesToTheSettingsAndThePasswordOnlyToThePasswordFile) {
    TestEnv env;
    SettingsStore &store = SettingsStore::instance();
    const QString passwordFile = env.file(QStringLiteral("pgpass"));
    Settings settings = server("shop-server", "5432", "嘉穗 门店", "kasse");
    settings.password = u("geheim:1");
    QString error;
    ASSERT_TRUE(connectionsettings::save(settings, store, passwordFile, &error)) << error.toStdString();
    EXPECT_EQ(store.read(QStringLiteral("database")),
              u("host=shop-server port=5432 dbname='嘉穗 门店' user=kasse"));
    EXPECT_FALSE(contents(store.path()).contains("geheim"));
    EXPECT_EQ(contents(passwordFile), u("shop-server:5432:嘉穗 门店:kasse:geheim\\:1\n").toUtf8());

    // A password file that cannot be written changes nothing: the old string stays in force.
    Settings other = server("other-server", "5432", "shop", "kasse");
    other.password = u("x");
    EXPECT_FALSE(connectionsettings::save(other, store, env.file(QStringLiteral("missing/pgpass")), &error));
    EXPECT_TRUE(error.contains(u("missing"))) << error.toStdString();
    EXPECT_EQ(serverconnection::valueOf(store.read(QStringLiteral("database")), "host"), u("shop-server"));

    // Fields that cannot be used are refused before anything is written.
    other.port = u("99999");
    EXPECT_FALSE(connectionsettings::save(other, store, passwordFile, &error));
    EXPECT_EQ(error, u("端口必须是 1 到 65535 之间的整数！"));
    EXPECT_EQ(serverconnection::valueOf(store.read(QStringLiteral("database")), "host"), u("shop-server"));

    // Back to data.mdb: the setting emptied, the password file left alone.
    ASSERT_TRUE(connectionsettings::save(Settings(), store, passwordFile, &error));
    EXPECT_EQ(store.read(QStringLiteral("database")), QString());
    EXPECT_TRUE(contents(passwordFile).contains("geheim"));
}

TEST(ConnectionSettings, APasswordFileKeyFollowsLibpqsDefaults) {
    const pgpass::Key key = connectionsettings::passwordKey(server("", "", "", "kasse"));
    EXPECT_EQ(key, (pgpass::Key{u("localhost"), u("5432"), u("kasse"), u("kasse")}));
    EXPECT_EQ(connectionsettings::passwordKey(server("/var/run/postgresql", "6543", "shop", "kasse")).host,
              u("localhost"));
}
