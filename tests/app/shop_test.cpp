// The windows put together: the login with its restrictions and log row, the goods commands, the view
// items, the skins and the user windows behind the main window's commands.
#include "app/mainstatusbar.h"
#include "app/mainwindow.h"
#include "app/shop.h"
#include "sales/salepanel.h"
#include "sales/ticketview.h"
#include "stock/goodslist.h"
#include "stock/stockinpanel.h"
#include "store/settingsstore.h"
#include "tests/support/recordingshell.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "users/loginwindow.h"
#include "users/passwordchangewindow.h"
#include "users/useradminwindow.h"
#include "users/userstore.h"
#include "widgets/datagrid.h"
#include "widgets/datefield.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {
class ShopTest : public ::testing::Test {
  protected:
    ShopTest() {
        addGoods(env.database(), u("电脑"), u("联想"), 3000, 5, 3500);
        addGoods(env.database(), u("鼠标"), u("无线"), 20, 50, 35);
        UserStore(env.database()).addUser(u("张三"));
        window->show();
    }
    ~ShopTest() override {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top != window.get() && top->parent() == window.get()) top->close();
    }

    void logIn(const QString &name) {
        LoginWindow *login = shop->login();
        login->show();
        login->findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setEditText(name);
        login->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("659"));
        login->logIn();
        ASSERT_TRUE(login->isLoggedIn());
    }
    QAction *command(const char *name) { return window->command(QString::fromLatin1(name)); }
    DataGrid *grid() { return shop->goods()->grid(); }
    int logRows() { return env.database().scalar(QStringLiteral("select count(*) from rz")).toInt(); }

    TestEnv env;
    RecordingShell shell;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(env.database());
    Shop *shop = new Shop(env.database(), *window);
};
} // namespace

TEST_F(ShopTest, TheSuperAdministratorsLoginListsTheGoodsAndKeepsEveryCommandAndColumn) {
    EXPECT_EQ(shop->goods()->goods().rowCount(), 0) << "the login loads the list";
    logIn(u("超级管理员"));

    EXPECT_EQ(shop->goods()->goods().rowCount(), 2);
    const qint64 logId = env.database().scalar(QStringLiteral("select max(id) from rz")).toLongLong();
    EXPECT_EQ(window->loginLogId(), logId);
    EXPECT_EQ(window->panels()->panelText(MainStatusBar::OperatorPanel), u("超级管理员"));
    EXPECT_FALSE(shop->isRestricted());
    for (const char *name : {"N2", "N3", "N20", "N15", "N13", "ToolButton7", "N5", "N6"})
        EXPECT_TRUE(command(name)->isVisible()) << name;
    for (const char *field : {"1", "3", "8"})
        EXPECT_TRUE(grid()->isColumnVisible(QString::fromLatin1(field))) << field;
}

TEST_F(ShopTest, ALoginThatHidesZeroStockReadsTheListOnceWithTheStockedStatement) {
    ASSERT_TRUE(env.database().execute(QStringLiteral("update data set [7]=0 where a=?"), {u("鼠标")}));
    QString error;
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("n0"), QStringLiteral("no"), &error));
    QSignalSpy loads(shop->goods(), &GoodsList::listLoaded);
    logIn(u("超级管理员"));
    EXPECT_EQ(loads.count(), 1) << "the box, the preference and the login each ask for the whole list";
    EXPECT_EQ(shop->goods()->lastStatement().text,
              QStringLiteral("select * from data where [7]<>0 order by day1"));
    EXPECT_TRUE(window->findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->isChecked());
    ASSERT_EQ(shop->goods()->goods().rowCount(), 1);
    EXPECT_EQ(shop->goods()->goods().text(0, QStringLiteral("a")), u("电脑"));
    EXPECT_EQ(shop->goods()->goods().currentRow(), 0);
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("n0")), QStringLiteral("no"));
}

TEST_F(ShopTest, AnOrdinaryUserLosesTheRestrictedCommandsAndColumnsAlsoAfterALaterShow) {
    // Remembered flags that would show the purchase price again at the next show.
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("rukuyin1"), QStringLiteral("no")));
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("rukuyin2"), QStringLiteral("no")));
    logIn(u("张三"));

    EXPECT_TRUE(shop->isRestricted());
    EXPECT_EQ(window->panels()->panelText(MainStatusBar::OperatorPanel), u("张三"));
    for (const char *name : {"N2", "N3", "N20", "N15", "N13", "ToolButton7", "N5", "N6"})
        EXPECT_FALSE(command(name)->isVisible()) << name;
    EXPECT_TRUE(command("N31")->isVisible());
    EXPECT_TRUE(shop->salePanel()->dateField()->isReadOnly());

    // Hidden and shown again, as the backup window does: the show steps run once more.
    window->hide();
    window->show();
    for (const char *field : {"1", "3", "8"})
        EXPECT_FALSE(grid()->isColumnVisible(QString::fromLatin1(field))) << field;
    EXPECT_TRUE(grid()->isColumnVisible(QStringLiteral("4")));
    EXPECT_EQ(window->loginLogId(),
              env.database().scalar(QStringLiteral("select max(id) from rz")).toLongLong());
}

TEST_F(ShopTest, ClosingTheLoginWithoutALoginClosesTheProgramAndWritesNoLogRow) {
    // The activation asks for the login once the event has been handled.
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, shop, [&] {
        if (shop->login()->isVisible()) shop->login()->reject();
    });
    closer.start();
    emit window->activated();
    QTest::qWait(50);
    for (int i = 0; i < 100 && window->isVisible(); ++i)
        QTest::qWait(10);

    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(logRows(), 0);
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("riqi")), QStringLiteral("2014-08-12"));
}

TEST_F(ShopTest, ActivationAfterALoginAsksNoMore) {
    logIn(u("超级管理员"));
    emit window->activated();
    QTest::qWait(20);
    EXPECT_FALSE(shop->login()->isVisible());
    EXPECT_EQ(logRows(), 1);
}

TEST_F(ShopTest, GoodsCommandsReachTheStockInPanelAndTheList) {
    logIn(u("超级管理员"));
    window->command(QStringLiteral("ToolButton7"))->trigger();
    EXPECT_TRUE(shop->stockIn()->isVisible());

    addGoods(env.database(), u("键盘"), u("机械"), 100, 3, 150);
    command("N8")->trigger();
    EXPECT_EQ(shop->goods()->goods().rowCount(), 3);

    // "删 除" takes the list's current row (the last after "全部记录") after the question.
    env.dialogs().answer(true);
    command("N3")->trigger();
    EXPECT_EQ(
        env.database().scalar(QStringLiteral("select count(*) from data where a=?"), {u("键盘")}).toInt(), 0);
}

TEST_F(ShopTest, ColumnItemsSkinsAndLayoutItemsAreWired) {
    logIn(u("超级管理员"));
    command("N6")->trigger();
    for (const char *field : {"3", "6", "8"})
        EXPECT_FALSE(grid()->isColumnVisible(QString::fromLatin1(field))) << field;
    EXPECT_TRUE(command("N6")->isChecked());
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("rukuyin2")), QStringLiteral("yes"));

    command("N52")->trigger();
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("skin")), QStringLiteral("4"));
    qApp->setStyleSheet(QString());

    // A saved layout with the amounts hidden comes back hidden though the item is unticked again.
    command("N37")->trigger();
    command("N6")->trigger();
    EXPECT_TRUE(grid()->isColumnVisible(QStringLiteral("3")));
    command("N17")->trigger();
    EXPECT_FALSE(grid()->isColumnVisible(QStringLiteral("3")));
    EXPECT_FALSE(command("N6")->isChecked());
}

TEST_F(ShopTest, UserWindowsAreMadeOnceAndShownAgain) {
    logIn(u("超级管理员"));
    command("N13")->trigger();
    command("N13")->trigger();
    command("N15")->trigger();
    int admins = 0, changers = 0;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (qobject_cast<UserAdminWindow *>(top) && top->isVisible()) ++admins;
        if (qobject_cast<PasswordChangeWindow *>(top) && top->isVisible()) ++changers;
    }
    EXPECT_EQ(admins, 1);
    EXPECT_EQ(changers, 1);
}

TEST_F(ShopTest, ADoubleClickedRowIsSoldAndTheTicketViewFollowsTheSaleNumber) {
    logIn(u("超级管理员"));
    Dataset &goods = shop->goods()->goods();
    int mouse = -1;
    for (int row = 0; row < goods.rowCount(); ++row)
        if (goods.text(row, QStringLiteral("a")) == u("鼠标")) mouse = row;
    ASSERT_GE(mouse, 0);
    emit shop->goods()->rowDoubleClicked(mouse);
    SalePanel *sale = shop->salePanel();
    ASSERT_TRUE(sale->isVisible());
    EXPECT_EQ(sale->saleNumber(), QStringLiteral("20140812001"));

    sale->findChild<QLineEdit *>(QStringLiteral("Edit35"))->setText(QStringLiteral("2"));
    sale->confirmSale();

    EXPECT_FALSE(sale->isVisible());
    EXPECT_EQ(env.database().scalar(QStringLiteral("select [7] from data where a=?"), {u("鼠标")}).toDouble(),
              48);
    EXPECT_EQ(
        env.database()
            .scalar(QStringLiteral("select count(*) from data1 where z=?"), {QStringLiteral("20140812001")})
            .toInt(),
        1);
    TicketView *ticket = shop->ticketView();
    EXPECT_EQ(ticket->total()->text(), QStringLiteral("70"));
    EXPECT_FALSE(ticket->isVisible());
    command("ToolButton2")->trigger();
    EXPECT_TRUE(ticket->isVisible());

    // "下一单" moves the sale panel's counter: a new, empty ticket.
    ticket->nextButton()->click();
    EXPECT_EQ(sale->saleNumber(), QStringLiteral("20140812002"));
    EXPECT_EQ(ticket->total()->text(), QStringLiteral("0"));
    command("N22")->trigger();
    EXPECT_FALSE(ticket->isVisible());
}
