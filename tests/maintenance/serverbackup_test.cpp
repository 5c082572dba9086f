// Backup and restore of the shop's database on the server with its own tools: a restore gives back
// exactly the backed-up rows, also twice in a row; a file that is cut short, foreign or newer is refused
// with the database unchanged; other tills block a restore; a failed dump leaves the old file alone.
#include "maintenance/serverbackup.h"
#include "tests/maintenance/serverfixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>

namespace {
using serverfixture::fingerprint;

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class ServerBackupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SKIP_UNLESS_ON_SERVER();
        database = &env.database();
        serverfixture::fillShop(*database);
    }
    // A verified dump of the shop as it is now.
    QString dumpNow(const QString &name) {
        const QString path = env.file(name);
        QString error;
        EXPECT_TRUE(serverbackup::writeVerifiedDump(database->serverConnection(), path, &error))
            << error.toStdString();
        return path;
    }
    serverbackup::RestoreOutcome restore(const QString &file) {
        return serverbackup::restore(*database, file, &error);
    }

    TestEnv env;
    Database *database = nullptr;
    QString error;
};
} // namespace

TEST_F(ServerBackupTest, ARestoreGivesBackExactlyTheBackedUpRowsAlsoTwiceInARow) {
    const std::string before = fingerprint(*database);
    const QString first = dumpNow(QStringLiteral("first.dump"));
    EXPECT_EQ(QDir(env.dir()).entryList({QStringLiteral("*.part-*")}, QDir::Files), QStringList())
        << "the temporary file got the target's name";

    serverfixture::changeShop(*database);
    const std::string changed = fingerprint(*database);
    ASSERT_NE(changed, before);
    const QString second = dumpNow(QStringLiteral("second.dump"));

    ASSERT_EQ(restore(first), serverbackup::RestoreOutcome::Restored) << error.toStdString();
    EXPECT_TRUE(database->isOpen());
    EXPECT_EQ(fingerprint(*database), before) << "the program's own connection sees the restored tables";
    // The same file again, then the later one: each restore replaces what the one before left.
    ASSERT_EQ(restore(first), serverbackup::RestoreOutcome::Restored) << error.toStdString();
    EXPECT_EQ(fingerprint(*database), before);
    ASSERT_EQ(restore(second), serverbackup::RestoreOutcome::Restored) << error.toStdString();
    EXPECT_EQ(fingerprint(*database), changed);

    // The restored tables work as the program's: new rows get fresh ids, another till opens them.
    const qint64 id = addGoods(*database, u("音箱"), u("蓝牙"), 80, 4, 120);
    EXPECT_EQ(database->scalar(QStringLiteral("select count(*) from data where ID=?"), {id}).toInt(), 1);
    Database till;
    EXPECT_TRUE(till.openServer(database->serverConnection())) << till.errorText().toStdString();
}

TEST_F(ServerBackupTest, AnOlderDumpIsRestoredAndBroughtUpToDate) {
    serverfixture::execute(*database, QStringLiteral("update jsjxc_schema set version = 5"));
    const QString old = dumpNow(QStringLiteral("old.dump"));
    serverfixture::execute(*database, QStringLiteral("update jsjxc_schema set version = ?"),
                           {Database::SchemaVersion});
    ASSERT_EQ(restore(old), serverbackup::RestoreOutcome::Restored) << error.toStdString();
    EXPECT_EQ(database->scalar(QStringLiteral("select version from jsjxc_schema")).toInt(),
              Database::SchemaVersion)
        << "the new connection ran the schema steps";
}

TEST_F(ServerBackupTest, AFileThatIsNotAWholeDumpOfThisShopIsRefusedAndChangesNothing) {
    const QString good = dumpNow(QStringLiteral("good.dump"));
    const QByteArray whole = bytesOf(good);
    ASSERT_GT(whole.size(), 1000);
    const auto newer = [this] {
        serverfixture::execute(*database, QStringLiteral("update jsjxc_schema set version = 99"));
        const QString path = dumpNow(QStringLiteral("newer.dump"));
        serverfixture::execute(*database, QStringLiteral("update jsjxc_schema set version = ?"),
                               {Database::SchemaVersion});
        return path;
    };
    const auto foreign = [this] {
        // The server's own maintenance database: a whole dump, of other tables.
        const QString path = env.file(QStringLiteral("foreign.dump"));
        QString why;
        EXPECT_TRUE(serverbackup::writeVerifiedDump(testserver::serverConnection(), path, &why))
            << why.toStdString();
        return path;
    };
    struct Case {
        const char *what;
        std::function<QString()> make;
        const char *told;
    };
    const auto withBytes = [this](const char *name, const QByteArray &bytes) {
        return [this, name, bytes] {
            const QString path = env.file(QString::fromLatin1(name));
            writeBytes(path, bytes);
            return path;
        };
    };
    const Case cases[] = {
        // Its table of contents is whole; the rows at its end are missing.
        {"cut short in its data", withBytes("cut.dump", whole.left(whole.size() - 64)),
         "不是完整的数据库备份文件"},
        {"cut in half", withBytes("half.dump", whole.left(whole.size() / 2)), "不是完整的数据库备份文件"},
        {"an empty file", withBytes("empty.dump", {}), "不是完整的数据库备份文件"},
        {"a data.mdb", withBytes("data.dump", QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0')),
         "不是完整的数据库备份文件"},
        {"another database's dump", foreign, "不是本程序数据库的备份"},
        {"a newer program's dump", newer, "来自更新版本的程序"},
    };
    serverfixture::changeShop(*database);
    const std::string current = fingerprint(*database);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = c.make();
        error.clear();
        EXPECT_EQ(restore(file), serverbackup::RestoreOutcome::Refused);
        EXPECT_TRUE(error.contains(u(c.told))) << error.toStdString();
        EXPECT_TRUE(database->isOpen());
        EXPECT_EQ(fingerprint(*database), current);
    }
}

TEST_F(ServerBackupTest, ARestoreThatFailsHalfwayLeavesTheDatabaseAsItWas) {
    // A whole dump whose last step fails: its tables and rows are restored before the grant to a role
    // that is gone by then.
    const QString role = QStringLiteral("gone_%1").arg(QCoreApplication::applicationPid());
    serverfixture::execute(*database, QStringLiteral("create role ") + role);
    serverfixture::execute(*database, QStringLiteral("grant select on data to ") + role);
    const QString dump = dumpNow(QStringLiteral("grant.dump"));
    serverfixture::execute(*database, QStringLiteral("drop owned by ") + role);
    serverfixture::execute(*database, QStringLiteral("drop role ") + role);
    ASSERT_TRUE(serverbackup::checkDump(dump, &error)) << error.toStdString();

    serverfixture::changeShop(*database);
    const std::string current = fingerprint(*database);
    EXPECT_EQ(restore(dump), serverbackup::RestoreOutcome::Failed);
    EXPECT_TRUE(error.contains(QStringLiteral("pg_restore"))) << error.toStdString();
    EXPECT_TRUE(error.contains(role)) << "what pg_restore reported: " << error.toStdString();
    EXPECT_TRUE(database->isOpen());
    EXPECT_EQ(fingerprint(*database), current) << "all or nothing";
}

TEST_F(ServerBackupTest, ARestoreIsRefusedWhileAnotherTillIsConnected) {
    const QString dump = dumpNow(QStringLiteral("shop.dump"));
    serverfixture::changeShop(*database);
    const std::string current = fingerprint(*database);
    {
        Database till; // as another till connects: with the program's application name
        ASSERT_TRUE(till.openServer(database->serverConnection())) << till.errorText().toStdString();
        Database secondTill;
        ASSERT_TRUE(secondTill.openServer(database->serverConnection()));
        EXPECT_EQ(restore(dump), serverbackup::RestoreOutcome::Refused);
        EXPECT_TRUE(error.contains(u("还有 2 台其他收银机"))) << error.toStdString();
        EXPECT_EQ(fingerprint(*database), current);
    }
    {
        // Another program on the same database (a report tool, psql) is no till.
        Database tool;
        ASSERT_TRUE(
            tool.openServer(database->serverConnection() + QStringLiteral(" application_name=report")));
        ASSERT_EQ(restore(dump), serverbackup::RestoreOutcome::Restored) << error.toStdString();
    }
    EXPECT_NE(fingerprint(*database), current);
}

TEST_F(ServerBackupTest, AFailedDumpLeavesTheOldBackupFileAsItWas) {
    const QString target = env.file(QStringLiteral("beifen.dump"));
    const QByteArray old = bytesOf(dumpNow(QStringLiteral("beifen.dump")));
    ASSERT_FALSE(old.isEmpty());
    const QString wrong = testserver::connectionFor(QStringLiteral("no_such_shop"));
    EXPECT_FALSE(serverbackup::writeVerifiedDump(wrong, target, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("pg_dump"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("no_such_shop")))
        << "what the server said: " << error.toStdString();
    EXPECT_EQ(bytesOf(target), old);
    EXPECT_EQ(QDir(env.dir()).entryList(QDir::Files), QStringList{QStringLiteral("beifen.dump")})
        << "no partial file left";

    // A folder under the target's name, and a target in a folder that is not there.
    ASSERT_TRUE(QDir(env.dir()).mkdir(QStringLiteral("folder.dump")));
    EXPECT_FALSE(serverbackup::writeVerifiedDump(database->serverConnection(),
                                                 env.file(QStringLiteral("folder.dump")), &error));
    EXPECT_FALSE(serverbackup::writeVerifiedDump(database->serverConnection(),
                                                 env.file(QStringLiteral("missing/beifen.dump")), &error));
    EXPECT_FALSE(QFileInfo::exists(env.file(QStringLiteral("missing"))));
}

TEST(ServerTools, AreFoundOnThePathOrInTheNewestVersionsFolder) {
    for (const char *name : {"pg_dump", "pg_restore"}) {
        const QString found = serverbackup::toolPath(QLatin1String(name));
        EXPECT_TRUE(QFileInfo(found).isExecutable()) << name;
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    const QString found = serverbackup::toolPath(QStringLiteral("pg_restore"));
    qputenv("PATH", path);
    EXPECT_TRUE(found.startsWith(QStringLiteral("/usr/lib/postgresql/"))) << found.toStdString();
    EXPECT_TRUE(QFileInfo(found).isExecutable());
    EXPECT_EQ(serverbackup::toolPath(QStringLiteral("no_such_tool")), QString());
}
