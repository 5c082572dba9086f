#pragma once
// "用户管理—(管理员专用)": adds and deletes users and resets forgotten passwords to the default. Locked
// until the super administrator's password is typed again; every opening starts locked.
#include <QWidget>

class Database;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

class UserAdminWindow : public QWidget {
    Q_OBJECT
  public:
    explicit UserAdminWindow(Database &database, QWidget *parent = nullptr);

    bool isUnlocked() const;

    // The steps behind the buttons.
    void unlock();        // "登录"
    void resetPassword(); // "初始化密码"
    void showResetHint(); // "提示"
    void addUser();       // "增加用户"
    void deleteUser();    // "删除用户"
    void fillUserList();

  protected:
    void showEvent(QShowEvent *event) override;

  private:
    void selectUser();
    QWidget *resetPage();
    QWidget *addPage();
    QWidget *deletePage();

    Database &m_database;
    QLineEdit *m_adminPassword;
    QPushButton *m_unlock;
    QListWidget *m_users;
    QTabWidget *m_pages;
    QLineEdit *m_resetUser;
    QLineEdit *m_newUser;
    QLineEdit *m_deleteUser;
    bool m_centred = false;
};
