#include "users/useradminwindow.h"

#include "users/passwordfield.h"
#include "users/userstore.h"
#include "widgets/dialogs.h"
#include "widgets/windowplacement.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
QString text(const char *utf8) {
    return QString::fromUtf8(utf8);
}

QPushButton *button(const char *caption, const char *name, QWidget *parent) {
    auto *pushButton = new QPushButton(text(caption), parent);
    pushButton->setObjectName(QString::fromLatin1(name));
    return pushButton;
}

void tell(QWidget *parent, const QString &message) {
    Dialogs::instance().information(parent, message);
}
} // namespace

UserAdminWindow::UserAdminWindow(Database &database, QWidget *parent)
    : QWidget(parent, Qt::Window), m_database(database), m_adminPassword(new QLineEdit(this)),
      m_unlock(button("登录", "BitBtn3", this)), m_users(new QListWidget(this)),
      m_pages(new QTabWidget(this)), m_resetUser(new QLineEdit), m_newUser(new QLineEdit),
      m_deleteUser(new QLineEdit) {
    setObjectName(QStringLiteral("Tuserglfm"));
    setWindowTitle(text("用户管理—(管理员专用)"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_adminPassword->setObjectName(QStringLiteral("LabeledEdit1"));
    makePasswordField(m_adminPassword);
    // Enter only takes the focus to the button; a second Enter presses it.
    m_unlock->setAutoDefault(true);
    m_users->setObjectName(QStringLiteral("ListBox1"));
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->addTab(resetPage(), text("初始化密码"));
    m_pages->addTab(addPage(), text("增加用户"));
    m_pages->addTab(deletePage(), text("删除用户"));
    m_users->setEnabled(false);
    m_pages->setEnabled(false);

    auto *passwordRow = new QHBoxLayout;
    passwordRow->addWidget(new QLabel(text("管理员密码："), this));
    passwordRow->addWidget(m_adminPassword);
    passwordRow->addWidget(m_unlock);
    auto *listColumn = new QVBoxLayout;
    listColumn->addWidget(new QLabel(text("用户列表"), this));
    listColumn->addWidget(m_users);
    auto *body = new QHBoxLayout;
    body->addLayout(listColumn, 1);
    body->addWidget(m_pages, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(passwordRow);
    layout->addLayout(body);
    resize(460, 260);

    connect(m_adminPassword, &QLineEdit::returnPressed, m_unlock, [this] { m_unlock->setFocus(); });
    connect(m_unlock, &QPushButton::clicked, this, &UserAdminWindow::unlock);
    connect(m_users, &QListWidget::currentItemChanged, this, &UserAdminWindow::selectUser);
    connect(m_users, &QListWidget::itemClicked, this, &UserAdminWindow::selectUser);
}

QWidget *UserAdminWindow::resetPage() {
    auto *page = new QWidget;
    m_resetUser->setObjectName(QStringLiteral("Edit5"));
    m_resetUser->setReadOnly(true);
    auto *reset = button("初始化密码", "BitBtn5", page);
    auto *hint = button("提示", "BitBtn4", page);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(reset);
    buttons->addWidget(hint);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(m_resetUser);
    layout->addLayout(buttons);
    layout->addStretch();
    connect(reset, &QPushButton::clicked, this, &UserAdminWindow::resetPassword);
    connect(hint, &QPushButton::clicked, this, &UserAdminWindow::showResetHint);
    return page;
}

QWidget *UserAdminWindow::addPage() {
    auto *page = new QWidget;
    m_newUser->setObjectName(QStringLiteral("Edit6"));
    auto *add = button("增加用户", "BitBtn7", page);
    auto *layout = new QFormLayout(page);
    layout->addRow(text("新增用户名："), m_newUser);
    layout->addRow(add);
    connect(add, &QPushButton::clicked, this, &UserAdminWindow::addUser);
    return page;
}

QWidget *UserAdminWindow::deletePage() {
    auto *page = new QWidget;
    m_deleteUser->setObjectName(QStringLiteral("Edit7"));
    m_deleteUser->setReadOnly(true);
    auto *remove = button("删除用户", "BitBtn9", page);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(m_deleteUser);
    layout->addWidget(remove);
    layout->addStretch();
    connect(remove, &QPushButton::clicked, this, &UserAdminWindow::deleteUser);
    return page;
}

bool UserAdminWindow::isUnlocked() const {
    return m_users->isEnabled() && m_pages->isEnabled();
}

void UserAdminWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    if (!m_centred) {
        m_centred = true;
        centreOnScreen(this);
    }
    fillUserList();
    m_adminPassword->setFocus();
}

void UserAdminWindow::fillUserList() {
    const QSignalBlocker quiet(m_users); // a refill is no choice of user
    m_users->clear();
    UserStore users(m_database);
    const auto names = users.userNames();
    if (!names) {
        Dialogs::instance().error(this, users.errorText());
        return;
    }
    m_users->addItems(*names);
}

void UserAdminWindow::selectUser() {
    const QListWidgetItem *item = m_users->currentItem();
    if (!item) return;
    m_resetUser->setText(item->text());
    m_deleteUser->setText(item->text());
}

void UserAdminWindow::unlock() {
    UserStore users(m_database);
    switch (users.checkSuperAdmin(m_adminPassword->text().trimmed())) {
    case UserStore::Check::Failed:
        Dialogs::instance().error(this, users.errorText());
        return;
    case UserStore::Check::Refused:
        tell(this, text("密码不对！"));
        return;
    case UserStore::Check::Accepted:
        tell(this, text("超级管理员登录成功！"));
        m_users->setEnabled(true);
        m_pages->setEnabled(true);
        m_adminPassword->clear();
        return;
    }
}

void UserAdminWindow::resetPassword() {
    const QString name = m_resetUser->text().trimmed();
    if (name.isEmpty()) {
        tell(this, text("请选择用户名！"));
        return;
    }
    UserStore users(m_database);
    switch (users.resetPassword(name)) {
    case UserStore::Changed::Changed:
        tell(this, text("已经成功将密码初始化为：") + UserStore::defaultPassword());
        return;
    case UserStore::Changed::NoSuchUser:
    case UserStore::Changed::WrongOldPassword:
        // A user deleted after being chosen: nothing was reset, so no success is claimed.
        tell(this, text("用户不存在！"));
        return;
    case UserStore::Changed::Failed:
        Dialogs::instance().error(this, users.errorText());
        return;
    }
}

void UserAdminWindow::showResetHint() {
    tell(this, text("初始化口令用于忘记密码的用户，将口令更改为:") + UserStore::defaultPassword());
}

void UserAdminWindow::addUser() {
    const QString name = m_newUser->text().trimmed();
    UserStore users(m_database);
    switch (users.addUser(name)) {
    case UserStore::Added::SuperAdminName:
        tell(this, text("超级管理员只能有一个，不能增加"));
        return;
    case UserStore::Added::EmptyName:
        tell(this, text("请选择用户名！"));
        break;
    case UserStore::Added::Exists:
        tell(this, text("用户已存在！"));
        break;
    case UserStore::Added::Added:
        tell(this, text("成功添加新用户！缺省口令是：") + UserStore::defaultPassword() +
                       text(",请此用户下次登录时及时修改口令！"));
        break;
    case UserStore::Added::Failed:
        Dialogs::instance().error(this, users.errorText());
        break;
    }
    fillUserList();
}

void UserAdminWindow::deleteUser() {
    const QString name = m_deleteUser->text().trimmed();
    if (UserStore::isSuperAdmin(name)) {
        tell(this, text("超级管理员不能删除！"));
        return;
    }
    if (name.isEmpty()) {
        tell(this, text("请选择用户"));
        return;
    }
    if (Dialogs::instance().ask(this, text("你真的要删除用户：") + name + text("吗?"))) {
        UserStore users(m_database);
        if (users.deleteUser(name) == UserStore::Deleted::Deleted) {
            tell(this, text("成功删除！"));
            m_deleteUser->clear();
        } else {
            Dialogs::instance().error(this, users.errorText());
        }
    }
    fillUserList();
}
