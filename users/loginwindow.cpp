#include "users/loginwindow.h"

#include "store/database.h"
#include "users/desktoplauncher.h"
#include "users/passwordfield.h"
#include "users/userstore.h"
#include "widgets/dialogs.h"
#include "widgets/filllist.h"
#include "widgets/requiredfield.h"
#include "widgets/shell.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
QString text(const char *utf8) {
    return QString::fromUtf8(utf8);
}
} // namespace

LoginWindow::LoginWindow(Database &database, QWidget *parent)
    : QDialog(parent), m_database(database), m_user(new QComboBox(this)), m_password(new QLineEdit(this)),
      m_logIn(new QPushButton(text("登 录"), this)) {
    setObjectName(QStringLiteral("Tloginfm"));
    setWindowTitle(text("用户登录"));
    setModal(true);

    m_user->setObjectName(QStringLiteral("ComboBox1"));
    m_user->setEditable(true);
    m_user->setInsertPolicy(QComboBox::NoInsert);
    m_password->setObjectName(QStringLiteral("Edit1"));
    makePasswordField(m_password);
    m_logIn->setObjectName(QStringLiteral("bitbtn4"));
    // Enter in the password field presses the button itself; the dialog must not press one on its own.
    m_logIn->setAutoDefault(false);
    m_logIn->setDefault(false);

    auto *hint = new QLabel(text("初始登陆密码：") + UserStore::defaultPassword(), this);
    hint->setObjectName(QStringLiteral("defaultPasswordHint"));
    hint->setStyleSheet(QStringLiteral("color: red;"));

    // Which database the tills sell into: a shop with a server and a spare local file must see which.
    auto *databaseLine = new QLabel(databaseLineText(database), this);
    databaseLine->setObjectName(QStringLiteral("databaseLine"));
    databaseLine->setStyleSheet(QStringLiteral("color: #555;"));
    databaseLine->setToolTip(database.description());

    auto *fields = new QGridLayout;
    fields->addWidget(new QLabel(text("用户名："), this), 0, 0);
    fields->addWidget(m_user, 0, 1);
    fields->addWidget(new QLabel(text("密  码："), this), 1, 0);
    fields->addWidget(m_password, 1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(hint);
    layout->addWidget(m_logIn, 0, Qt::AlignHCenter);
    layout->addWidget(databaseLine);
    setFixedSize(300, 185);
    // A long server name (a socket folder, a host's full name) loses its middle, not the database's
    // name at its end; the whole of it is in the tool tip.
    const QMargins margins = layout->contentsMargins();
    databaseLine->setText(databaseLine->fontMetrics().elidedText(databaseLine->text(), Qt::ElideMiddle,
                                                                 width() - margins.left() - margins.right()));

    connect(m_user->lineEdit(), &QLineEdit::returnPressed, m_password, [this] { m_password->setFocus(); });
    connect(m_user, &QComboBox::activated, m_password, [this] { m_password->setFocus(); });
    connect(m_password, &QLineEdit::returnPressed, m_logIn, &QPushButton::click);
    connect(m_logIn, &QPushButton::clicked, this, &LoginWindow::logIn);
}

QString LoginWindow::databaseLineText(const Database &database) {
    if (database.engine() == Database::Engine::Server)
        return QStringLiteral("数据库：服务器 ") + database.description();
    return QStringLiteral("数据库：本机 ") + QFileInfo(database.path()).fileName();
}

QString LoginWindow::userName() const {
    return m_user->currentText();
}

void LoginWindow::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    // The program looks for its shop in its working folder: the launcher starts it where this one is.
    desktoplauncher::refresh(Shell::instance(),
                             m_shopFolder.isEmpty() ? QFileInfo(m_database.path()).absolutePath() : m_shopFolder);
    fillListFromColumn(m_database, m_user, QStringLiteral("username"), QStringLiteral("userdb"));
    if (m_user->count() > 0) m_user->setCurrentIndex(0);
    m_user->setFocus();
    m_user->lineEdit()->selectAll();
}

void LoginWindow::logIn() {
    if (isLoggedIn()) return;
    if (!requireText(m_user, text("必须选择用户！")) || !requireText(m_password, text("必须输入密码！")))
        return;
    // The name goes on untrimmed into the check; its letter case does not count there.
    const QString typed = m_user->currentText();
    const QString password = m_password->text().trimmed();
    UserStore users(m_database);
    QString name;
    switch (users.checkLogin(typed, password, &name)) {
    case UserStore::Check::Failed:
        Dialogs::instance().error(this, users.errorText());
        return;
    case UserStore::Check::Refused:
        Dialogs::instance().information(this, text("密码不正确！请重新输入！"));
        m_password->clear();
        m_password->setFocus();
        return;
    case UserStore::Check::Accepted:
        break;
    }
    // "tom" logs in as "Tom": the user field, the log and the super administrator test take the name
    // as it is stored.
    if (name != typed) m_user->setEditText(name);
    // The log row is written before the window lets the user in, so that a run never goes unlogged.
    const auto logId = users.openLogRow(name);
    if (!logId) {
        Dialogs::instance().error(this, users.errorText());
        return;
    }
    m_logId = *logId;
    accept();
}

void LoginWindow::keyPressEvent(QKeyEvent *event) {
    // Only the close box ends the program from here: a stray Esc must not.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void LoginWindow::done(int result) {
    QDialog::done(isLoggedIn() ? QDialog::Accepted : result);
    if (m_announced) return;
    m_announced = true;
    if (isLoggedIn())
        emit loggedIn(userName(), m_logId);
    else
        emit closedWithoutLogin();
}
