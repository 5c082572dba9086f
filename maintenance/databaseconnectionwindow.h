#pragma once
// "数据库连接": where the shop's database is (data.mdb or a server), tried with "测试连接" and kept with
// "确定" in the settings' "database" and the password file. Shown from the 设置 menu, and before the
// login when the server cannot be reached.
#include "maintenance/connectionsettings.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class DatabaseConnectionWindow : public QDialog {
    Q_OBJECT
  public:
    enum class Use {
        Settings, // from the menu: a change counts from the next start
        Startup,  // before the login: the caller tries the new connection at once
    };

    // Filled from `current` (a connection string; empty for data.mdb) and the password file. With the
    // shop's data.mdb in `localShop` the window also offers to copy it to the chosen server.
    DatabaseConnectionWindow(const QString &current, Use use, QWidget *parent = nullptr,
                             const QString &passwordFile = pgpass::defaultPath(), const QString &localShop = {});

    // What the fields say.
    connectionsettings::Settings settings() const;
    // The string "确定" wrote (empty for data.mdb).
    QString savedConnection() const { return m_saved; }

    // "测试连接".
    void testConnection();
    // "确定": the fields checked and written; the window closes when they were.
    void save();
    // "复制本机数据到服务器…": the shop's data.mdb into the chosen server database (one that holds no
    // shop yet), then, when the user agrees, that server kept as the connection.
    void copyLocalShop();

  private:
    void fill(const QString &current);
    void showKind();

    Use m_use;
    QString m_passwordFile;
    QString m_saved;
    connectionsettings::Settings m_loaded;
    QLabel *m_notice;
    QComboBox *m_kind;
    QLineEdit *m_host;
    QLineEdit *m_port;
    QLineEdit *m_database;
    QLineEdit *m_user;
    QLineEdit *m_password;
    QPushButton *m_test;
    QPushButton *m_ok;
    QString m_localShop;
    QPushButton *m_copy = nullptr;
};
