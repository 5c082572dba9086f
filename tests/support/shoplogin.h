#pragma once
// The assembled program started as a person starts it: the main window shown with the stored settings,
// then a user logged in through the login window with the password every test user has.
#include "users/loginwindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

// The login window is put away after a login that took; false when it did not take.
[[nodiscard]] inline bool showLoggedIn(QWidget &mainWindow, LoginWindow &login, const QString &name) {
    mainWindow.show();
    login.show();
    login.findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setEditText(name);
    login.findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("659"));
    login.logIn();
    if (!login.isLoggedIn()) return false;
    login.hide();
    return true;
}
