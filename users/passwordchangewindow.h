#pragma once
// "更改密码": sets a new password for a chosen user once that user's old password is given.
#include <QWidget>

class Database;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class PasswordChangeWindow : public QWidget {
    Q_OBJECT
  public:
    explicit PasswordChangeWindow(Database &database, QWidget *parent = nullptr);

    // "更改密码".
    void changePassword();

  protected:
    void showEvent(QShowEvent *event) override;

  private:
    Database &m_database;
    QComboBox *m_user;
    QLineEdit *m_oldPassword;
    QLineEdit *m_newPassword;
    QLineEdit *m_repeat;
    QCheckBox *m_closeWhenDone;
    QPushButton *m_change;
    bool m_centred = false;
};
