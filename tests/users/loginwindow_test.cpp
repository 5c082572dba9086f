// The login window: its controls, the checks and messages of "登 录", the log row, closing without a
// login, the desktop launcher, and what an ordinary user's login takes away.
#include "store/clock.h"
#include "store/settingsstore.h"
#include "tests/support/recordingshell.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "tests/users/restrictionsfixture.h"
#include "users/loginwindow.h"
#include "users/restrictions.h"
#include "users/userstore.h"
#include "users/zerostockpreference.h"

#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class LoginWindowTest : public ::testing::Test {
  protected:
    LoginWindowTest() : desktop(env.dir()) {
        UserStore users(env.database());
        for (const char *name : {"王五", "Bob", "alice"})
            users.addUser(u(name));
        users.changePassword(QStringLiteral("Bob"), QStringLiteral("659"), QStringLiteral("BobPw7"));
        users.addUser(QStringLiteral("O'Neil"));
    }

    QComboBox *user() { return window.findChild<QComboBox *>(QStringLiteral("ComboBox1")); }
    QLineEdit *password() { return window.findChild<QLineEdit *>(QStringLiteral("Edit1")); }
    QPushButton *logInButton() { return window.findChild<QPushButton *>(QStringLiteral("bitbtn4")); }

    void type(const QString &name, const QString &pass) {
        user()->lineEdit()->clear();
        typeText(user()->lineEdit(), name);
        password()->clear();
        typeText(password(), pass);
    }
    int logRows() { return env.database().scalar(QStringLiteral("select count(*) from rz")).toInt(); }

    TestEnv env;
    DesktopFolder desktop;
    RecordingShell shell;
    LoginWindow window{env.database()};
};
} // namespace

TEST_F(LoginWindowTest, HasItsControlsAndFillsTheUserListSorted) {
    EXPECT_EQ(window.objectName(), QStringLiteral("Tloginfm"));
    EXPECT_EQ(window.windowTitle(), u("用户登录"));
    EXPECT_EQ(logInButton()->text(), u("登 录"));
    auto *hint = window.findChild<QLabel *>(QStringLiteral("defaultPasswordHint"));
    ASSERT_NE(hint, nullptr);
    hint->ensurePolished();
    EXPECT_EQ(hint->text(), u("初始登陆密码：659"));
    EXPECT_EQ(hint->palette().color(QPalette::WindowText), QColor(Qt::red));

    window.show();
    QStringList items;
    for (int i = 0; i < user()->count(); ++i)
        items << user()->itemText(i);
    EXPECT_EQ(items, QStringList({QStringLiteral("Bob"), QStringLiteral("O'Neil"), QStringLiteral("alice"),
                                  u("王五"), u("超级管理员")}));
    EXPECT_EQ(user()->currentText(), QStringLiteral("Bob"));
    EXPECT_TRUE(window.focusWidget() == user() || window.focusWidget() == user()->lineEdit());
}

TEST_F(LoginWindowTest, PasswordFieldTakesTenLettersAndDigitsMasked) {
    EXPECT_EQ(password()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(password()->maxLength(), 10);
    typeText(password(), u("ab c!1_中Z9"));
    EXPECT_EQ(password()->text(), QStringLiteral("abc1Z9"));
    QTest::keyClick(password(), Qt::Key_Backspace);
    EXPECT_EQ(password()->text(), QStringLiteral("abc1Z"));
    QTest::keyClicks(password(), QStringLiteral("0123456789"));
    EXPECT_EQ(password()->text(), QStringLiteral("abc1Z01234"));
    // Pasted text obeys the same rule.
    password()->clear();
    password()->insert(QStringLiteral("a'b"));
    EXPECT_TRUE(password()->text().isEmpty());
}

TEST_F(LoginWindowTest, EnterChainsFromUserToPasswordToLogin) {
    QSignalSpy loggedIn(&window, &LoginWindow::loggedIn);
    window.show();
    user()->lineEdit()->clear();
    QTest::keyClicks(user()->lineEdit(), QStringLiteral("Bob"));
    QTest::keyClick(user()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(window.focusWidget(), password());
    EXPECT_EQ(loggedIn.count(), 0);
    QTest::keyClicks(password(), QStringLiteral("bobpw7"));
    QTest::keyClick(password(), Qt::Key_Return);
    EXPECT_EQ(loggedIn.count(), 1);
}

TEST_F(LoginWindowTest, AGoodLoginWritesTheLogRowAndClosesTheWindow) {
    QSignalSpy loggedIn(&window, &LoginWindow::loggedIn);
    QSignalSpy closedWithout(&window, &LoginWindow::closedWithoutLogin);
    window.show();
    type(QStringLiteral("Bob"), QStringLiteral("BOBPW7")); // letter case of the password does not count
    QTest::mouseClick(logInButton(), Qt::LeftButton);

    EXPECT_TRUE(env.dialogs().shown().empty()) << env.dialogs().lastText().toStdString();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    ASSERT_EQ(loggedIn.count(), 1);
    EXPECT_EQ(closedWithout.count(), 0);
    const qint64 id = loggedIn[0][1].toLongLong();
    EXPECT_EQ(loggedIn[0][0].toString(), QStringLiteral("Bob"));
    EXPECT_EQ(window.logId(), id);
    EXPECT_EQ(window.userName(), QStringLiteral("Bob"));
    Database &db = env.database();
    EXPECT_EQ(logRows(), 1);
    EXPECT_EQ(db.scalar(QStringLiteral("select username from rz where id=?"), {id}).toString(),
              QStringLiteral("Bob"));
    EXPECT_EQ(db.scalar(QStringLiteral("select btime from rz where id=?"), {id}).toString(),
              QStringLiteral("2014-08-12 10:30:00"));
    EXPECT_TRUE(db.scalar(QStringLiteral("select jtime from rz where id=?"), {id}).isNull());

    // The main window's close completes the row.
    Clock::fix(QDateTime(QDate(2014, 8, 12), QTime(19, 0, 1)));
    EXPECT_TRUE(UserStore(db).completeLogRow(window.logId()));
    EXPECT_EQ(db.scalar(QStringLiteral("select jtime from rz where id=?"), {id}).toString(),
              QStringLiteral("2014-08-12 19:00:01"));
}

TEST_F(LoginWindowTest, BadLoginsSayWhyAndLetTheUserTryAgain) {
    struct Case {
        QString name, password, message;
        Dialogs::Kind kind;
        const char *focus;
        bool passwordCleared;
    } cases[] = {
        {QString(), QStringLiteral("659"), u("必须选择用户！"), Dialogs::Kind::Warning, "ComboBox1", false},
        {QStringLiteral("   "), QStringLiteral("659"), u("必须选择用户！"), Dialogs::Kind::Warning,
         "ComboBox1", false},
        {u("超级管理员"), QString(), u("必须输入密码！"), Dialogs::Kind::Warning, "Edit1", false},
        {u("超级管理员"), QStringLiteral("658"), u("密码不正确！请重新输入！"), Dialogs::Kind::Information,
         "Edit1", true},
        {QStringLiteral("Bob"), QStringLiteral("659"), u("密码不正确！请重新输入！"),
         Dialogs::Kind::Information, "Edit1", true},
        {u("无此人"), QStringLiteral("659"), u("密码不正确！请重新输入！"), Dialogs::Kind::Information,
         "Edit1", true},
        {u("超级管理员 "), QStringLiteral("659"), u("密码不正确！请重新输入！"), Dialogs::Kind::Information,
         "Edit1", true},
    };
    QSignalSpy loggedIn(&window, &LoginWindow::loggedIn);
    window.show();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString() + " / " + c.password.toStdString());
        env.dialogs().clear();
        type(c.name, c.password);
        window.logIn();
        ASSERT_EQ(env.dialogs().shown().size(), 1u);
        EXPECT_EQ(env.dialogs().lastText(), c.message);
        EXPECT_EQ(env.dialogs().shown().back().kind, c.kind);
        QWidget *focus = window.focusWidget();
        EXPECT_TRUE(focus && (focus->objectName() == QString::fromLatin1(c.focus) ||
                              focus->parentWidget()->objectName() == QString::fromLatin1(c.focus)));
        EXPECT_EQ(password()->text().isEmpty(), c.passwordCleared || c.password.isEmpty());
        EXPECT_TRUE(window.isVisible());
    }
    EXPECT_EQ(loggedIn.count(), 0);
    EXPECT_EQ(logRows(), 0);
    EXPECT_FALSE(window.isLoggedIn());

    // No limit on attempts.
    env.dialogs().clear();
    type(u("超级管理员"), QStringLiteral("659"));
    window.logIn();
    EXPECT_TRUE(env.dialogs().shown().empty());
    EXPECT_EQ(loggedIn.count(), 1);
}

TEST_F(LoginWindowTest, ANameInOtherLettersLogsInAsTheStoredUser) {
    QSignalSpy loggedIn(&window, &LoginWindow::loggedIn);
    window.show();
    type(QStringLiteral("bOB"), QStringLiteral("bobpw7"));
    window.logIn();
    EXPECT_TRUE(env.dialogs().shown().empty()) << env.dialogs().lastText().toStdString();
    ASSERT_EQ(loggedIn.count(), 1);
    EXPECT_EQ(loggedIn[0][0].toString(), QStringLiteral("Bob"));
    EXPECT_EQ(window.userName(), QStringLiteral("Bob"));
    EXPECT_EQ(env.database().scalar(QStringLiteral("select username from rz")).toString(),
              QStringLiteral("Bob"));
}

TEST_F(LoginWindowTest, EscDoesNotCloseTheWindowItsCloseBoxDoes) {
    QSignalSpy closedWithout(&window, &LoginWindow::closedWithoutLogin);
    window.show();
    for (QWidget *target : {static_cast<QWidget *>(user()->lineEdit()), static_cast<QWidget *>(password()),
                            static_cast<QWidget *>(&window)}) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_TRUE(window.isVisible()) << target->objectName().toStdString();
    }
    EXPECT_EQ(closedWithout.count(), 0);
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closedWithout.count(), 1);
}

TEST_F(LoginWindowTest, ANameWithAQuoteLogsIn) {
    QSignalSpy loggedIn(&window, &LoginWindow::loggedIn);
    window.show();
    type(QStringLiteral("O'Neil"), QStringLiteral("659"));
    window.logIn();
    ASSERT_EQ(loggedIn.count(), 1);
    EXPECT_EQ(env.database().scalar(QStringLiteral("select username from rz")).toString(),
              QStringLiteral("O'Neil"));
}

TEST_F(LoginWindowTest, ClosingWithoutLoginWritesNoLogRow) {
    QSignalSpy loggedIn(&window, &LoginWindow::loggedIn);
    QSignalSpy closedWithout(&window, &LoginWindow::closedWithoutLogin);
    window.show();
    type(QStringLiteral("Bob"), QStringLiteral("wrong1"));
    window.logIn(); // a failed attempt first
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_EQ(closedWithout.count(), 1);
    EXPECT_EQ(loggedIn.count(), 0);
    EXPECT_EQ(logRows(), 0);
    EXPECT_EQ(window.logId(), 0);
    // The main window's close then has nothing to complete.
    EXPECT_TRUE(UserStore(env.database()).completeLogRow(window.logId()));
    EXPECT_EQ(logRows(), 0);
}

TEST_F(LoginWindowTest, EveryShowingRewritesTheDesktopLauncher) {
    EXPECT_TRUE(shell.writtenTo(desktop.launcherPath()).empty());
    // Started from the desktop, the program finds the shop this run uses: the folder the program named
    // at its start (on a server the only one there is), else the folder of data.mdb.
    const QString shopFolder = env.file(QStringLiteral("shop"));
    const QString dataFolder =
        testserver::active() ? shopFolder : QFileInfo(env.database().path()).absolutePath();
    if (testserver::active()) window.setShopFolder(shopFolder);
    window.show();
    window.hide();
    window.setShopFolder(shopFolder);
    window.show();
    const auto written = shell.writtenTo(desktop.launcherPath());
    ASSERT_EQ(written.size(), 2u);
    EXPECT_TRUE(written[0].content.contains(
        QByteArray("Exec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"")));
    const auto pathLine = [](const QString &folder) { return QByteArray("\nPath=" + (folder + u'/').toUtf8() + "\n"); };
    EXPECT_TRUE(written[0].content.contains(pathLine(dataFolder))) << written[0].content.toStdString();
    EXPECT_TRUE(written[1].content.contains(pathLine(shopFolder))) << written[1].content.toStdString();
}

TEST_F(LoginWindowTest, ALauncherThatCannotBeWrittenIsSilent) {
    shell.refuseWrites = true;
    QSignalSpy loggedIn(&window, &LoginWindow::loggedIn);
    window.show();
    EXPECT_TRUE(env.dialogs().shown().empty());
    type(u("超级管理员"), QStringLiteral("659"));
    window.logIn();
    EXPECT_EQ(loggedIn.count(), 1);
}

TEST(LoginRestrictions, AnOrdinaryUserLosesGoodsListItemsAndColumnsTheSuperAdministratorKeeps) {
    for (const bool ordinary : {true, false}) {
        SCOPED_TRACE(ordinary ? "ordinary user" : "super administrator");
        TestEnv env;
        DesktopFolder desktop(env.dir());
        RecordingShell shell;
        UserStore(env.database()).addUser(u("张三"));
        LoginWindow login(env.database());
        FakeMainWindow main;
        // What the main window does on a login.
        QObject::connect(&login, &LoginWindow::loggedIn, &main, [&](const QString &name, qint64) {
            if (restrictions::appliesTo(name))
                restrictions::apply(&main, QString::fromLatin1(restrictions::MainWindow));
        });
        login.show();
        login.findChild<QComboBox *>(QStringLiteral("ComboBox1"))
            ->setEditText(ordinary ? u("张三") : u("超级管理员"));
        login.findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("659"));
        login.logIn();
        ASSERT_TRUE(login.isLoggedIn());

        for (const char *name : {"N2", "N3", "N20", "N5", "N6", "N13", "N15"})
            EXPECT_EQ(main.action(name)->isVisible(), !ordinary) << name;
        EXPECT_EQ(main.toolShown("ToolButton7"), !ordinary);
        EXPECT_EQ(main.saleDate->isReadOnly(), ordinary);
        EXPECT_EQ(hiddenColumns(main.grid), ordinary ? QList<int>({5, 6, 11}) : QList<int>());
        EXPECT_TRUE(main.action("N8")->isVisible());
    }
}

TEST(ZeroStockPreference, FollowsTheStoredChoice) {
    TestEnv env;
    SettingsStore &settings = SettingsStore::instance();
    EXPECT_EQ(zeroStockHiddenPreference(settings), std::nullopt); // no key at all
    struct Case {
        const char *value;
        std::optional<bool> hidden;
    } cases[] = {
        {"no", true}, {"yes", false}, {"", std::nullopt}, {"NO", std::nullopt}, {"maybe", std::nullopt}};
    for (const Case &c : cases) {
        ASSERT_TRUE(settings.write(QStringLiteral("n0"), QString::fromLatin1(c.value)));
        EXPECT_EQ(zeroStockHiddenPreference(settings), c.hidden) << c.value;
    }
}
