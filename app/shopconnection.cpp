#include "app/shopconnection.h"

#include "app/mainwindow.h"
#include "app/shop.h"
#include "maintenance/databaseconnectionwindow.h"
#include "store/database.h"
#include "store/settingsstore.h"
#include "widgets/dialogs.h"
#include "widgets/windowopener.h"

void openDatabaseConnectionWindow(Shop &shop) {
    MainWindow &window = shop.mainWindow();
    // The hidden menu item is the usual guard; this one holds for any other way the command is run.
    if (shop.isRestricted()) {
        Dialogs::instance().warning(&window, QStringLiteral("只有超级管理员才能更改数据库连接。"));
        return;
    }
    // A shop still in its data.mdb can be copied to the server it is moving to.
    const Database &database = shop.database();
    const bool onServer = database.engine() == Database::Engine::Server;
    const QString localShop = onServer ? QString() : database.path();
    // The window shows the connection this run uses: one given by the start option is not in the
    // settings, and an empty setting would read as data.mdb.
    const QString current = onServer ? database.serverConnection()
                                     : SettingsStore::instance().read(QStringLiteral("database")).trimmed();
    showOrCreateWindowWith<DatabaseConnectionWindow>([&window, localShop, current] {
        auto *made = new DatabaseConnectionWindow(current, DatabaseConnectionWindow::Use::Settings, &window,
                                                  pgpass::defaultPath(), localShop);
        made->setAttribute(Qt::WA_DeleteOnClose);
        return made;
    });
}
