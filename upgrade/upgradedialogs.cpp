#include "upgrade/upgradedialogs.h"

#include "upgrade/upgradetexts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QPushButton *button(const char *name, int text, QWidget *parent) {
    auto *pushButton = new QPushButton(upgradeText(text), parent);
    pushButton->setObjectName(QString::fromLatin1(name));
    return pushButton;
}
} // namespace

UpgradeQuestionWindow::UpgradeQuestionWindow(const QString &applicationTitle, const QString &message,
                                             QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TUpgraderMessageForm"));
    setWindowTitle(upgradeText(upgradetext::Caption));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(true);
    setAttribute(Qt::WA_DeleteOnClose, false);

    const QString shown = message.isEmpty() ? message : u'\n' + message + u'\n';
    m_label = new QLabel(upgradeText(upgradetext::Question, {applicationTitle, shown}), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setWordWrap(true);
    m_label->setMinimumWidth(360);

    auto *bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("BottomPanel"));
    auto *yes = button("YesBtn", upgradetext::Yes, bottom);
    auto *later = button("LaterBtn", upgradetext::Later, bottom);
    yes->setDefault(true);
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(later, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout(bottom);
    buttons->addStretch();
    buttons->addWidget(yes);
    buttons->addWidget(later);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize); // the window fits its text and the buttons
}

QString UpgradeQuestionWindow::text() const {
    return m_label->text();
}

UpgradePasswordWindow::UpgradePasswordWindow(const QString &fileName, const QString &userName,
                                             QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TUpgraderPasswordForm"));
    setWindowTitle(upgradeText(upgradetext::PasswordCaption));
    setModal(true);

    auto *label = new QLabel(upgradeText(upgradetext::PasswordRequest, {fileName}), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    auto *userLabel = new QLabel(upgradeText(upgradetext::UserName), this);
    userLabel->setObjectName(QStringLiteral("UsernameLab"));
    m_user = new QLineEdit(userName, this);
    m_user->setObjectName(QStringLiteral("UsernameEdit"));
    auto *passwordLabel = new QLabel(upgradeText(upgradetext::Password), this);
    passwordLabel->setObjectName(QStringLiteral("PasswordLab"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("PasswordEdit"));
    m_password->setEchoMode(QLineEdit::Password);

    auto *ok = button("OKBtn", upgradetext::Ok, this);
    auto *cancel = button("CancelBtn", upgradetext::Cancel, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *fields = new QGridLayout;
    fields->addWidget(userLabel, 0, 0);
    fields->addWidget(m_user, 0, 1);
    fields->addWidget(passwordLabel, 1, 0);
    fields->addWidget(m_password, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString UpgradePasswordWindow::userName() const {
    return m_user->text();
}

QString UpgradePasswordWindow::password() const {
    return m_password->text();
}
