#include "users/passwordchangewindow.h"

#include "users/passwordfield.h"
#include "users/userstore.h"
#include "widgets/dialogs.h"
#include "widgets/filllist.h"
#include "widgets/requiredfield.h"
#include "widgets/windowplacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
QString text(const char *utf8) {
    return QString::fromUtf8(utf8);
}

QLineEdit *passwordField(const char *name, QWidget *parent) {
    auto *field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    makePasswordField(field);
    return field;
}
} // namespace

PasswordChangeWindow::PasswordChangeWindow(Database &database, QWidget *parent)
    : QWidget(parent, Qt::Window), m_database(database), m_user(new QComboBox(this)),
      m_oldPassword(passwordField("Edit1", this)), m_newPassword(passwordField("Edit14", this)),
      m_repeat(passwordField("Edit15", this)), m_closeWhenDone(new QCheckBox(text("更改完毕退出"), this)),
      m_change(new QPushButton(text("更改密码"), this)) {
    setObjectName(QStringLiteral("Tchangepassfm"));
    setWindowTitle(text("更改密码"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_user->setObjectName(QStringLiteral("ComboBox1"));
    m_user->setEditable(false);
    m_closeWhenDone->setObjectName(QStringLiteral("CheckBox1"));
    m_closeWhenDone->setChecked(true);
    m_change->setObjectName(QStringLiteral("bitbtn4"));
    // Enter in the last field only brings the focus here; a second Enter presses it.
    m_change->setAutoDefault(true);
    auto *quit = new QPushButton(text("退出"), this);
    quit->setObjectName(QStringLiteral("BitBtn1"));
    auto *hint = new QLabel(text("提示：密码只能输入字母和数字，最长10个字符！"), this);

    auto *form = new QFormLayout;
    form->addRow(text("选择操作员"), m_user);
    form->addRow(text("输入旧密码"), m_oldPassword);
    form->addRow(text("输入新密码"), m_newPassword);
    form->addRow(text("新密码重复"), m_repeat);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_closeWhenDone);
    buttons->addStretch();
    buttons->addWidget(m_change);
    buttons->addWidget(quit);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addLayout(buttons);

    connect(m_user, &QComboBox::activated, m_oldPassword, [this] { m_oldPassword->setFocus(); });
    connect(m_oldPassword, &QLineEdit::returnPressed, m_newPassword, [this] { m_newPassword->setFocus(); });
    connect(m_newPassword, &QLineEdit::returnPressed, m_repeat, [this] { m_repeat->setFocus(); });
    connect(m_repeat, &QLineEdit::returnPressed, m_change, [this] { m_change->setFocus(); });
    connect(m_change, &QPushButton::clicked, this, &PasswordChangeWindow::changePassword);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
}

void PasswordChangeWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    if (!m_centred) {
        m_centred = true;
        centreOnScreen(this);
    }
    fillListFromColumn(m_database, m_user, QStringLiteral("username"), QStringLiteral("userdb"));
    m_user->setFocus();
}

void PasswordChangeWindow::changePassword() {
    const QString name = m_user->currentText();
    if (m_user->currentIndex() < 0 || name.isEmpty()) {
        Dialogs::instance().warning(this, text("必须选择用户！"));
        m_user->setFocus();
        return;
    }
    if (!requireText(m_oldPassword, text("必须输入旧口令！")) ||
        !requireText(m_newPassword, text("新口令长度不能为空！")))
        return;
    const QString newPassword = m_newPassword->text().trimmed();
    if (newPassword != m_repeat->text().trimmed()) {
        Dialogs::instance().information(this, text("两次输入的密码不一致！请重新输入！"));
        m_repeat->clear();
        m_repeat->setFocus();
        return;
    }
    UserStore users(m_database);
    switch (users.changePassword(name, m_oldPassword->text().trimmed(), newPassword)) {
    case UserStore::Changed::Changed:
        break;
    case UserStore::Changed::WrongOldPassword:
        Dialogs::instance().information(this, text("旧口令不正确！"));
        m_oldPassword->clear();
        m_oldPassword->setFocus();
        return;
    case UserStore::Changed::NoSuchUser:
        // Deleted in the administration window since this list was filled.
        Dialogs::instance().information(this, text("用户不存在！"));
        return;
    case UserStore::Changed::Failed:
        Dialogs::instance().error(this, users.errorText());
        return;
    }
    Dialogs::instance().information(this, text("你已经成功修改了密码！下次运行程序时生效！"));
    m_repeat->clear();
    m_newPassword->clear();
    m_oldPassword->clear();
    if (m_closeWhenDone->isChecked()) close();
}
