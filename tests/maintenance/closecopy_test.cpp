// The daily copy as the shop makes it: when the main window closes, after the close steps; a failure
// does not stop the close and is told after the next start's login, as are copies dated after today.
#include "maintenance/dailycopies.h"
#include "tests/maintenance/shopfixture.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QTest>

namespace {
class CloseCopyTest : public MaintenanceShopTest {};
} // namespace

TEST_F(CloseCopyTest, ClosingTheMainWindowWritesTheDaysCopyWithTheCompletedLogRow) {
    logIn();
    const qint64 logId = window->loginLogId();
    window->close();
    shop->maintenance()->finishDailyCopy();
    const QString copy = env.file(QStringLiteral("backups/data-2014-08-12.mdb"));
    ASSERT_TRUE(QFileInfo::exists(copy));
    Database copied;
    ASSERT_TRUE(copied.open(copy));
    EXPECT_EQ(copied.scalar(QStringLiteral("select count(*) from data")).toInt(), 2);
    EXPECT_FALSE(copied.scalar(QStringLiteral("select jtime from rz where id=?"), {logId}).isNull());
}

TEST_F(CloseCopyTest, AFailedCopyLetsTheCloseFinishAndIsToldAfterTheNextLogin) {
    {
        QFile blocker(env.file(QStringLiteral("backups")));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    logIn();
    QTest::qWait(10);
    EXPECT_EQ(env.dialogs().shown().size(), 0u) << "nothing to tell at the first start";
    window->close();
    EXPECT_FALSE(window->isVisible());
    shop->maintenance()->finishDailyCopy();
    EXPECT_EQ(env.dialogs().shown().size(), 0u) << "the close goes on without a question";

    // The next start: a new main window over the same shop.
    window = std::make_unique<MainWindow>(env.database());
    shop = new Shop(env.database(), *window);
    window->show();
    logIn();
    QTest::qWait(10);
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_TRUE(env.dialogs().lastText().contains(u("自动备份"))) << env.dialogs().lastText().toStdString();

    // Told once.
    window = std::make_unique<MainWindow>(env.database());
    shop = new Shop(env.database(), *window);
    window->show();
    logIn();
    QTest::qWait(10);
    EXPECT_EQ(env.dialogs().shown().size(), 1u);
}

TEST_F(CloseCopyTest, CopiesDatedAfterTodayAreToldAfterTheLoginOnce) {
    ASSERT_TRUE(QDir().mkpath(env.file(QStringLiteral("backups"))));
    {
        QFile ahead(dailycopies::pathFor(databasePath(), QDate(2014, 9, 30)));
        ASSERT_TRUE(ahead.open(QIODevice::WriteOnly));
    }
    logIn();
    QTest::qWait(10);
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_EQ(env.dialogs().shown()[0].kind, Dialogs::Kind::Warning);
    EXPECT_TRUE(env.dialogs().lastText().contains(QStringLiteral("data-2014-09-30.mdb")))
        << env.dialogs().lastText().toStdString();
    // The backup window marks it among the copies to restore from.
    BackupWindow *backup = openBackup();
    ASSERT_EQ(backup->restoreSources()->count(), 1);
    EXPECT_EQ(backup->restoreSources()->item(0)->text().left(10), QStringLiteral("2014-09-30"));
    EXPECT_TRUE(backup->restoreSources()->item(0)->text().endsWith(u("（日期晚于今天）")));
    closeBackup(backup);

    window = std::make_unique<MainWindow>(env.database());
    shop = new Shop(env.database(), *window);
    window->show();
    logIn();
    QTest::qWait(10);
    EXPECT_EQ(env.dialogs().shown().size(), 1u) << "not again at the next start";
}
