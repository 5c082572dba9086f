#pragma once
// The two modal windows of an upgrade: the question whether to upgrade now, and the user name and
// password for a protected file.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// "TUpgraderMessageForm": the offer of a newer version with "yes" and "later".
class UpgradeQuestionWindow : public QDialog {
    Q_OBJECT
  public:
    UpgradeQuestionWindow(const QString &applicationTitle, const QString &message, QWidget *parent = nullptr);
    QString text() const;

  private:
    QLabel *m_label;
};

// "TUpgraderPasswordForm": the credentials for a file the server protects.
class UpgradePasswordWindow : public QDialog {
    Q_OBJECT
  public:
    UpgradePasswordWindow(const QString &fileName, const QString &userName, QWidget *parent = nullptr);
    QString userName() const;
    QString password() const;

  private:
    QLineEdit *m_user;
    QLineEdit *m_password;
};
