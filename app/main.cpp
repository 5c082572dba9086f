// 嘉穗进销存: start-up. Opens data.mdb in the shop's folder (the working folder unless --shop-folder
// names another), shows the main window and runs until the main window closes. With --copy-to it only
// copies the shop to a server and ends (app/copycommand.h).
#include "accessories/aboutbox.h"
#include "app/commandline.h"
#include "app/copycommand.h"
#include "app/mainwindow.h"
#include "app/shop.h"
#include "app/shopmaintenance.h"
#include "app/startup.h"
#include "app/termination.h"
#include "store/database.h"
#include "users/loginwindow.h"
#include "widgets/dialogs.h"
#include "widgets/windowplacement.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QLockFile>

int main(int argc, char **argv) {
    if (asksForServerCopy(argc, argv)) return runServerCopy(argc, argv);
    QApplication app(argc, argv);
    setUpApplication(app);

    const CommandLine commandLine = parseCommandLine(QCoreApplication::arguments().mid(1));
    QString problem = commandLine.error;
    const QString shopFolder =
        problem.isEmpty() ? chooseShopFolder(commandLine.shopFolder, &problem) : QString();
    // The shop's folder becomes the working folder: whatever the program or a restart after an upgrade
    // opens by a relative name is this shop's.
    if (problem.isEmpty() && !QDir::setCurrent(shopFolder))
        problem = QStringLiteral("无法进入数据文件夹“%1”，程序不能启动。")
                      .arg(QDir::toNativeSeparators(shopFolder));
    if (!problem.isEmpty()) {
        qWarning().noquote() << problem; // also for whoever started it from a terminal or a script
        Dialogs::instance().error(nullptr, problem);
        return 2;
    }
    const QString databasePath = QDir(shopFolder).filePath(QStringLiteral("data.mdb"));
    // Outlives everything below, the day's copy made at the end included.
    const auto shopClaim = claimShopFolder(databasePath);
    if (!shopClaim) return 1;
    Database database;
    const QString server = chosenServer(commandLine.database);
    if (server.isEmpty() ? !openShopDatabase(database, databasePath) : !openShopServer(database, server))
        return 1;

    MainWindow mainWindow(database);
    Shop shop(database, mainWindow);
    shop.login()->setShopFolder(shopFolder);
    shop.maintenance()->about()->setShopPlaces(QDir::toNativeSeparators(shopFolder),
                                               database.engine() == Database::Engine::Server
                                                   ? database.description()
                                                   : QDir::toNativeSeparators(databasePath));
    // Closing the main window ends the program, also while a modal window (the login) is still
    // closing: waiting for the last window to close would miss that moment.
    QObject::connect(&mainWindow, &MainWindow::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    TerminationRequests termination;
    QObject::connect(&termination, &TerminationRequests::requested, &mainWindow,
                     [&mainWindow] { closeForTermination(&mainWindow); });
    centreOnScreen(&mainWindow);
    mainWindow.show();
    return app.exec();
}
