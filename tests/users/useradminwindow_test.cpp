// The user administration window: the lock, reset, the hint, add (with the refused duplicate) and
// delete (asked first), each with its message.
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "users/useradminwindow.h"
#include "users/userstore.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class UserAdminTest : public ::testing::Test {
  protected:
    UserAdminTest() {
        UserStore users(env.database());
        users.addUser(u("李四"));
        users.changePassword(u("李四"), QStringLiteral("659"), QStringLiteral("Lisi88"));
        window = new UserAdminWindow(env.database());
        window->show();
    }
    ~UserAdminTest() override { delete window.data(); }

    template <typename T> T *control(const char *name) {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    QLineEdit *field(const char *name) { return control<QLineEdit>(name); }
    QListWidget *list() { return control<QListWidget>("ListBox1"); }
    QStringList listed() {
        QStringList names;
        for (int row = 0; row < list()->count(); ++row)
            names << list()->item(row)->text();
        return names;
    }
    void unlock() {
        field("LabeledEdit1")->setText(QStringLiteral("659"));
        window->unlock();
        env.dialogs().clear();
    }
    void choose(const QString &name) {
        const auto items = list()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(items[0]).center());
    }
    int rowsOf(const QString &name) {
        return env.database()
            .scalar(QStringLiteral("select count(*) from userdb where username=?"), {name})
            .toInt();
    }
    bool logsIn(const QString &name, const QString &password) {
        return UserStore(env.database()).checkLogin(name, password) == UserStore::Check::Accepted;
    }

    TestEnv env;
    QPointer<UserAdminWindow> window;
};
} // namespace

TEST_F(UserAdminTest, OpensLockedWithTheUsersInTheTablesOrder) {
    EXPECT_EQ(window->objectName(), QStringLiteral("Tuserglfm"));
    EXPECT_EQ(window->windowTitle(), u("用户管理—(管理员专用)"));
    EXPECT_EQ(listed(), QStringList({u("超级管理员"), u("李四")}));
    EXPECT_FALSE(list()->isEnabled());
    EXPECT_FALSE(control<QTabWidget>("PageControl1")->isEnabled());
    EXPECT_EQ(window->focusWidget(), field("LabeledEdit1"));
    auto *pages = control<QTabWidget>("PageControl1");
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0), u("初始化密码"));
    EXPECT_EQ(pages->tabText(1), u("增加用户"));
    EXPECT_EQ(pages->tabText(2), u("删除用户"));
    EXPECT_TRUE(field("Edit5")->isReadOnly());
    EXPECT_TRUE(field("Edit7")->isReadOnly());
    EXPECT_FALSE(field("Edit6")->isReadOnly());
    EXPECT_EQ(field("LabeledEdit1")->maxLength(), 10);
    EXPECT_EQ(field("LabeledEdit1")->echoMode(), QLineEdit::Password);
}

TEST_F(UserAdminTest, OnlyTheSuperAdministratorsPasswordUnlocks) {
    struct Case {
        QString password;
        bool unlocks;
    } cases[] = {{QString(), false},
                 {QStringLiteral("Lisi88"), false},
                 {QStringLiteral("65"), false},
                 {QStringLiteral("659"), true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.password.toStdString());
        env.dialogs().clear();
        field("LabeledEdit1")->setText(c.password);
        QTest::mouseClick(control<QPushButton>("BitBtn3"), Qt::LeftButton);
        EXPECT_EQ(env.dialogs().texts(),
                  QStringList({c.unlocks ? u("超级管理员登录成功！") : u("密码不对！")}));
        EXPECT_EQ(window->isUnlocked(), c.unlocks);
        EXPECT_EQ(field("LabeledEdit1")->text().isEmpty(), c.unlocks || c.password.isEmpty());
    }
}

TEST_F(UserAdminTest, EnterInThePasswordOnlyMovesToTheButton) {
    QTest::keyClicks(field("LabeledEdit1"), QStringLiteral("659"));
    QTest::keyClick(field("LabeledEdit1"), Qt::Key_Return);
    EXPECT_EQ(window->focusWidget(), control<QPushButton>("BitBtn3"));
    EXPECT_FALSE(window->isUnlocked());
    EXPECT_TRUE(env.dialogs().shown().empty());
}

TEST_F(UserAdminTest, ResetSetsTheDefaultPasswordOfTheChosenUser) {
    unlock();
    window->resetPassword();
    EXPECT_EQ(env.dialogs().texts(), QStringList({u("请选择用户名！")}));

    choose(u("李四"));
    EXPECT_EQ(field("Edit5")->text(), u("李四"));
    EXPECT_EQ(field("Edit7")->text(), u("李四"));
    env.dialogs().clear();
    QTest::mouseClick(control<QPushButton>("BitBtn5"), Qt::LeftButton);
    EXPECT_EQ(env.dialogs().texts(), QStringList({u("已经成功将密码初始化为：659")}));
    EXPECT_TRUE(logsIn(u("李四"), QStringLiteral("659")));
    EXPECT_FALSE(logsIn(u("李四"), QStringLiteral("Lisi88")));

    env.dialogs().clear();
    QTest::mouseClick(control<QPushButton>("BitBtn4"), Qt::LeftButton);
    EXPECT_EQ(env.dialogs().texts(), QStringList({u("初始化口令用于忘记密码的用户，将口令更改为:659")}));
}

TEST_F(UserAdminTest, ResetOfAUserDeletedMeanwhileClaimsNoSuccess) {
    unlock();
    choose(u("李四"));
    env.dialogs().answer(true);
    window->deleteUser();
    EXPECT_EQ(field("Edit5")->text(), u("李四")); // the reset page keeps its name
    env.dialogs().clear();
    window->resetPassword();
    EXPECT_EQ(env.dialogs().texts(), QStringList({u("用户不存在！")}));
    EXPECT_EQ(rowsOf(u("李四")), 0);
}

TEST_F(UserAdminTest, AddGivesTheDefaultPasswordAndRefusesNamesThatExist) {
    unlock();
    // A row written behind the window's back shows when the list is refilled.
    UserStore(env.database()).addUser(QStringLiteral("zz"));
    struct Case {
        QString typed, message;
        bool refilled;
    } cases[] = {
        {u("超级管理员"), u("超级管理员只能有一个，不能增加"), false},
        {QStringLiteral("  "), u("请选择用户名！"), true},
        {u(" 王五 "), u("成功添加新用户！缺省口令是：659,请此用户下次登录时及时修改口令！"), true},
        {u("王五"), u("用户已存在！"), true},
        {u("李四"), u("用户已存在！"), true},
        // Names match regardless of letter case: a second spelling of one user is that user.
        {QStringLiteral("ZZ"), u("用户已存在！"), true},
        {QStringLiteral(" Zz"), u("用户已存在！"), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        env.dialogs().clear();
        list()->clear();
        field("Edit6")->setText(c.typed);
        QTest::mouseClick(control<QPushButton>("BitBtn7"), Qt::LeftButton);
        EXPECT_EQ(env.dialogs().texts(), QStringList({c.message}));
        EXPECT_EQ(list()->count() > 0, c.refilled);
        EXPECT_EQ(field("Edit6")->text(), c.typed);
    }
    EXPECT_EQ(listed(), QStringList({u("超级管理员"), u("李四"), QStringLiteral("zz"), u("王五")}));
    EXPECT_EQ(rowsOf(u("王五")), 1);
    EXPECT_EQ(rowsOf(u("超级管理员")), 1);
    EXPECT_EQ(rowsOf(QStringLiteral("ZZ")) + rowsOf(QStringLiteral("Zz")), 0);
    EXPECT_TRUE(logsIn(u("王五"), QStringLiteral("659")));
}

TEST_F(UserAdminTest, DeleteAsksFirstAndRefillsTheListWhateverTheAnswer) {
    unlock();
    choose(u("李四"));
    env.dialogs().answer(false);
    QTest::mouseClick(control<QPushButton>("BitBtn9"), Qt::LeftButton);
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_EQ(env.dialogs().shown()[0].what, ScriptedDialogs::Shown::What::Question);
    EXPECT_EQ(env.dialogs().lastText(), u("你真的要删除用户：李四吗?"));
    EXPECT_EQ(rowsOf(u("李四")), 1);
    EXPECT_EQ(field("Edit7")->text(), u("李四"));
    EXPECT_EQ(list()->currentRow(), -1); // refilled

    env.dialogs().clear();
    env.dialogs().answer(true);
    QTest::mouseClick(control<QPushButton>("BitBtn9"), Qt::LeftButton);
    EXPECT_EQ(env.dialogs().texts(), QStringList({u("你真的要删除用户：李四吗?"), u("成功删除！")}));
    EXPECT_EQ(rowsOf(u("李四")), 0);
    EXPECT_TRUE(field("Edit7")->text().isEmpty());
    EXPECT_EQ(field("Edit5")->text(), u("李四"));
    EXPECT_EQ(listed(), QStringList({u("超级管理员")}));
}

TEST_F(UserAdminTest, DeleteRefusesTheSuperAdministratorAndAnEmptyChoiceWithoutAsking) {
    unlock();
    env.dialogs().answer(true);
    window->deleteUser();
    EXPECT_EQ(env.dialogs().texts(), QStringList({u("请选择用户")}));
    choose(u("超级管理员"));
    env.dialogs().clear();
    window->deleteUser();
    EXPECT_EQ(env.dialogs().texts(), QStringList({u("超级管理员不能删除！")}));
    EXPECT_EQ(rowsOf(u("超级管理员")), 1);
}

TEST_F(UserAdminTest, ANameWithAQuoteIsAddedResetAndDeleted) {
    unlock();
    const QString name = QStringLiteral("d'Arc");
    field("Edit6")->setText(name);
    window->addUser();
    EXPECT_EQ(rowsOf(name), 1);
    choose(name);
    env.dialogs().clear();
    window->resetPassword();
    EXPECT_EQ(env.dialogs().texts(), QStringList({u("已经成功将密码初始化为：659")}));
    env.dialogs().answer(true);
    window->deleteUser();
    EXPECT_EQ(rowsOf(name), 0);
}

TEST_F(UserAdminTest, EveryOpeningStartsLocked) {
    unlock();
    ASSERT_TRUE(window->isUnlocked());
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    window = new UserAdminWindow(env.database());
    window->show();
    EXPECT_FALSE(window->isUnlocked());
}
