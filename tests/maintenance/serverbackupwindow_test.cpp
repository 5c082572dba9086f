// The backup window as the user reaches it from the main window when the shop is on the server: a dump
// file written and restored with the file's buttons and messages, the lists showing the restored rows,
// a second restore from the copy the first one kept, refusals that change nothing, and the day's dump at
// the close.
#include "maintenance/serverbackup.h"
#include "maintenance/serverdailycopies.h"
#include "tests/maintenance/serverfixture.h"
#include "tests/maintenance/shopfixture.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QTest>

namespace {
class ServerBackupWindowTest : public MaintenanceShopTest {
  protected:
    void SetUp() override {
        SKIP_UNLESS_ON_SERVER();
        // The program works in the shop's folder (main.cpp): the daily dumps and relative names go there.
        m_previousFolder = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(env.dir()));
    }
    void TearDown() override {
        if (!m_previousFolder.isEmpty()) QDir::setCurrent(m_previousFolder);
    }
    std::string fingerprint() { return serverfixture::fingerprint(env.database()); }
    // Lets the shop's other connections to the server (the one that hears the other tills) come up, as
    // they have long before anyone opens the backup window: they are this till's own, not other tills.
    void letTheTillSettle() {
        const auto connections = [this] {
            return env.database()
                .scalar(QStringLiteral(
                    "select count(*) from pg_stat_activity where datname = current_database()"))
                .toInt();
        };
        for (int i = 0; i < 100 && connections() < 2; ++i)
            QTest::qWait(30);
        QTest::qWait(100);
    }
    int goodsShown() const { return shop->goods()->goods().rowCount(); }

  private:
    QString m_previousFolder;
};
} // namespace

TEST_F(ServerBackupWindowTest, BackUpChangeRestoreAndRestoreAgainThroughTheMainWindow) {
    logIn();
    letTheTillSettle();
    BackupWindow *backup = openBackup();
    ASSERT_NE(backup, nullptr) << "the window opens on the server too";
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(env.database().isOpen()) << "the server's database stays connected";
    const QString place = backup->findChild<QLabel *>(QStringLiteral("place"))->text();
    EXPECT_TRUE(place.contains(env.database().description())) << place.toStdString();
    EXPECT_FALSE(place.contains(QStringLiteral("data.mdb")));
    EXPECT_TRUE(backup->target()->text().endsWith(QStringLiteral("beifen.dump")));

    backup->target()->setText(QStringLiteral("shop.dump")); // in the shop's folder
    backup->backUp();
    EXPECT_EQ(env.dialogs().lastText(), u("数据库备份成功！"));
    const QString dump = env.file(QStringLiteral("shop.dump"));
    QString error;
    ASSERT_TRUE(serverbackup::checkDump(dump, &error)) << error.toStdString();
    const std::string backedUp = fingerprint();
    closeBackup(backup);
    EXPECT_TRUE(window->isVisible());

    addGoods(env.database(), u("键盘"), u("机械"), 100, 3, 150);
    window->command(QStringLiteral("N8"))->trigger();
    ASSERT_EQ(goodsShown(), 3);
    const std::string changed = fingerprint();

    backup = openBackup();
    backup->source()->setText(QStringLiteral("shop.dump"));
    env.dialogs().clear();
    env.dialogs().answer(true);
    backup->restore();
    EXPECT_EQ(env.dialogs().lastText(), u("数据库恢复成功！"))
        << env.dialogs().texts().join(u("|")).toStdString();
    ASSERT_EQ(env.dialogs().shown().size(), 2u);
    EXPECT_TRUE(env.dialogs().shown()[0].text.contains(env.database().description()))
        << "the question names the server";
    EXPECT_TRUE(backup->hasRestored());
    ASSERT_EQ(backup->restoreSources()->count(), 1);
    EXPECT_TRUE(backup->restoreSources()->item(0)->text().contains(u("恢复前的数据库")));
    closeBackup(backup);
    EXPECT_EQ(goodsShown(), 2) << "the goods list shows the restored rows";
    EXPECT_EQ(fingerprint(), backedUp) << "the backup was made in this run: its login-log row goes on";

    // The second restore, from what the first one kept.
    backup = openBackup();
    backup->restoreSources()->setCurrentRow(0);
    env.dialogs().answer(true);
    backup->restore();
    EXPECT_EQ(env.dialogs().lastText(), u("数据库恢复成功！"));
    closeBackup(backup);
    EXPECT_EQ(goodsShown(), 3);
    EXPECT_EQ(fingerprint(), changed);

    // The close makes the day's verified dump in the shop's folder, listed at the next opening.
    const qint64 logId = window->loginLogId();
    window->close();
    shop->maintenance()->finishDailyCopy();
    const QString daily = serverdailycopies::pathFor(env.dir(), QDate(2014, 8, 12));
    ASSERT_TRUE(QFileInfo::exists(daily)) << daily.toStdString();
    ASSERT_TRUE(serverbackup::checkDump(daily, &error)) << error.toStdString();
    EXPECT_FALSE(env.database().scalar(QStringLiteral("select jtime from rz where id=?"), {logId}).isNull());
    window->show();
    backup = openBackup();
    ASSERT_EQ(backup->restoreSources()->count(), 3);
    EXPECT_TRUE(backup->restoreSources()->item(2)->text().contains(u("自动备份")));
}

TEST_F(ServerBackupWindowTest, RefusalsChangeNothingAndSayWhy) {
    logIn();
    letTheTillSettle();
    BackupWindow *backup = openBackup();
    const QString dump = env.file(QStringLiteral("shop.dump"));
    backup->target()->setText(dump);
    backup->backUp();
    ASSERT_EQ(env.dialogs().lastText(), u("数据库备份成功！"));
    addGoods(env.database(), u("键盘"), u("机械"), 100, 3, 150);
    const std::string current = fingerprint();
    const QByteArray written = MaintenanceShopTest::bytesOf(dump);

    // Declining to replace the old backup file keeps it.
    env.dialogs().clear();
    backup->backUp();
    EXPECT_EQ(env.dialogs().texts(),
              (QStringList{u("文件“%1”已经存在，要替换它吗？").arg(dump), u("数据库备份失败！")}));
    EXPECT_EQ(MaintenanceShopTest::bytesOf(dump), written);

    // Another till is working on the database: refused before the question, with their number.
    backup->source()->setText(dump);
    {
        Database till;
        ASSERT_TRUE(till.openServer(env.database().serverConnection()));
        env.dialogs().clear();
        env.dialogs().answer(true);
        backup->restore();
        ASSERT_EQ(env.dialogs().shown().size(), 1u) << env.dialogs().texts().join(u("|")).toStdString();
        EXPECT_TRUE(env.dialogs().lastText().contains(u("还有 1 台其他收银机")))
            << env.dialogs().lastText().toStdString();
        EXPECT_EQ(fingerprint(), current);
    }

    // A dump cut short.
    const QString cut = env.file(QStringLiteral("cut.dump"));
    {
        QFile file(cut);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(written.left(written.size() - 64));
    }
    backup->source()->setText(cut);
    env.dialogs().clear();
    env.dialogs().answer(true);
    backup->restore();
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_TRUE(env.dialogs().lastText().startsWith(u("数据库恢复失败！")));
    EXPECT_TRUE(env.dialogs().lastText().contains(u("当前的数据库没有改动")));
    EXPECT_FALSE(backup->hasRestored());
    closeBackup(backup);
    EXPECT_EQ(fingerprint(), current);
    EXPECT_EQ(goodsShown(), 3);
}
