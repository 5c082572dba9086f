#pragma once
// The login window "用户登录": checks a user name and password, writes the run's login-log row and
// tells the main window who logged in. Closing it without a login means the run ends.
#include <QDialog>

class Database;
class QComboBox;
class QLineEdit;
class QPushButton;

class LoginWindow : public QDialog {
    Q_OBJECT
  public:
    explicit LoginWindow(Database &database, QWidget *parent = nullptr);
    // The status line: the shop's database, the local file or the server.
    static QString databaseLineText(const Database &database);

    // The current user: the name as it stands in the user field (untrimmed); prints and exports read it.
    QString userName() const;
    // The id of this run's login-log row; 0 until a login succeeded.
    qint64 logId() const { return m_logId; }
    bool isLoggedIn() const { return m_logId != 0; }

    // The shop's folder, where the desktop launcher starts the program; without one, the folder of the
    // database file (a server has none: the program then names it at start-up).
    void setShopFolder(const QString &folder) { m_shopFolder = folder; }

    // "登 录": the checks, the log row, and closing the window on success.
    void logIn();

  signals:
    // The window has closed after a login; the log row exists.
    void loggedIn(const QString &userName, qint64 logId);
    // The window has closed without a login: the program ends.
    void closedWithoutLogin();

  protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void done(int result) override;

  private:
    Database &m_database;
    QComboBox *m_user;
    QLineEdit *m_password;
    QPushButton *m_logIn;
    QString m_shopFolder;
    qint64 m_logId = 0;
    bool m_announced = false;
};
