// "软件升级" in the assembled main window: from the command to the upgrader program started and the
// main window closed the normal way, with this run's login-log row completed.
#include "app/mainwindow.h"
#include "app/shop.h"
#include "app/shopupgrade.h"
#include "store/clock.h"
#include "tests/support/typing.h"
#include "tests/upgrade/upgradefixture.h"
#include "users/loginwindow.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>

namespace {
class ShopUpgradeTest : public UpgradeFixture {
  protected:
    ShopUpgradeTest() {
        shop = new Shop(env.database(), *mainWindow);
        mainWindow->show();
        LoginWindow *login = shop->login();
        login->show();
        login->findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setEditText(u("超级管理员"));
        login->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("659"));
        login->logIn();
        EXPECT_TRUE(login->isLoggedIn());

        // The maker's server is the test's own.
        Upgrader::Settings &settings = shop->upgrade()->upgrader()->settings();
        settings.infoFileUrl = server.url(QStringLiteral("/jsjxc.inf"));
        settings.publicKey = keys.publicKey;
        settings.programPath = programPath();
        settings.temporaryFolder = env.file(QStringLiteral("tmp"));
    }
    ~ShopUpgradeTest() override {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top != mainWindow.get() && top->parent() == mainWindow.get()) top->close();
    }

    std::unique_ptr<MainWindow> mainWindow = std::make_unique<MainWindow>(env.database());
    Shop *shop = nullptr;
};
} // namespace

TEST_F(ShopUpgradeTest, ACompletedUpgradeStartsTheUpgraderAndClosesTheMainWindowWithItsLogRow) {
    QByteArray info = "#date=08/05/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() + "\r\n";
    info += serveFile("/download/298vov.exe", "new program", "sha256");
    publish(info);
    const qint64 logId = mainWindow->loginLogId();
    ASSERT_NE(logId, 0);
    Upgrader *upgrader = shop->upgrade()->upgrader();
    whenShown(QStringLiteral("TUpgraderMessageForm"), [](QWidget *question) { press(question, "YesBtn"); });

    mainWindow->command(QStringLiteral("N28"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor(
        [upgrader] { return upgrader->wizard() && upgrader->wizard()->isCompleted(); }, 10000));
    EXPECT_TRUE(mainWindow->isVisible()) << "the program runs on until the wizard's OK";
    Clock::fix(QDateTime(QDate(2014, 8, 12), QTime(11, 0, 0)));
    press(upgrader->wizard(), "FinishBtn");

    ASSERT_TRUE(QTest::qWaitFor([this] { return !mainWindow->isVisible(); }, 5000));
    ASSERT_EQ(shell.starts.size(), 1u);
    EXPECT_EQ(QFileInfo(QFileInfo(shell.starts[0].program).absolutePath()).absolutePath(),
              env.file(QStringLiteral("tmp")));
    EXPECT_EQ(shell.starts[0].arguments.value(1), QStringLiteral("+/afterupgrade0"));
    EXPECT_EQ(env.database().scalar(QStringLiteral("select jtime from rz where id=?"), {logId}).toString(),
              QStringLiteral("2014-08-12 11:00:00"));
}

TEST_F(ShopUpgradeTest, NoNewerVersionLeavesTheProgramAsItWas) {
    publish("#date=07/29/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() + "\r\n");

    mainWindow->command(QStringLiteral("N28"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !env.dialogs().shown().empty(); }, 10000));

    EXPECT_EQ(env.dialogs().lastText(), u("没有发现新的版本，您目前已经是最新版本。"));
    EXPECT_TRUE(mainWindow->isVisible());
    EXPECT_TRUE(shell.starts.empty());
}

// "软件升级" from the menu with the server out of reach: the shopkeeper is told so, and why.
TEST_F(ShopUpgradeTest, AMenuCheckWithoutTheServerSaysItCouldNotConnect) {
    shop->upgrade()->upgrader()->settings().infoFileUrl =
        QStringLiteral("http://127.0.0.1:%1/jsjxc.inf").arg(closedPort());

    mainWindow->command(QStringLiteral("N28"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !env.dialogs().shown().empty(); }, 10000));

    const QString text = env.dialogs().lastText();
    EXPECT_TRUE(text.startsWith(u("无法连接升级服务器，请检查网络连接后再试。"))) << text.toStdString();
    EXPECT_TRUE(text.contains(u("服务器：127.0.0.1"))) << text.toStdString();
    EXPECT_FALSE(shop->upgrade()->upgrader()->isRunning());
    EXPECT_TRUE(mainWindow->isVisible());
}
