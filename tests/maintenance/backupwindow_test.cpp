// The backup window as the user reaches it from the main window: the main window hidden and brought
// back, the connection closed meanwhile, backup and restore with their questions and messages, the
// checks that keep a wrong file out, the safety copy, and the stored target path.
#include "app/shopreports.h"
#include "maintenance/safetycopies.h"
#include "maintenance/shopfiles.h"
#include "reports/salesdetailwindow.h"
#include "reports/salesfilterbox.h"
#include "sales/salepanel.h"
#include "store/clock.h"
#include "store/settingsstore.h"
#include "tests/maintenance/shopfixture.h"
#include "widgets/datagrid.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QWindow>

namespace {
class BackupWindowTest : public MaintenanceShopTest {};
} // namespace

TEST_F(BackupWindowTest, TheWindowHidesTheMainWindowAndClosesTheConnectionUntilItCloses) {
    logIn();
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("danhao"), QStringLiteral("41")));
    BackupWindow *backup = openBackup();
    ASSERT_NE(backup, nullptr);
    EXPECT_EQ(backup->objectName(), QStringLiteral("Trepair"));
    EXPECT_EQ(backup->windowTitle(), u("数据库备份"));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(backup));
    EXPECT_TRUE(QTest::qWaitForWindowActive(backup)) << "usable though its owner is hidden";
    EXPECT_FALSE(window->isVisible());
    for (int i = 0; i < 100 && window->windowHandle()->isExposed(); ++i)
        QTest::qWait(20);
    EXPECT_FALSE(window->windowHandle()->isExposed()) << "the main window is gone from the screen";
    EXPECT_FALSE(env.database().isOpen());
    EXPECT_FALSE(QFileInfo::exists(databasePath() + QStringLiteral("-wal")))
        << "closing the connection merged the log into data.mdb";
    EXPECT_EQ(shop->maintenance()->openBackupWindow(), backup) << "one window at a time";

    // Meanwhile the file changed under the program (as a restore would change it).
    {
        Database other;
        ASSERT_TRUE(other.open(databasePath()));
        addGoods(other, u("键盘"), u("机械"), 100, 3, 150);
    }
    closeBackup(backup);

    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_TRUE(env.database().isOpen());
    EXPECT_EQ(shop->goods()->goods().rowCount(), 3) << "the list was reloaded with 全部记录";
    EXPECT_EQ(window->session().ticketCounter, 42) << "the show steps ran again";
    EXPECT_FALSE(shop->login()->isVisible());

    // Every window works on the connection again: a sale is written and the list follows it.
    const Dataset &goods = shop->goods()->goods();
    int mouse = -1;
    for (int row = 0; row < goods.rowCount(); ++row)
        if (goods.text(row, QStringLiteral("a")) == u("鼠标")) mouse = row;
    ASSERT_GE(mouse, 0);
    emit shop->goods()->rowDoubleClicked(mouse);
    shop->salePanel()->findChild<QLineEdit *>(QStringLiteral("Edit35"))->setText(QStringLiteral("2"));
    shop->salePanel()->confirmSale();
    EXPECT_EQ(count("select count(*) from data1"), 1);
    EXPECT_EQ(env.database().scalar(QStringLiteral("select [7] from data where a=?"), {u("鼠标")}).toDouble(),
              48);
}

TEST_F(BackupWindowTest, ARestoreBringsBackTheBackedUpShopAndKeepsTheReplacedOneAside) {
    logIn();
    const qint64 loginRow = window->loginLogId();
    BackupWindow *backup = openBackup();
    const QString copy = env.file(QStringLiteral("copy.mdb"));
    backup->target()->setText(copy);
    backup->backUp();
    EXPECT_EQ(env.dialogs().lastText(), u("数据库备份成功！"));
    ASSERT_EQ(shell.copies.size(), 1u) << "through the shell's copy";
    EXPECT_EQ(shell.copies[0].source, databasePath());
    EXPECT_EQ(shell.copies[0].target, copy);
    closeBackup(backup);

    addGoods(env.database(), u("键盘"), u("机械"), 100, 3, 150);
    window->command(QStringLiteral("N8"))->trigger();
    ASSERT_EQ(shop->goods()->goods().rowCount(), 3);

    backup = openBackup();
    backup->source()->setText(copy);
    env.dialogs().answer(true); // replace data.mdb
    backup->restore();
    EXPECT_EQ(env.dialogs().lastText(), u("数据库恢复成功！"));
    EXPECT_TRUE(backup->hasRestored());
    closeBackup(backup);

    EXPECT_EQ(shop->goods()->goods().rowCount(), 2) << "the goods list shows the restored rows";
    EXPECT_EQ(count("select count(*) from data where a='键盘'"), 0);
    {
        const auto safety = safetycopies::list(databasePath());
        ASSERT_EQ(safety.size(), 1);
        Database kept;
        ASSERT_TRUE(kept.open(safety[0].path));
        EXPECT_EQ(kept.scalar(QStringLiteral("select count(*) from data")).toInt(), 3)
            << "the replaced database is kept beside it";
    }
    EXPECT_EQ(
        QDir(env.dir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).filter(QStringLiteral("restore")),
        QStringList())
        << "no candidate left";

    // The backup was made during this run: its login-log row goes on and the close completes it.
    EXPECT_EQ(window->loginLogId(), loginRow);
    window->close();
    EXPECT_FALSE(
        env.database().scalar(QStringLiteral("select jtime from rz where id=?"), {loginRow}).isNull());
    EXPECT_EQ(count("select count(*) from rz"), 1);
}

TEST_F(BackupWindowTest, AfterARestoreTheExitTimeNeverLandsOnAnotherLoginsRow) {
    // A backup from elsewhere whose first login-log row is 张三's.
    const QString other = env.file(QStringLiteral("other.mdb"));
    {
        Database database;
        ASSERT_TRUE(database.open(other));
        ASSERT_TRUE(database.execute(QStringLiteral("insert into rz (username,btime) values (?,?)"),
                                     {u("张三"), QStringLiteral("2014-08-01 09:00:00")}));
    }
    logIn();
    const qint64 loginRow = window->loginLogId();
    BackupWindow *backup = openBackup();
    backup->source()->setText(other);
    env.dialogs().answer(true);
    backup->restore();
    ASSERT_EQ(env.dialogs().lastText(), u("数据库恢复成功！"));
    closeBackup(backup);

    EXPECT_NE(window->loginLogId(), loginRow);
    EXPECT_FALSE(shop->login()->isVisible()) << "no new login";
    const qint64 runRow = window->loginLogId();
    window->close();
    EXPECT_TRUE(env.database().scalar(QStringLiteral("select jtime from rz where id=?"), {loginRow}).isNull())
        << "张三's row keeps its own (empty) exit time";
    EXPECT_EQ(
        env.database().scalar(QStringLiteral("select username from rz where id=?"), {runRow}).toString(),
        u("超级管理员"));
    EXPECT_FALSE(env.database().scalar(QStringLiteral("select jtime from rz where id=?"), {runRow}).isNull());
}

TEST_F(BackupWindowTest, AReplaceAnsweredNoKeepsTheTargetAndReportsTheFailure) {
    logIn();
    const QString target = env.file(QStringLiteral("old.mdb"));
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("yesterday's backup");
    }
    BackupWindow *backup = openBackup();
    backup->target()->setText(target);
    env.dialogs().answer(false);
    backup->backUp();
    EXPECT_TRUE(env.dialogs().texts().join(QLatin1Char('|')).contains(u("已经存在")));
    EXPECT_EQ(env.dialogs().lastText(), u("数据库备份失败！"));
    EXPECT_EQ(bytesOf(target), QByteArray("yesterday's backup"));

    // Declining the restore's replace question leaves data.mdb and the earlier safety copy alone.
    const QString copy = env.file(QStringLiteral("copy.mdb"));
    backup->target()->setText(copy);
    backup->backUp();
    // An earlier safety copy under the very name this restore's copy would be given.
    const QString safety = safetycopies::nameFor(databasePath(), Clock::now());
    {
        QFile file(safety);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("earlier safety copy");
    }
    const QByteArray before = bytesOf(databasePath());
    backup->source()->setText(copy);
    env.dialogs().answer(false);
    backup->restore();
    EXPECT_EQ(env.dialogs().lastText(), u("数据库恢复失败！"));
    EXPECT_FALSE(backup->hasRestored());
    EXPECT_EQ(bytesOf(databasePath()), before);
    EXPECT_EQ(bytesOf(safety), QByteArray("earlier safety copy"));
    EXPECT_EQ(safetycopies::list(databasePath()).size(), 1)
        << "no copy kept for a restore that did not happen";

    // A copy the shell could not make is a failure, for the restore as for the backup.
    shell.refuseCopies = true;
    env.dialogs().answer(true);
    backup->restore();
    EXPECT_TRUE(env.dialogs().lastText().startsWith(u("数据库恢复失败！")))
        << env.dialogs().lastText().toStdString();
    EXPECT_EQ(bytesOf(databasePath()), before);
    EXPECT_EQ(bytesOf(safety), QByteArray("earlier safety copy"));
    EXPECT_EQ(safetycopies::list(databasePath()).size(), 1);
    backup->backUp();
    EXPECT_EQ(env.dialogs().lastText(), u("数据库备份失败！"));
    closeBackup(backup);
}

TEST_F(BackupWindowTest, AnEmptyTargetFailsIsStoredAndIsIgnoredAtTheNextShow) {
    logIn();
    BackupWindow *backup = openBackup();
    EXPECT_EQ(backup->target()->text(), BackupWindow::defaultTarget());
    backup->target()->clear();
    backup->backUp();
    EXPECT_EQ(env.dialogs().lastText(), u("数据库备份失败！"));
    EXPECT_TRUE(SettingsStore::instance().exists());
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("save")), QString());
    closeBackup(backup);

    backup = openBackup();
    EXPECT_EQ(backup->target()->text(), BackupWindow::defaultTarget());
    // Typing stores every step; the last text wins.
    backup->target()->clear();
    typeText(backup->target(), QStringLiteral("/tmp/x.mdb"));
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("save")), QStringLiteral("/tmp/x.mdb"));
    closeBackup(backup);
    backup = openBackup();
    EXPECT_EQ(backup->target()->text(), QStringLiteral("/tmp/x.mdb"));

    // "默认" puts the preset back and stores it.
    QTest::mouseClick(backup->defaultLink(), Qt::LeftButton);
    EXPECT_EQ(backup->target()->text(), BackupWindow::defaultTarget());
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("save")), BackupWindow::defaultTarget());
    closeBackup(backup);
}

TEST_F(BackupWindowTest, AMissingRestoreSourceIsReportedAndARelativeOneIsLookedUpInTheShopsFolder) {
    logIn();
    BackupWindow *backup = openBackup();
    EXPECT_EQ(backup->source()->text(), QStringLiteral("beifen.mdb"));
    for (const QString &missing :
         {QStringLiteral("beifen.mdb"), QString(), env.file(QStringLiteral("none.mdb")), env.dir()}) {
        env.dialogs().clear();
        backup->source()->setText(missing);
        backup->restore();
        EXPECT_EQ(env.dialogs().texts(), QStringList{u("备份数据库没找到!")}) << missing.toStdString();
    }

    // The default name, beside data.mdb, is found there.
    backup->target()->setText(env.file(QStringLiteral("beifen.mdb")));
    backup->backUp();
    backup->source()->setText(QStringLiteral("beifen.mdb"));
    env.dialogs().answer(true);
    backup->restore();
    EXPECT_EQ(env.dialogs().lastText(), u("数据库恢复成功！"));
    closeBackup(backup);
}

TEST_F(BackupWindowTest, AFileThatIsNotAShopDatabaseIsRefusedAndChangesNothing) {
    logIn();
    BackupWindow *backup = openBackup();
    const QString good = env.file(QStringLiteral("good.mdb"));
    backup->target()->setText(good);
    backup->backUp();
    const QByteArray whole = bytesOf(good);

    struct Case {
        const char *name;
        QByteArray content;
    } cases[] = {
        {"notes.mdb", "这不是数据库"},
        {"empty.mdb", QByteArray()},
        {"truncated.mdb", whole.left(whole.size() / 2)},
    };
    const QByteArray before = bytesOf(databasePath());
    for (const Case &c : cases) {
        const QString path = env.file(QString::fromLatin1(c.name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.content);
        file.close();
        env.dialogs().clear();
        backup->source()->setText(path);
        backup->restore();
        ASSERT_EQ(env.dialogs().shown().size(), 1u) << c.name << ": no replace question";
        const QString said = env.dialogs().lastText();
        EXPECT_TRUE(said.startsWith(u("数据库恢复失败！\n"))) << said.toStdString();
        EXPECT_TRUE(said.contains(path)) << "names the chosen file: " << said.toStdString();
        EXPECT_EQ(bytesOf(databasePath()), before) << c.name;
        EXPECT_EQ(bytesOf(path), c.content) << c.name << " itself is not changed";
        EXPECT_TRUE(safetycopies::list(databasePath()).isEmpty()) << c.name;
    }
    EXPECT_FALSE(backup->hasRestored());
    closeBackup(backup);
    EXPECT_EQ(shop->goods()->goods().rowCount(), 2);
}

TEST_F(BackupWindowTest, TheOpenDialogChoosesTheSourceAndACancelGoesBackToTheLastChoice) {
    logIn();
    BackupWindow *backup = openBackup();
    backup->chooseSource(); // cancelled with nothing chosen before
    EXPECT_EQ(backup->source()->text(), QString());
    env.dialogs().fileName(env.file(QStringLiteral("a.mdb")));
    backup->chooseSource();
    EXPECT_EQ(backup->source()->text(), env.file(QStringLiteral("a.mdb")));
    backup->source()->setText(QStringLiteral("typed.mdb"));
    backup->chooseSource();
    EXPECT_EQ(backup->source()->text(), env.file(QStringLiteral("a.mdb")));
    closeBackup(backup);
}

TEST_F(BackupWindowTest, ADailyCopyIsListedAndCanBeRestored) {
    logIn();
    // Yesterday's close left a copy; today a goods row was added.
    ASSERT_TRUE(QDir().mkpath(env.file(QStringLiteral("backups"))));
    BackupWindow *backup = openBackup();
    backup->target()->setText(env.file(QStringLiteral("backups/data-2014-08-11.mdb")));
    backup->backUp();
    closeBackup(backup);
    addGoods(env.database(), u("键盘"), u("机械"), 100, 3, 150);

    backup = openBackup();
    QListWidget *list = backup->restoreSources();
    ASSERT_EQ(list->count(), 1);
    EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral("2014-08-11")));
    list->setCurrentRow(0);
    EXPECT_EQ(backup->source()->text(), env.file(QStringLiteral("backups/data-2014-08-11.mdb")));
    env.dialogs().answer(true);
    backup->restore();
    EXPECT_EQ(env.dialogs().lastText(), u("数据库恢复成功！"));
    closeBackup(backup);
    EXPECT_EQ(count("select count(*) from data"), 2);
}

// The lists read from the sales records show the restored file's values, not the replaced one's:
// the sales-detail window's categories at its next "本 月" and the sale panel's customers.
TEST_F(BackupWindowTest, ARestoredShopsCategoriesAndCustomersReplaceTheOldOnes) {
    const auto addRecord = [](Database &db, const char *category, const char *customer) {
        ASSERT_TRUE(db.execute(QStringLiteral("insert into data1 (a,d,g,[3],day1) values ('x',?,?,1,'2014-08-05')"),
                               {QString::fromUtf8(category), QString::fromUtf8(customer)}));
    };
    addRecord(env.database(), "服装", "王五");
    logIn();
    SalesDetailWindow *detail = shop->reports()->salesDetail();
    const auto categories = [detail] {
        QStringList items;
        QComboBox *box = detail->filterBox()->category();
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    };
    const auto customers = [this] {
        QStringList items;
        auto *box = shop->salePanel()->findChild<QComboBox *>(QStringLiteral("ComboBox7"));
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    };
    detail->showMonth();
    ASSERT_EQ(categories(), QStringList{u("服装")});

    // A copy of the shop whose records were changed and added to elsewhere: more records than the
    // shop has now, and none of the old category or customer.
    BackupWindow *backup = openBackup();
    const QString copy = env.file(QStringLiteral("copy.mdb"));
    backup->target()->setText(copy);
    backup->backUp();
    closeBackup(backup);
    {
        Database other;
        ASSERT_TRUE(other.open(copy));
        ASSERT_TRUE(other.execute(QStringLiteral("update data1 set d=?, g=?"), {u("电子"), u("李四")}));
        addRecord(other, "电子", "李四");
        addRecord(other, "文具", "李四");
    }

    backup = openBackup();
    backup->source()->setText(copy);
    env.dialogs().answer(true);
    backup->restore();
    ASSERT_EQ(env.dialogs().lastText(), u("数据库恢复成功！"));
    closeBackup(backup);

    detail->showMonth();
    EXPECT_EQ(categories(), (QStringList{u("文具"), u("电子")}));
    EXPECT_EQ(customers(), QStringList{u("李四")});
}
