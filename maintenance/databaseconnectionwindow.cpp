#include "maintenance/databaseconnectionwindow.h"

#include "maintenance/servercopyrun.h"
#include "store/settingsstore.h"
#include "widgets/dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString text(const char *utf8) {
    return QString::fromUtf8(utf8);
}

QLineEdit *field(const char *name, QWidget *parent) {
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QPushButton *button(const char *name, const char *caption, QWidget *parent) {
    auto *made = new QPushButton(text(caption), parent);
    made->setObjectName(QString::fromLatin1(name));
    return made;
}
} // namespace

DatabaseConnectionWindow::DatabaseConnectionWindow(const QString &current, Use use, QWidget *parent,
                                                   const QString &passwordFile, const QString &localShop)
    : QDialog(parent), m_use(use), m_passwordFile(passwordFile), m_notice(new QLabel(this)),
      m_kind(new QComboBox(this)), m_host(field("hostEdit", this)), m_port(field("portEdit", this)),
      m_database(field("databaseEdit", this)), m_user(field("userEdit", this)),
      m_password(field("passwordEdit", this)), m_test(button("testButton", "测试连接", this)),
      m_ok(button("okButton", "确定", this)), m_localShop(localShop) {
    setObjectName(QStringLiteral("databaseConnectionWindow"));
    setWindowTitle(text("数据库连接"));
    m_notice->setObjectName(QStringLiteral("noticeLabel"));
    m_notice->setWordWrap(true);
    m_notice->hide();
    m_kind->setObjectName(QStringLiteral("kindBox"));
    m_kind->addItems({text("本机数据文件 data.mdb"), text("数据库服务器")});
    m_port->setPlaceholderText(QString::fromLatin1(connectionsettings::DefaultPort));
    m_password->setEchoMode(QLineEdit::Password);
    auto *cancel = button("cancelButton", "取消", this);
    m_ok->setDefault(true);

    auto *form = new QFormLayout;
    form->addRow(text("数据库"), m_kind);
    form->addRow(text("服务器"), m_host);
    form->addRow(text("端口"), m_port);
    form->addRow(text("数据库名"), m_database);
    form->addRow(text("用户名"), m_user);
    form->addRow(text("密码"), m_password);
    auto *hint = new QLabel(text("密码只保存在本用户的密码文件（~/.pgpass）中，不写入设置和数据库。"), this);
    hint->setWordWrap(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_test);
    if (!m_localShop.isEmpty()) {
        m_copy = button("copyButton", "复制本机数据到服务器…", this);
        buttons->addWidget(m_copy);
        connect(m_copy, &QPushButton::clicked, this, &DatabaseConnectionWindow::copyLocalShop);
    }
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_notice);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addLayout(buttons);

    connect(m_kind, &QComboBox::currentIndexChanged, this, &DatabaseConnectionWindow::showKind);
    connect(m_test, &QPushButton::clicked, this, &DatabaseConnectionWindow::testConnection);
    connect(m_ok, &QPushButton::clicked, this, &DatabaseConnectionWindow::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    fill(current);
}

void DatabaseConnectionWindow::fill(const QString &current) {
    QString error;
    QStringList notices;
    if (const auto parsed = connectionsettings::parse(current, &error)) {
        m_loaded = *parsed;
    } else {
        // The fields start empty; the string stays in the settings until "确定" replaces it.
        m_loaded.server = true;
        notices << text("设置中的数据库连接“%1”无法识别：%2").arg(current, error);
    }
    m_kind->setCurrentIndex(m_loaded.server ? 1 : 0);
    m_host->setText(m_loaded.host);
    m_port->setText(m_loaded.port.isEmpty() ? QString::fromLatin1(connectionsettings::DefaultPort)
                                            : m_loaded.port);
    m_database->setText(m_loaded.database);
    m_user->setText(m_loaded.user);
    QString password = m_loaded.password;
    if (m_loaded.server && password.isEmpty())
        password = pgpass::passwordFor(m_passwordFile, connectionsettings::passwordKey(m_loaded))
                       .value_or(QString());
    m_password->setText(password);
    if (const QString problem = pgpass::permissionProblem(m_passwordFile); !problem.isEmpty())
        notices << problem;
    m_notice->setText(notices.join(QLatin1Char('\n')));
    m_notice->setVisible(!notices.isEmpty());
    showKind();
}

void DatabaseConnectionWindow::showKind() {
    const bool server = m_kind->currentIndex() == 1;
    for (QWidget *widget :
         {static_cast<QWidget *>(m_host), static_cast<QWidget *>(m_port), static_cast<QWidget *>(m_database),
          static_cast<QWidget *>(m_user), static_cast<QWidget *>(m_password), static_cast<QWidget *>(m_test)})
        widget->setEnabled(server);
    if (m_copy) m_copy->setEnabled(server);
}

connectionsettings::Settings DatabaseConnectionWindow::settings() const {
    connectionsettings::Settings settings;
    settings.server = m_kind->currentIndex() == 1;
    if (!settings.server) return settings;
    settings.host = m_host->text().trimmed();
    settings.port = m_port->text().trimmed();
    settings.database = m_database->text();
    settings.user = m_user->text();
    settings.password = m_password->text();
    settings.others = m_loaded.others;
    return settings;
}

void DatabaseConnectionWindow::testConnection() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const connectionsettings::TestResult result = connectionsettings::testConnection(settings());
    QApplication::restoreOverrideCursor();
    Dialogs::instance().message(this, result.connected ? Dialogs::Kind::Information : Dialogs::Kind::Error,
                                result.message, text("测试连接"));
}

void DatabaseConnectionWindow::save() {
    const connectionsettings::Settings chosen = settings();
    QString error;
    if (!connectionsettings::save(chosen, SettingsStore::instance(), m_passwordFile, &error)) {
        Dialogs::instance().warning(this, error);
        return;
    }
    m_saved = connectionsettings::connectionString(chosen);
    // Before the login the caller goes on with the new connection at once; from the menu the open
    // connection stays until the program starts again.
    if (m_use == Use::Settings)
        Dialogs::instance().information(
            this, chosen.server ? text("数据库连接已保存，下次启动程序时生效。")
                                : text("已改为使用本机数据文件 data.mdb，下次启动程序时生效。"));
    accept();
}

void DatabaseConnectionWindow::copyLocalShop() {
    const connectionsettings::Settings chosen = settings();
    if (const QString problem = connectionsettings::problem(chosen); !problem.isEmpty()) {
        Dialogs::instance().warning(this, problem);
        return;
    }
    if (!Dialogs::instance().ask(this,
                                 text("把本机的数据文件“%1”复制到服务器“%2”上的数据库“%3”吗？\n"
                                      "该数据库必须还没有商品、销售记录和登录日志；复制时请不要在其他收银机上使用它。")
                                     .arg(m_localShop, chosen.host, chosen.database),
                                 text("复制本机数据到服务器")))
        return;
    const servercopyrun::Outcome outcome = servercopyrun::copyWithProgress(m_localShop, chosen, this);
    if (!outcome.copied) {
        Dialogs::instance().warning(this, outcome.message);
        return;
    }
    if (Dialogs::instance().ask(this, outcome.message + text("\n\n是否改用这个服务器？下次启动程序时生效。"),
                                text("复制本机数据到服务器")))
        save();
}
