// The password change window: its checks in order, the old password of the chosen user, and closing
// or staying open when done.
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "users/passwordchangewindow.h"
#include "users/userstore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class PasswordChangeTest : public ::testing::Test {
  protected:
    PasswordChangeTest() {
        UserStore users(env.database());
        for (const char *name : {"王五", "O'Neil", "Bob"})
            users.addUser(u(name));
        users.changePassword(QStringLiteral("Bob"), QStringLiteral("659"), QStringLiteral("Bob1"));
        window = new PasswordChangeWindow(env.database());
        window->show();
    }
    ~PasswordChangeTest() override { delete window.data(); }

    QLineEdit *field(const char *name) { return window->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    QComboBox *user() { return window->findChild<QComboBox *>(QStringLiteral("ComboBox1")); }
    void fill(const QString &name, const QString &old, const QString &fresh, const QString &repeat) {
        user()->setCurrentIndex(user()->findText(name));
        field("Edit1")->setText(old);
        field("Edit14")->setText(fresh);
        field("Edit15")->setText(repeat);
    }
    bool logsIn(const QString &name, const QString &password) {
        return UserStore(env.database()).checkLogin(name, password) == UserStore::Check::Accepted;
    }

    TestEnv env;
    QPointer<PasswordChangeWindow> window;
};
} // namespace

TEST_F(PasswordChangeTest, OpensWithThePickOnlyUserListAndNobodyChosen) {
    EXPECT_EQ(window->objectName(), QStringLiteral("Tchangepassfm"));
    EXPECT_EQ(window->windowTitle(), u("更改密码"));
    EXPECT_FALSE(user()->isEditable());
    QStringList items;
    for (int i = 0; i < user()->count(); ++i)
        items << user()->itemText(i);
    EXPECT_EQ(items,
              QStringList({QStringLiteral("Bob"), QStringLiteral("O'Neil"), u("王五"), u("超级管理员")}));
    EXPECT_EQ(user()->currentIndex(), -1);
    EXPECT_EQ(window->focusWidget(), user());
    EXPECT_TRUE(window->findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->isChecked());
    for (const char *name : {"Edit1", "Edit14", "Edit15"}) {
        EXPECT_EQ(field(name)->echoMode(), QLineEdit::Password) << name;
        EXPECT_EQ(field(name)->maxLength(), 10) << name;
    }
}

TEST_F(PasswordChangeTest, EachCheckSaysWhatIsMissingAndChangesNothing) {
    struct Case {
        QString name, old, fresh, repeat, message;
        Dialogs::Kind kind;
        const char *focus;
        const char *cleared;
    } cases[] = {
        {QString(), QStringLiteral("Bob1"), QStringLiteral("x1"), QStringLiteral("x1"), u("必须选择用户！"),
         Dialogs::Kind::Warning, "ComboBox1", nullptr},
        {QStringLiteral("Bob"), QString(), QStringLiteral("x1"), QStringLiteral("x1"), u("必须输入旧口令！"),
         Dialogs::Kind::Warning, "Edit1", nullptr},
        {QStringLiteral("Bob"), QStringLiteral("Bob1"), QString(), QStringLiteral("x1"),
         u("新口令长度不能为空！"), Dialogs::Kind::Warning, "Edit14", nullptr},
        {QStringLiteral("Bob"), QStringLiteral("Bob1"), QStringLiteral("x1"), QStringLiteral("x2"),
         u("两次输入的密码不一致！请重新输入！"), Dialogs::Kind::Information, "Edit15", "Edit15"},
        {QStringLiteral("Bob"), QStringLiteral("Bob1"), QStringLiteral("x1"), QString(),
         u("两次输入的密码不一致！请重新输入！"), Dialogs::Kind::Information, "Edit15", "Edit15"},
        // The old password must be that of the chosen user.
        {QStringLiteral("Bob"), QStringLiteral("659"), QStringLiteral("x1"), QStringLiteral("x1"),
         u("旧口令不正确！"), Dialogs::Kind::Information, "Edit1", "Edit1"},
        {u("超级管理员"), QStringLiteral("Bob1"), QStringLiteral("x1"), QStringLiteral("x1"),
         u("旧口令不正确！"), Dialogs::Kind::Information, "Edit1", "Edit1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        env.dialogs().clear();
        fill(c.name, c.old, c.fresh, c.repeat);
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("bitbtn4")), Qt::LeftButton);
        ASSERT_EQ(env.dialogs().shown().size(), 1u);
        EXPECT_EQ(env.dialogs().lastText(), c.message);
        EXPECT_EQ(env.dialogs().shown()[0].kind, c.kind);
        EXPECT_EQ(window->focusWidget()->objectName(), QString::fromLatin1(c.focus));
        if (c.cleared) {
            EXPECT_TRUE(field(c.cleared)->text().isEmpty());
        }
        EXPECT_TRUE(window->isVisible());
    }
    EXPECT_TRUE(logsIn(QStringLiteral("Bob"), QStringLiteral("Bob1")));
    EXPECT_TRUE(logsIn(u("超级管理员"), QStringLiteral("659")));
    EXPECT_FALSE(logsIn(QStringLiteral("Bob"), QStringLiteral("x1")));
}

TEST_F(PasswordChangeTest, AChangeAppliesToTheNextLoginAndClosesTheWindowWhenTicked) {
    fill(QStringLiteral("Bob"), QStringLiteral("BOB1"), QStringLiteral("NewPw2"), QStringLiteral("NewPw2"));
    window->changePassword();
    EXPECT_EQ(env.dialogs().texts(), QStringList({u("你已经成功修改了密码！下次运行程序时生效！")}));
    EXPECT_TRUE(logsIn(QStringLiteral("Bob"), QStringLiteral("newpw2")));
    EXPECT_FALSE(logsIn(QStringLiteral("Bob"), QStringLiteral("Bob1")));
    EXPECT_FALSE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(PasswordChangeTest, UntickedTheWindowStaysWithItsFieldsCleared) {
    window->findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->setChecked(false);
    fill(QStringLiteral("O'Neil"), QStringLiteral("659"), QStringLiteral("Quote1"), QStringLiteral("Quote1"));
    window->changePassword();
    EXPECT_EQ(env.dialogs().texts(), QStringList({u("你已经成功修改了密码！下次运行程序时生效！")}));
    EXPECT_TRUE(window->isVisible());
    for (const char *name : {"Edit1", "Edit14", "Edit15"})
        EXPECT_TRUE(field(name)->text().isEmpty()) << name;
    EXPECT_TRUE(logsIn(QStringLiteral("O'Neil"), QStringLiteral("Quote1")));
}

TEST_F(PasswordChangeTest, AUserDeletedSinceTheListWasFilledIsReported) {
    ASSERT_EQ(UserStore(env.database()).deleteUser(u("王五")), UserStore::Deleted::Deleted);
    fill(u("王五"), QStringLiteral("659"), QStringLiteral("x1"), QStringLiteral("x1"));
    window->changePassword();
    EXPECT_EQ(env.dialogs().texts(), QStringList({u("用户不存在！")}));
    EXPECT_EQ(env.database()
                  .scalar(QStringLiteral("select count(*) from userdb where username=?"), {u("王五")})
                  .toInt(),
              0);
}

TEST_F(PasswordChangeTest, EnterMovesAlongTheFieldsAndNeverPressesTheButton) {
    user()->setCurrentIndex(0);
    QTest::keyClicks(field("Edit1"), QStringLiteral("Bob1"));
    QTest::keyClick(field("Edit1"), Qt::Key_Return);
    EXPECT_EQ(window->focusWidget(), field("Edit14"));
    QTest::keyClicks(field("Edit14"), QStringLiteral("Zz9"));
    QTest::keyClick(field("Edit14"), Qt::Key_Return);
    EXPECT_EQ(window->focusWidget(), field("Edit15"));
    QTest::keyClicks(field("Edit15"), QStringLiteral("Zz9"));
    QTest::keyClick(field("Edit15"), Qt::Key_Return);
    EXPECT_EQ(window->focusWidget(), window->findChild<QPushButton *>(QStringLiteral("bitbtn4")));
    EXPECT_TRUE(env.dialogs().shown().empty());
    EXPECT_TRUE(logsIn(QStringLiteral("Bob"), QStringLiteral("Bob1")));
}

TEST_F(PasswordChangeTest, ExitClosesTheWindow) {
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("BitBtn1")), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}
