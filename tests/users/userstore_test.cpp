// The rules over the user table and the login log: who may log in, the run's log row, adding,
// deleting, resetting and changing passwords, and that no password reaches the database file.
#include "store/clock.h"
#include "store/database.h"
#include "store/dataset.h"
#include "store/passwords.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "users/userstore.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
const QString admin = u("超级管理员");

// Adds a user and sets the password, through the rules the windows use.
void addUser(UserStore &users, const QString &name, const QString &password) {
    ASSERT_EQ(users.addUser(name), UserStore::Added::Added);
    if (password != UserStore::defaultPassword()) {
        ASSERT_EQ(users.changePassword(name, UserStore::defaultPassword(), password),
                  UserStore::Changed::Changed);
    }
}

int rowsOf(Database &db, const QString &name) {
    return db.scalar(QStringLiteral("select count(*) from userdb where username=?"), {name}).toInt();
}
} // namespace

TEST(UserStore, LoginNeedsExactlyOneRowOfThatNameWithThatPassword) {
    TestEnv env;
    UserStore users(env.database());
    addUser(users, u("张三"), QStringLiteral("Abc123"));
    addUser(users, QStringLiteral("Tom"), QStringLiteral("tom9"));

    struct Case {
        QString name, password;
        UserStore::Check expected;
    } cases[] = {
        {admin, QStringLiteral("659"), UserStore::Check::Accepted},
        {admin, QStringLiteral("658"), UserStore::Check::Refused},
        {admin, QString(), UserStore::Check::Refused},
        {u("张三"), QStringLiteral("Abc123"), UserStore::Check::Accepted},
        // Letter case of the password does not matter...
        {u("张三"), QStringLiteral("abc123"), UserStore::Check::Accepted},
        {u("张三"), QStringLiteral("ABC123"), UserStore::Check::Accepted},
        {QStringLiteral("Tom"), QStringLiteral("TOM9"), UserStore::Check::Accepted},
        // ...nor does that of the name; the name is taken untrimmed.
        {QStringLiteral("tom"), QStringLiteral("tom9"), UserStore::Check::Accepted},
        {QStringLiteral("TOM"), QStringLiteral("Tom9"), UserStore::Check::Accepted},
        {QStringLiteral("tom"), QStringLiteral("tom8"), UserStore::Check::Refused},
        {QStringLiteral("tom "), QStringLiteral("tom9"), UserStore::Check::Refused},
        {u("张三 "), QStringLiteral("Abc123"), UserStore::Check::Refused},
        {u("张三"), QStringLiteral("659"), UserStore::Check::Refused},
        {u("无此人"), QStringLiteral("659"), UserStore::Check::Refused},
        {u("无此人"), QString(), UserStore::Check::Refused},
    };
    for (const Case &c : cases)
        EXPECT_EQ(users.checkLogin(c.name, c.password), c.expected)
            << c.name.toStdString() << " / " << c.password.toStdString();
    EXPECT_EQ(users.checkSuperAdmin(QStringLiteral("659")), UserStore::Check::Accepted);
    EXPECT_EQ(users.checkSuperAdmin(QStringLiteral("Abc123")), UserStore::Check::Refused);
}

TEST(UserStore, ANameInOtherLettersIsTheSameUserInEveryRule) {
    TestEnv env;
    Database &db = env.database();
    UserStore users(db);
    addUser(users, QStringLiteral("Tom"), QStringLiteral("tom9"));
    addUser(users, u("Ｊｉｍ"), QStringLiteral("jim9")); // full-width letters have their case too

    QString stored;
    EXPECT_EQ(users.checkLogin(QStringLiteral("tOM"), QStringLiteral("TOM9"), &stored),
              UserStore::Check::Accepted);
    EXPECT_EQ(stored, QStringLiteral("Tom")) << "the login goes on as the user is stored";
    EXPECT_EQ(users.checkLogin(u("ｊｉｍ"), QStringLiteral("jim9"), &stored), UserStore::Check::Accepted);
    EXPECT_EQ(stored, u("Ｊｉｍ"));

    for (const char *other : {"TOM", "tom", "tOm"})
        EXPECT_EQ(users.addUser(QString::fromLatin1(other)), UserStore::Added::Exists) << other;
    EXPECT_EQ(users.addUser(u("ＪＩＭ")), UserStore::Added::Exists);
    EXPECT_TRUE(users.exists(QStringLiteral("TOM")));
    EXPECT_EQ(users.userNames(), QStringList({admin, QStringLiteral("Tom"), u("Ｊｉｍ")}));

    EXPECT_EQ(users.changePassword(QStringLiteral("tom"), QStringLiteral("tom9"), QStringLiteral("New1")),
              UserStore::Changed::Changed);
    EXPECT_EQ(users.checkLogin(QStringLiteral("Tom"), QStringLiteral("new1")), UserStore::Check::Accepted);
    EXPECT_EQ(users.resetPassword(QStringLiteral("TOM")), UserStore::Changed::Changed);
    EXPECT_EQ(users.checkLogin(QStringLiteral("Tom"), QStringLiteral("659")), UserStore::Check::Accepted);
    EXPECT_EQ(users.deleteUser(QStringLiteral("TOM")), UserStore::Deleted::Deleted);
    EXPECT_EQ(rowsOf(db, QStringLiteral("Tom")), 0);
    EXPECT_EQ(users.userNames(), QStringList({admin, u("Ｊｉｍ")}));
}

TEST(UserStore, TwoRowsOfOneNameLockThatUserOut) {
    TestEnv env;
    Database &db = env.database();
    // Only a file written by something else can hold two rows of one name; the login still refuses.
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(db.execute(QStringLiteral("insert into userdb (username,passwd) values (?,?)"),
                               {u("李四"), passwords::hash(QStringLiteral("659"))}));
    EXPECT_EQ(UserStore(db).checkLogin(u("李四"), QStringLiteral("659")), UserStore::Check::Refused);
    // Also when the two differ only in letter case.
    for (const char *name : {"Ann", "ANN"})
        ASSERT_TRUE(db.execute(QStringLiteral("insert into userdb (username,passwd) values (?,?)"),
                               {QString::fromLatin1(name), passwords::hash(QStringLiteral("659"))}));
    EXPECT_EQ(UserStore(db).checkLogin(QStringLiteral("ann"), QStringLiteral("659")),
              UserStore::Check::Refused);
}

TEST(UserStore, LogRowIsWrittenAtLoginAndCompletedAtExit) {
    TestEnv env;
    Database &db = env.database();
    UserStore users(db);
    // Rows of earlier runs.
    ASSERT_TRUE(
        db.execute(QStringLiteral("insert into rz (id,username,btime,jtime) values (40,'a','x','y')")));

    const auto id = users.openLogRow(u("O'Neil 张"));
    ASSERT_TRUE(id.has_value());
    EXPECT_GT(*id, 40);
    Dataset row;
    ASSERT_TRUE(row.load(db, QStringLiteral("select username,btime,jtime from rz where id=?"), {*id}));
    ASSERT_EQ(row.rowCount(), 1);
    EXPECT_EQ(row.text(0, 0), u("O'Neil 张"));
    EXPECT_EQ(row.text(0, 1), QStringLiteral("2014-08-12 10:30:00"));
    EXPECT_TRUE(row.isNull(0, 2));

    // Another program logs in on the same file after us: our exit completes our row only.
    Database other;
    ASSERT_TRUE(other.open(env.file(QStringLiteral("data.mdb"))));
    const auto otherId = UserStore(other).openLogRow(QStringLiteral("other"));
    ASSERT_TRUE(otherId.has_value());
    EXPECT_NE(*otherId, *id);

    Clock::fix(QDateTime(QDate(2014, 8, 12), QTime(18, 5, 9)));
    EXPECT_TRUE(users.completeLogRow(*id));
    EXPECT_EQ(db.scalar(QStringLiteral("select jtime from rz where id=?"), {*id}).toString(),
              QStringLiteral("2014-08-12 18:05:09"));
    EXPECT_TRUE(db.scalar(QStringLiteral("select jtime from rz where id=?"), {*otherId}).isNull());
    EXPECT_EQ(db.scalar(QStringLiteral("select jtime from rz where id=40")).toString(), QStringLiteral("y"));
}

TEST(UserStore, ARunWithoutLoginCompletesNothing) {
    TestEnv env;
    Database &db = env.database();
    ASSERT_TRUE(db.execute(QStringLiteral("insert into rz (username,btime) values ('a','x')")));
    EXPECT_TRUE(UserStore(db).completeLogRow(0));
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from rz where jtime is not null")).toInt(), 0);
}

TEST(UserStore, AddingRefusesTheSuperAdministratorEmptyNamesAndNamesThatExist) {
    TestEnv env;
    Database &db = env.database();
    UserStore users(db);
    EXPECT_EQ(users.addUser(admin), UserStore::Added::SuperAdminName);
    EXPECT_EQ(users.addUser(QString()), UserStore::Added::EmptyName);
    EXPECT_EQ(users.addUser(u("李四")), UserStore::Added::Added);
    EXPECT_EQ(users.addUser(u("李四")), UserStore::Added::Exists);
    EXPECT_EQ(rowsOf(db, admin), 1);
    EXPECT_EQ(rowsOf(db, u("李四")), 1);
    // A new user gets the default password.
    EXPECT_EQ(users.checkLogin(u("李四"), QStringLiteral("659")), UserStore::Check::Accepted);
    // Listed in the order they were added.
    users.addUser(QStringLiteral("Bob"));
    EXPECT_EQ(users.userNames(), QStringList({admin, u("李四"), QStringLiteral("Bob")}));
}

TEST(UserStore, DeleteRemovesTheUserButNeverTheSuperAdministrator) {
    TestEnv env;
    Database &db = env.database();
    UserStore users(db);
    users.addUser(u("李四"));
    EXPECT_EQ(users.deleteUser(admin), UserStore::Deleted::SuperAdminName);
    EXPECT_EQ(users.deleteUser(QString()), UserStore::Deleted::EmptyName);
    EXPECT_EQ(users.deleteUser(u("李四")), UserStore::Deleted::Deleted);
    EXPECT_EQ(rowsOf(db, u("李四")), 0);
    EXPECT_EQ(rowsOf(db, admin), 1);
}

TEST(UserStore, ResetAndChangeSetTheStoredPassword) {
    TestEnv env;
    UserStore users(env.database());
    addUser(users, u("李四"), QStringLiteral("Qwe7"));

    // A wrong old password changes nothing.
    EXPECT_EQ(users.changePassword(u("李四"), QStringLiteral("Qwe8"), QStringLiteral("New1")),
              UserStore::Changed::WrongOldPassword);
    EXPECT_EQ(users.checkLogin(u("李四"), QStringLiteral("Qwe7")), UserStore::Check::Accepted);
    // The old one is checked regardless of letter case, like the login.
    EXPECT_EQ(users.changePassword(u("李四"), QStringLiteral("qWE7"), QStringLiteral("New1")),
              UserStore::Changed::Changed);
    EXPECT_EQ(users.checkLogin(u("李四"), QStringLiteral("Qwe7")), UserStore::Check::Refused);
    EXPECT_EQ(users.checkLogin(u("李四"), QStringLiteral("nEW1")), UserStore::Check::Accepted);

    EXPECT_EQ(users.resetPassword(u("李四")), UserStore::Changed::Changed);
    EXPECT_EQ(users.checkLogin(u("李四"), QStringLiteral("New1")), UserStore::Check::Refused);
    EXPECT_EQ(users.checkLogin(u("李四"), QStringLiteral("659")), UserStore::Check::Accepted);

    // A name without a row is reported, not claimed as done.
    EXPECT_EQ(users.resetPassword(u("王五")), UserStore::Changed::NoSuchUser);
    EXPECT_EQ(users.changePassword(u("王五"), QStringLiteral("659"), QStringLiteral("x1")),
              UserStore::Changed::NoSuchUser);
}

TEST(UserStore, AQuoteInANameWorksEverywhere) {
    TestEnv env;
    Database &db = env.database();
    UserStore users(db);
    const QString name = QStringLiteral("O'Brien'; drop table userdb; --");
    addUser(users, name, QStringLiteral("Irish1"));
    EXPECT_EQ(users.addUser(name), UserStore::Added::Exists);
    EXPECT_EQ(users.checkLogin(name, QStringLiteral("irish1")), UserStore::Check::Accepted);
    const auto id = users.openLogRow(name);
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(db.scalar(QStringLiteral("select username from rz where id=?"), {*id}).toString(), name);
    EXPECT_EQ(users.resetPassword(name), UserStore::Changed::Changed);
    EXPECT_EQ(users.checkLogin(name, QStringLiteral("659")), UserStore::Check::Accepted);
    EXPECT_EQ(users.deleteUser(name), UserStore::Deleted::Deleted);
    EXPECT_EQ(users.userNames(), QStringList({admin}));
}

TEST(UserStore, NoPasswordIsReadableInTheDatabaseFile) {
    SKIP_ON_SERVER("reads the bytes of data.mdb");
    TestEnv env;
    Database &db = env.database();
    UserStore users(db);
    const QStringList passwords = {QStringLiteral("Qx7Tr2Mv9K"), QStringLiteral("Plk83HgwZ2"),
                                   QStringLiteral("Wd4nB8eRt6")};
    addUser(users, u("张三"), passwords[0]);
    addUser(users, u("李四"), passwords[1]);
    ASSERT_EQ(users.addUser(u("王五")), UserStore::Added::Added);
    ASSERT_EQ(users.changePassword(admin, QStringLiteral("659"), passwords[2]), UserStore::Changed::Changed);

    Dataset stored;
    ASSERT_TRUE(stored.load(db, QStringLiteral("select username,passwd from userdb")));
    ASSERT_EQ(stored.rowCount(), 4);
    for (int row = 0; row < stored.rowCount(); ++row)
        EXPECT_TRUE(stored.text(row, 1).startsWith(QStringLiteral("$argon2id$")))
            << stored.text(row, 0).toStdString();

    db.close(); // the last connection folds the write-ahead log into the file
    QByteArray bytes;
    for (const QString &suffix : {QString(), QStringLiteral("-wal")}) {
        QFile file(env.file(QStringLiteral("data.mdb")) + suffix);
        if (file.open(QIODevice::ReadOnly)) bytes += file.readAll();
    }
    ASSERT_TRUE(bytes.contains(u("王五").toUtf8())); // the file is readable as written
    for (const QString &password : passwords)
        for (const QString &form : {password, password.toLower(), password.toUpper()}) {
            EXPECT_FALSE(bytes.contains(form.toUtf8())) << form.toStdString();
            EXPECT_FALSE(
                bytes.contains(QByteArray(reinterpret_cast<const char *>(form.utf16()), form.size() * 2)))
                << form.toStdString();
        }
}
