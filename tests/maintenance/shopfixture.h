#pragma once
// The assembled main window over a temporary shop with two goods rows, logged in as the super
// administrator, for the backup window and the daily copies as the user reaches them.
#include "app/mainwindow.h"
#include "app/shop.h"
#include "app/shopmaintenance.h"
#include "maintenance/backupwindow.h"
#include "stock/goodslist.h"
#include "tests/support/recordingshell.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "users/loginwindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <gtest/gtest.h>
#include <memory>

class MaintenanceShopTest : public ::testing::Test {
  protected:
    MaintenanceShopTest() {
        addGoods(env.database(), u("电脑"), u("联想"), 3000, 5, 3500);
        addGoods(env.database(), u("鼠标"), u("无线"), 20, 50, 35);
        window->show();
    }
    ~MaintenanceShopTest() override {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top != window.get() && top->parent() == window.get()) top->close();
    }

    void logIn() {
        LoginWindow *login = shop->login();
        login->show();
        login->findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setEditText(u("超级管理员"));
        login->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("659"));
        login->logIn();
        ASSERT_TRUE(login->isLoggedIn());
    }
    // "数据备份" as the user presses it: the window it opened.
    BackupWindow *openBackup() {
        window->command(QStringLiteral("ToolButton17"))->trigger();
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *backup = qobject_cast<BackupWindow *>(top); backup && backup->isVisible())
                return backup;
        return nullptr;
    }
    // Closes the window as its close box does and lets it go.
    void closeBackup(BackupWindow *backup) {
        QPointer<BackupWindow> watched(backup);
        backup->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(watched.isNull()) << "the next opening makes a fresh window";
    }
    int count(const char *statement) { return env.database().scalar(QString::fromUtf8(statement)).toInt(); }
    QString databasePath() const { return env.file(QStringLiteral("data.mdb")); }
    static QByteArray bytesOf(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TestEnv env;
    RecordingShell shell;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(env.database());
    Shop *shop = new Shop(env.database(), *window);
};
