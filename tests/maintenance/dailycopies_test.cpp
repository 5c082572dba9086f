// The daily copies: one verified, self-contained copy a day, the newest fourteen up to today kept (copies
// dated after today neither counted nor deleted, and told once), a failure that leaves no file under the
// copy's name and is remembered for the next start.
#include "maintenance/dailycopies.h"
#include "store/settingsstore.h"
#include "tests/maintenance/corruptshop.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
const QDate today(2014, 8, 12);

QByteArray headerOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(100) : QByteArray();
}

void touch(const QString &path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}
} // namespace

TEST(DailyCopies, TheDaysCopyIsAWholeSoundFileMadeOnce) {
    TestEnv env;
    addGoods(env.database(), u("电脑"), u("联想"), 3000, 5, 3500);
    const QString copy = env.file(QStringLiteral("backups/data-2014-08-12.mdb"));
    EXPECT_EQ(dailycopies::pathFor(env.database().path(), today), copy);

    const auto first = dailycopies::makeCopy(env.database().path(), today);
    EXPECT_EQ(first.outcome, dailycopies::Outcome::Written) << first.error.toStdString();
    ASSERT_TRUE(QFileInfo::exists(copy));
    // One file on its own: no log beside it, and its header does not ask for one.
    EXPECT_FALSE(QFileInfo::exists(copy + QStringLiteral("-wal")));
    EXPECT_EQ(QDir(env.file(QStringLiteral("backups"))).entryList(QDir::Files),
              QStringList{QFileInfo(copy).fileName()});
    const QByteArray header = headerOf(copy);
    ASSERT_EQ(header.size(), 100);
    EXPECT_EQ(int(header[18]), 1);
    EXPECT_EQ(int(header[19]), 1);
    {
        Database opened;
        ASSERT_TRUE(opened.open(copy));
        EXPECT_EQ(opened.scalar(QStringLiteral("select a from data")).toString(), u("电脑"));
        EXPECT_EQ(opened.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    }

    // Later closes of the day leave it alone.
    const QDateTime written = QFileInfo(copy).lastModified();
    addGoods(env.database(), u("鼠标"), u("无线"), 20, 50, 35);
    EXPECT_EQ(dailycopies::makeCopy(env.database().path(), today).outcome,
              dailycopies::Outcome::AlreadyThere);
    EXPECT_EQ(QFileInfo(copy).lastModified(), written);
    EXPECT_EQ(dailycopies::makeCopy(env.database().path(), today.addDays(1)).outcome,
              dailycopies::Outcome::Written);
}

TEST(DailyCopies, OnlyTheNewestFourteenAreKeptAndOtherFilesAreLeftAlone) {
    TestEnv env;
    const QString folder = env.file(QStringLiteral("backups"));
    ASSERT_TRUE(QDir().mkpath(folder));
    for (int day = 1; day <= 20; ++day)
        touch(dailycopies::pathFor(env.database().path(), QDate(2014, 7, day)));
    touch(folder + QStringLiteral("/notes.txt"));
    touch(folder + QStringLiteral("/data-old.mdb"));
    touch(folder + QStringLiteral("/data-2014-07-01.mdb.bak"));

    ASSERT_EQ(dailycopies::makeCopy(env.database().path(), today).outcome, dailycopies::Outcome::Written);

    const auto copies = dailycopies::list(env.database().path());
    ASSERT_EQ(copies.size(), dailycopies::Kept);
    EXPECT_EQ(copies.first().day, today);
    EXPECT_EQ(copies.last().day, QDate(2014, 7, 8)) << "the newest thirteen of July stay";
    EXPECT_FALSE(QFileInfo::exists(dailycopies::pathFor(env.database().path(), QDate(2014, 7, 7))));
    for (const char *other : {"notes.txt", "data-old.mdb", "data-2014-07-01.mdb.bak"})
        EXPECT_TRUE(QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(other))) << other;
}

TEST(DailyCopies, CopiesDatedAfterTodayNeitherCountNorPushOutTheDaysCopy) {
    TestEnv env;
    const QString database = env.database().path();
    ASSERT_TRUE(QDir().mkpath(env.file(QStringLiteral("backups"))));
    // The clock ran three weeks ahead for a while, and the shop had copies of July before.
    for (int day = 1; day <= 20; ++day) {
        touch(dailycopies::pathFor(database, QDate(2014, 9, day)));
        touch(dailycopies::pathFor(database, QDate(2014, 7, day)));
    }

    const auto result = dailycopies::makeCopy(database, today);
    EXPECT_EQ(result.outcome, dailycopies::Outcome::Written);
    EXPECT_TRUE(QFileInfo::exists(dailycopies::pathFor(database, today))) << "the copy just made stays";
    for (int day = 1; day <= 20; ++day)
        EXPECT_TRUE(QFileInfo::exists(dailycopies::pathFor(database, QDate(2014, 9, day)))) << day;
    EXPECT_TRUE(QFileInfo::exists(dailycopies::pathFor(database, QDate(2014, 7, 8))))
        << "today's and the newest thirteen before it are the fourteen kept";
    EXPECT_FALSE(QFileInfo::exists(dailycopies::pathFor(database, QDate(2014, 7, 7))));
    EXPECT_EQ(dailycopies::list(database).size(), 20 + dailycopies::Kept);

    // Not even a count of none deletes the day's copy.
    dailycopies::prune(database, today, 0);
    EXPECT_TRUE(QFileInfo::exists(dailycopies::pathFor(database, today)));
}

TEST(DailyCopies, CopiesDatedAfterTodayAreToldOnceEach) {
    TestEnv env;
    const QString database = env.database().path();
    ASSERT_TRUE(QDir().mkpath(env.file(QStringLiteral("backups"))));
    touch(dailycopies::pathFor(database, QDate(2014, 8, 11)));
    EXPECT_EQ(dailycopies::takeNoticeOfCopiesAhead(database, today), QString()) << "none ahead";
    touch(dailycopies::pathFor(database, QDate(2014, 9, 1)));
    touch(dailycopies::pathFor(database, QDate(2014, 9, 2)));

    const QString notice = dailycopies::takeNoticeOfCopiesAhead(database, today);
    EXPECT_TRUE(notice.contains(u("2 份日期晚于今天（2014-08-12）"))) << notice.toStdString();
    EXPECT_TRUE(notice.contains(QStringLiteral("data-2014-09-01.mdb")));
    EXPECT_TRUE(notice.contains(QStringLiteral("data-2014-09-02.mdb")));
    EXPECT_FALSE(notice.contains(QStringLiteral("data-2014-08-11.mdb")));
    EXPECT_EQ(dailycopies::takeNoticeOfCopiesAhead(database, today), QString()) << "told once";

    // Another one appears: only it is told.
    touch(dailycopies::pathFor(database, QDate(2014, 9, 3)));
    const QString next = dailycopies::takeNoticeOfCopiesAhead(database, today.addDays(1));
    EXPECT_TRUE(next.contains(u("1 份"))) << next.toStdString();
    EXPECT_TRUE(next.contains(QStringLiteral("data-2014-09-03.mdb")));
    EXPECT_FALSE(next.contains(QStringLiteral("data-2014-09-01.mdb")));
    EXPECT_EQ(dailycopies::takeNoticeOfCopiesAhead(database, today.addDays(1)), QString());
}

TEST(DailyCopies, ACopyThatFailsItsCheckOrCannotBeWrittenLeavesNoFileUnderItsName) {
    TestEnv env;
    const QString corrupt = env.file(QStringLiteral("corrupt/data.mdb"));
    ASSERT_TRUE(QDir().mkpath(env.file(QStringLiteral("corrupt"))));
    makeCorruptShop(corrupt);
    const auto checked = dailycopies::makeCopy(corrupt, today);
    EXPECT_EQ(checked.outcome, dailycopies::Outcome::Failed);
    EXPECT_TRUE(checked.error.contains(u("完整性检查"))) << checked.error.toStdString();
    EXPECT_EQ(QDir(env.file(QStringLiteral("corrupt/backups"))).entryList(QDir::Files), QStringList());

    // A file where the folder should be.
    touch(env.file(QStringLiteral("backups")));
    const auto blocked = dailycopies::makeCopy(env.database().path(), today);
    EXPECT_EQ(blocked.outcome, dailycopies::Outcome::Failed);
    EXPECT_FALSE(blocked.error.isEmpty());
}

// A half-written copy that a killed program left days ago goes with the next day's copy; one written
// this minute belongs to a program copying right now (another till's) and stays.
TEST(DailyCopies, AHalfWrittenCopyLeftLongAgoGoesAndOneBeingWrittenStays) {
    TestEnv env;
    const QString folder = env.file(QStringLiteral("backups"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString stale = folder + QStringLiteral("/data-2014-08-10.mdb.part-4711");
    const QString fresh = folder + QStringLiteral("/data-2014-08-12.mdb.part-4712");
    touch(stale);
    touch(fresh);
    QFile old(stale);
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
    old.close();

    ASSERT_EQ(dailycopies::makeCopy(env.database().path(), today).outcome, dailycopies::Outcome::Written);

    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo::exists(fresh));
    EXPECT_EQ(dailycopies::list(env.database().path()).size(), 1) << "neither counts as a copy";
}

TEST(DailyCopies, AFailureIsRememberedUntilItIsTaken) {
    TestEnv env;
    EXPECT_EQ(dailycopies::takeRememberedFailure(), QString());
    ASSERT_TRUE(dailycopies::rememberFailure(u("磁盘已满")));
    EXPECT_EQ(dailycopies::takeRememberedFailure(), u("磁盘已满"));
    EXPECT_EQ(dailycopies::takeRememberedFailure(), QString());
}
