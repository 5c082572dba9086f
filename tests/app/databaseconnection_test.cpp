// The shop's server chosen in the program: "数据库连接…" in the assembled main window, for the super
// administrator only, and the choice a start-up that cannot reach its server offers.
#include "app/maincommands.h"
#include "app/mainwindow.h"
#include "app/shop.h"
#include "app/startup.h"
#include "maintenance/databaseconnectionwindow.h"
#include "store/settingsstore.h"
#include "tests/maintenance/ownserver.h"
#include "tests/support/recordingshell.h"
#include "tests/support/shoplogin.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "users/userstore.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <memory>

namespace {
QList<DatabaseConnectionWindow *> openConnectionWindows() {
    QList<DatabaseConnectionWindow *> open;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *window = qobject_cast<DatabaseConnectionWindow *>(top); window && window->isVisible())
            open << window;
    return open;
}

class ShopConnectionTest : public ::testing::Test {
  protected:
    ShopConnectionTest() { UserStore(env.database()).addUser(u("张三")); }
    ~ShopConnectionTest() override {
        for (DatabaseConnectionWindow *window : openConnectionWindows())
            window->close();
    }
    QAction *item() const { return window->command(QStringLiteral("databaseConnection")); }

    TestEnv env;
    RecordingShell shell;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(env.database());
    Shop *shop = new Shop(env.database(), *window);
};
} // namespace

TEST_F(ShopConnectionTest, TheSuperAdministratorOpensOneWindowFilledFromTheSetting) {
    ASSERT_TRUE(
        SettingsStore::instance().write(QStringLiteral("database"), u("host=shop-server dbname=门店")));
    ASSERT_TRUE(showLoggedIn(*window, *shop->login(), u("超级管理员")));
    EXPECT_TRUE(item()->isVisible());
    EXPECT_TRUE(item()->isEnabled());
    EXPECT_TRUE(window->commands().settingsMenu()->actions().contains(item()));
    item()->trigger();
    item()->trigger();
    const auto open = openConnectionWindows();
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open[0]->findChild<QLineEdit *>(QStringLiteral("hostEdit"))->text(), u("shop-server"));
    EXPECT_EQ(open[0]->findChild<QLineEdit *>(QStringLiteral("databaseEdit"))->text(), u("门店"));
    EXPECT_TRUE(env.dialogs().shown().empty());
}

TEST_F(ShopConnectionTest, ARestrictedUserReachesItNeitherByMenuNorKeyNorCommand) {
    ASSERT_TRUE(showLoggedIn(*window, *shop->login(), u("张三")));
    ASSERT_TRUE(shop->isRestricted());
    // Not in the 设置 menu the tool button drops down.
    QMenu *settings = window->command(QStringLiteral("ToolButton18"))->menu();
    ASSERT_EQ(settings, window->commands().settingsMenu());
    EXPECT_FALSE(item()->isVisible());
    // A hidden item is also switched off: no key and no keyboard walk through the menu runs it.
    EXPECT_FALSE(item()->isEnabled());
    settings->popup(QPoint(0, 0));
    QTest::qWait(10);
    for (int step = 0; step < 12; ++step) {
        EXPECT_NE(settings->activeAction(), item());
        QTest::keyClick(settings, Qt::Key_Down);
    }
    settings->close();
    // Run anyway (by a stale binding or the program itself): refused with a word.
    item()->trigger();
    EXPECT_TRUE(openConnectionWindows().isEmpty());
    EXPECT_EQ(env.dialogs().texts(), QStringList{u("只有超级管理员才能更改数据库连接。")});
}

namespace {
// Scripted dialogs that do something (start a server, say) as a choice is asked.
class ChoiceHookDialogs : public ScriptedDialogs {
  public:
    std::function<void()> beforeChoice;
    int choose(QWidget *parent, const QString &text, const QString &title, const QStringList &choices,
               int escapeChoice) override {
        if (beforeChoice) beforeChoice();
        return ScriptedDialogs::choose(parent, text, title, choices, escapeChoice);
    }
};

const QStringList Choices = {u("重试"), u("更改连接…"), u("退出")};
enum { Retry, Change, Quit };
const QString Unreachable = QStringLiteral("host=127.0.0.1 port=1 dbname=shop user=kasse");

// A database of its own on a reachable server, dropped at the end.
class ServerDatabase {
  public:
    ServerDatabase() {
        m_server = reachableServer(&m_problem);
        m_name = QStringLiteral("jsjxc_choice_%1").arg(QCoreApplication::applicationPid());
    }
    ~ServerDatabase() {
        if (!m_server.isEmpty()) run("DROP DATABASE IF EXISTS " + m_name.toUtf8() + " WITH (FORCE)");
    }
    bool available() const { return !m_server.isEmpty(); }
    QString problem() const { return m_problem; }
    void create() const { run("CREATE DATABASE " + m_name.toUtf8()); }
    // The server's fields with this database.
    connectionsettings::Settings settings() const {
        auto settings = connectionsettings::parse(m_server).value();
        settings.database = m_name;
        return settings;
    }
    QString connection() const { return connectionsettings::connectionString(settings()); }

  private:
    void run(const QByteArray &sql) const {
        PGconn *admin = PQconnectdb(m_server.toUtf8().constData());
        PQclear(PQexec(admin, sql.constData()));
        PQfinish(admin);
    }
    QString m_server;
    QString m_problem;
    QString m_name;
};

class StartupChoiceTest : public ::testing::Test {
  protected:
    // The window reads the password file; never the real user's.
    StartupChoiceTest() {
        QDir::setCurrent(env.dir());
        qputenv("PGPASSFILE", QFile::encodeName(env.file(QStringLiteral("pgpass"))));
    }
    ~StartupChoiceTest() override {
        qunsetenv("PGPASSFILE");
        QDir::setCurrent(m_folder);
    }

    std::vector<ScriptedDialogs::Shown> choices() const {
        std::vector<ScriptedDialogs::Shown> asked;
        for (const auto &shown : dialogs.shown())
            if (shown.what == ScriptedDialogs::Shown::What::Choice) asked.push_back(shown);
        return asked;
    }
    // Does `act` with the connection window once it is up (it is modal: its own loop runs).
    void whenWindowOpens(std::function<void(DatabaseConnectionWindow *)> act) {
        auto *timer = new QTimer(qApp);
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
            if (auto *window = qobject_cast<DatabaseConnectionWindow *>(QApplication::activeModalWidget())) {
                timer->deleteLater();
                timer->stop();
                act(window);
            }
        });
        timer->start();
    }

    QString m_folder = QDir::currentPath();
    TestEnv env;
    ChoiceHookDialogs dialogs;
    Database database;
};
} // namespace

TEST_F(StartupChoiceTest, QuitEndsWithTheServerAndItsReasonNamedAndNoFileMade) {
    dialogs.choice(Quit);
    EXPECT_FALSE(openShopServer(database, Unreachable));
    const auto asked = choices().at(0);
    EXPECT_EQ(asked.choices, Choices);
    EXPECT_EQ(asked.title, u("无法连接数据库服务器"));
    EXPECT_TRUE(asked.text.startsWith(u("无法连接数据库服务器“127.0.0.1:1/shop”：")))
        << asked.text.toStdString();
    EXPECT_GT(asked.text.indexOf(u("\n\n")), asked.text.indexOf(u("：")) + 2)
        << "libpq's reason before the advice";
    EXPECT_FALSE(database.isOpen());
    EXPECT_FALSE(QFileInfo::exists(env.file(QStringLiteral("data.mdb")))) << "never a local file instead";
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("database")), QString());

    // Closing the box is quitting too.
    EXPECT_FALSE(openShopServer(database, Unreachable));
    EXPECT_EQ(choices().size(), 2u);
}

TEST_F(StartupChoiceTest, RetryConnectsOnceTheServerIsThere) {
    ServerDatabase shopDatabase;
    if (!shopDatabase.available()) GTEST_SKIP() << "no server: " << shopDatabase.problem().toStdString();
    // The shop's database comes up while the question is on the screen.
    dialogs.beforeChoice = [&] { shopDatabase.create(); };
    dialogs.choice(Retry);
    ASSERT_TRUE(openShopServer(database, shopDatabase.connection())) << database.errorText().toStdString();
    EXPECT_EQ(choices().size(), 1u);
    EXPECT_EQ(database.engine(), Database::Engine::Server);
    EXPECT_EQ(database.scalar(QStringLiteral("select count(*) from userdb")).toInt(), 1);
    database.close();
}

TEST_F(StartupChoiceTest, AChangedConnectionIsSavedAndTriedAtOnce) {
    ServerDatabase shopDatabase;
    if (!shopDatabase.available()) GTEST_SKIP() << "no server: " << shopDatabase.problem().toStdString();
    shopDatabase.create();
    const connectionsettings::Settings good = shopDatabase.settings();
    QString filledHost, filledPort;
    whenWindowOpens([&](DatabaseConnectionWindow *window) {
        filledHost = window->findChild<QLineEdit *>(QStringLiteral("hostEdit"))->text();
        filledPort = window->findChild<QLineEdit *>(QStringLiteral("portEdit"))->text();
        window->findChild<QLineEdit *>(QStringLiteral("hostEdit"))->setText(good.host);
        window->findChild<QLineEdit *>(QStringLiteral("portEdit"))->setText(good.port);
        window->findChild<QLineEdit *>(QStringLiteral("databaseEdit"))->setText(good.database);
        window->findChild<QLineEdit *>(QStringLiteral("userEdit"))->setText(good.user);
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
    });
    dialogs.choice(Change);
    ASSERT_TRUE(openShopServer(database, Unreachable)) << database.errorText().toStdString();
    EXPECT_EQ(filledHost, u("127.0.0.1")) << "the window opens on the connection that failed";
    EXPECT_EQ(filledPort, u("1"));
    EXPECT_EQ(choices().size(), 1u);
    EXPECT_EQ(dialogs.shown().size(), 1u) << "nothing about the next start: it counts now";
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("database")), shopDatabase.connection());
    EXPECT_EQ(database.serverConnection(), shopDatabase.connection());
    database.close();
}

TEST_F(StartupChoiceTest, ACancelledChangeComesBackToTheChoice) {
    whenWindowOpens([](DatabaseConnectionWindow *window) {
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("cancelButton")), Qt::LeftButton);
    });
    dialogs.choice(Change);
    dialogs.choice(Quit);
    EXPECT_FALSE(openShopServer(database, Unreachable));
    ASSERT_EQ(choices().size(), 2u);
    EXPECT_EQ(choices()[1].text, choices()[0].text);
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("database")), QString());
}

TEST_F(StartupChoiceTest, ChoosingTheLocalFileEndsForAFreshStartWithoutOpeningIt) {
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("database"), Unreachable));
    whenWindowOpens([](DatabaseConnectionWindow *window) {
        window->findChild<QComboBox *>(QStringLiteral("kindBox"))->setCurrentIndex(0);
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
    });
    dialogs.choice(Change);
    EXPECT_FALSE(openShopServer(database, Unreachable));
    EXPECT_EQ(dialogs.lastText(), u("已改为使用本机数据文件 data.mdb，请重新启动程序。"));
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("database")), QString());
    EXPECT_FALSE(QFileInfo::exists(env.file(QStringLiteral("data.mdb"))));
}

// A shop moving to a server: its data.mdb copied from the connection window into an empty server
// database, the server then kept as the connection; a second copy into the same database is refused
// and changes nothing.
TEST_F(ShopConnectionTest, TheLocalShopIsCopiedToAnEmptyServerAndTheServerKept) {
    ServerDatabase target;
    if (!target.available()) GTEST_SKIP() << target.problem().toStdString();
    target.create();
    addGoods(env.database(), u("电脑"), QString(), 3000, 5, 3500);
    addGoods(env.database(), u("鼠标"), QString(), 20, 50, 35);
    ASSERT_TRUE(showLoggedIn(*window, *shop->login(), u("超级管理员")));
    const auto copyThroughTheWindow = [&] {
        item()->trigger();
        const auto open = openConnectionWindows();
        ASSERT_EQ(open.size(), 1);
        DatabaseConnectionWindow *opened = open[0];
        opened->findChild<QComboBox *>(QStringLiteral("kindBox"))->setCurrentIndex(1);
        const connectionsettings::Settings server = target.settings();
        opened->findChild<QLineEdit *>(QStringLiteral("hostEdit"))->setText(server.host);
        opened->findChild<QLineEdit *>(QStringLiteral("portEdit"))->setText(server.port);
        opened->findChild<QLineEdit *>(QStringLiteral("databaseEdit"))->setText(server.database);
        opened->findChild<QLineEdit *>(QStringLiteral("userEdit"))->setText(server.user);
        auto *copy = opened->findChild<QPushButton *>(QStringLiteral("copyButton"));
        ASSERT_NE(copy, nullptr);
        ASSERT_TRUE(copy->isEnabled());
        copy->click();
    };
    const auto onServer = [&](const char *statement) {
        Database server;
        EXPECT_TRUE(server.openServer(target.connection())) << server.errorText().toStdString();
        return server.scalar(QString::fromLatin1(statement)).toLongLong();
    };

    env.dialogs().answer(true); // copy
    env.dialogs().answer(true); // keep the server
    copyThroughTheWindow();
    EXPECT_EQ(onServer("select count(*) from data"), 2);
    EXPECT_EQ(onServer("select sum([3]) from data"), 3000 * 5 + 20 * 50);
    EXPECT_EQ(onServer("select count(*) from userdb"), 2) << "the super administrator and 张三";
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("database")), target.connection());
    EXPECT_TRUE(openConnectionWindows().isEmpty()) << "closed by keeping the server";
    ASSERT_GE(env.dialogs().texts().size(), 3);
    EXPECT_TRUE(env.dialogs().texts().at(1).contains(u("是否改用这个服务器"))) << env.dialogs().texts().at(1).toStdString();

    addGoods(env.database(), u("键盘"), QString(), 100, 10, 150);
    env.dialogs().answer(true); // copy
    copyThroughTheWindow();
    EXPECT_EQ(onServer("select count(*) from data"), 2) << "a server database holding a shop is not copied into";
    EXPECT_EQ(env.dialogs().shown().back().kind, Dialogs::Kind::Warning);
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("database")), target.connection());
}

// A till started on a server by the start option alone: the window shows that server, not data.mdb
// (its setting is empty), and offers no copy of a local file.
TEST(ShopConnectionOnServer, TheWindowShowsTheServerThisRunUses) {
    ServerDatabase target;
    if (!target.available()) GTEST_SKIP() << target.problem().toStdString();
    target.create();
    TestEnv env;
    RecordingShell shell;
    Database server;
    ASSERT_TRUE(server.openServer(target.connection())) << server.errorText().toStdString();
    MainWindow window(server);
    Shop *shop = new Shop(server, window);
    ASSERT_TRUE(showLoggedIn(window, *shop->login(), u("超级管理员")));
    ASSERT_EQ(SettingsStore::instance().read(QStringLiteral("database")), QString());
    window.command(QStringLiteral("databaseConnection"))->trigger();
    const auto open = openConnectionWindows();
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open[0]->findChild<QComboBox *>(QStringLiteral("kindBox"))->currentIndex(), 1);
    EXPECT_EQ(open[0]->findChild<QLineEdit *>(QStringLiteral("databaseEdit"))->text(), target.settings().database);
    EXPECT_EQ(open[0]->findChild<QLineEdit *>(QStringLiteral("hostEdit"))->text(), target.settings().host);
    EXPECT_EQ(open[0]->findChild<QPushButton *>(QStringLiteral("copyButton")), nullptr);
    open[0]->close();
}
