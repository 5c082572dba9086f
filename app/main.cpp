// 嘉穗进销存: start-up. Opens data.mdb in the working directory, shows the main window and runs until
// the main window closes.
#include "app/mainwindow.h"
#include "app/shop.h"
#include "app/startup.h"
#include "app/termination.h"
#include "store/database.h"
#include "widgets/windowplacement.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    setUpApplication(app);

    const QString databasePath = QDir::current().filePath(QStringLiteral("data.mdb"));
    // Outlives everything below, the day's copy made at the end included.
    const auto shopClaim = claimShopFolder(databasePath);
    if (!shopClaim) return 1;
    Database database;
    if (!openShopDatabase(database, databasePath)) return 1;

    MainWindow mainWindow(database);
    Shop shop(database, mainWindow);
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
