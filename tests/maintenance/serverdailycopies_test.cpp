// The daily copies of a shop on the server: a verified dump a day in the shop folder's backups/, the
// newest fourteen up to today kept, and a failing copy that removes nothing.
#include "maintenance/serverbackup.h"
#include "maintenance/serverdailycopies.h"
#include "tests/maintenance/serverfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QDate today(2014, 8, 12);

void touch(const QString &path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

QStringList filesIn(const QString &folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}
} // namespace

TEST(ServerDailyCopies, TheNewestFourteenVerifiedDumpsAreKeptAndAFailureRemovesNothing) {
    SKIP_UNLESS_ON_SERVER();
    TestEnv env;
    Database &database = env.database();
    serverfixture::fillShop(database);
    const QString folder = env.file(QStringLiteral("backups"));
    ASSERT_TRUE(QDir().mkpath(folder));
    for (int day = 1; day <= 20; ++day)
        touch(serverdailycopies::pathFor(env.dir(), QDate(2014, 7, day)));
    touch(serverdailycopies::pathFor(env.dir(), QDate(2014, 9, 1))); // the clock once ran ahead
    touch(folder + QStringLiteral("/notes.txt"));
    touch(folder + QStringLiteral("/data-2014-07-01.mdb"));
    touch(folder + QStringLiteral("/data-2014-07-02.dump.bak"));
    const QString copy = folder + QStringLiteral("/data-2014-08-12.dump");
    EXPECT_EQ(serverdailycopies::pathFor(env.dir(), today), copy);

    const auto written = serverdailycopies::makeCopy(env.dir(), database.serverConnection(), today);
    ASSERT_EQ(written.outcome, dailycopies::Outcome::Written) << written.error.toStdString();
    QString error;
    EXPECT_TRUE(serverbackup::checkDump(copy, &error)) << error.toStdString();
    const auto copies = serverdailycopies::list(env.dir());
    ASSERT_EQ(copies.size(), dailycopies::Kept + 1) << "fourteen up to today, and the one dated after it";
    EXPECT_EQ(copies[0].day, QDate(2014, 9, 1));
    EXPECT_EQ(copies[1].day, today);
    EXPECT_EQ(copies.last().day, QDate(2014, 7, 8)) << "the newest thirteen of July stay";
    for (const char *other : {"notes.txt", "data-2014-07-01.mdb", "data-2014-07-02.dump.bak"})
        EXPECT_TRUE(QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(other))) << other;

    // Later closes of the day leave it alone.
    const QDateTime modified = QFileInfo(copy).lastModified();
    EXPECT_EQ(serverdailycopies::makeCopy(env.dir(), database.serverConnection(), today).outcome,
              dailycopies::Outcome::AlreadyThere);
    EXPECT_EQ(QFileInfo(copy).lastModified(), modified);

    // The next day's copy fails (the server does not know the database): nothing is removed or left.
    const QStringList before = filesIn(folder);
    const auto failed = serverdailycopies::makeCopy(
        env.dir(), testserver::connectionFor(QStringLiteral("no_such_shop")), today.addDays(1), 1);
    EXPECT_EQ(failed.outcome, dailycopies::Outcome::Failed);
    EXPECT_TRUE(failed.error.contains(QStringLiteral("no_such_shop"))) << failed.error.toStdString();
    EXPECT_EQ(filesIn(folder), before);
}
