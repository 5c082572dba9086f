#include "app/shopmaintenance.h"

#include "accessories/aboutbox.h"
#include "accessories/helpwindow.h"
#include "app/mainwindow.h"
#include "app/shop.h"
#include "app/shopconnection.h"
#include "app/shopreports.h"
#include "maintenance/backupwindow.h"
#include "maintenance/serverdailycopies.h"
#include "reports/salesdetailwindow.h"
#include "sales/salepanel.h"
#include "sales/ticketview.h"
#include "stock/goodslist.h"
#include "store/clock.h"
#include "store/database.h"
#include "users/loginwindow.h"
#include "users/userstore.h"
#include "widgets/dialogs.h"
#include "widgets/windowopener.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

ShopMaintenance::ShopMaintenance(Database &database, Shop &shop)
    : QObject(&shop), m_database(database), m_shop(shop) {
    MainWindow &window = shop.mainWindow();
    m_help = new HelpWindow(&window);
    m_about = new AboutBox(&window);

    window.wireCommand(QStringLiteral("ToolButton17"), this, [this] { openBackupWindow(); });
    window.wireCommand(QStringLiteral("N34"), m_help, [this] { m_help->bringForward(); });
    window.wireCommand(QStringLiteral("N30"), m_about, [this] { m_about->exec(); });
    window.wireCommand(QStringLiteral("databaseConnection"), this,
                       [this] { openDatabaseConnectionWindow(m_shop); });

    // After the close steps: the login-log row and the exit date are in the copy.
    connect(&window, &MainWindow::closed, this, &ShopMaintenance::makeDailyCopy);
    // Told once the login window has gone, over the main window.
    connect(shop.login(), &LoginWindow::loggedIn, this,
            [this] { QTimer::singleShot(0, this, &ShopMaintenance::reportDailyCopies); });
}

BackupWindow *ShopMaintenance::openBackupWindow() {
    MainWindow &window = m_shop.mainWindow();
    // Read while the connection is still open: the window closes it (and an open window has).
    if (m_database.isOpen())
        m_logStart =
            m_database.scalar(QStringLiteral("select btime from rz where id=?"), {window.loginLogId()})
                .toString();
    auto *backup = showOrCreateWindowWith<BackupWindow>([this, &window] {
        auto *made = new BackupWindow(m_database, &window);
        connect(made, &BackupWindow::reconnected, this, &ShopMaintenance::onBackupWindowClosed);
        return made;
    });
    window.hide();
    return backup;
}

void ShopMaintenance::onBackupWindowClosed(bool restored) {
    if (restored) {
        // Nothing shown from the replaced database may be written back into the restored one.
        m_shop.salePanel()->close();
        m_shop.ticketView()->hide();
        m_shop.salePanel()->refillCustomers();
        // The categories kept from the replaced file would be added to, not read again.
        m_shop.reports()->salesDetail()->invalidateCategories();
        continueLogAfterRestore();
    }
    m_shop.goods()->showAll();
    m_shop.mainWindow().show();
}

void ShopMaintenance::continueLogAfterRestore() {
    // The run's login-log row was in the replaced file. A backup made during this run holds it too;
    // any other file may have a row of another login under that id, which the exit time must not
    // overwrite: the run then goes on with a row of its own there.
    MainWindow &window = m_shop.mainWindow();
    if (window.loginLogId() == 0) return;
    const QVariant sameRow =
        m_database.scalar(QStringLiteral("select count(*) from rz where id=? and username=? and btime=?"),
                          {window.loginLogId(), m_shop.currentUser(), m_logStart});
    if (!m_logStart.isEmpty() && sameRow.toInt() == 1) return;
    if (const auto id = UserStore(m_database).openLogRow(m_shop.currentUser()))
        window.setLoginLogId(*id);
    else
        Dialogs::instance().error(&window, m_database.errorText());
}

ShopMaintenance::~ShopMaintenance() {
    finishDailyCopy();
}

void ShopMaintenance::makeDailyCopy() {
    if (m_dailyCopy.valid()) return;
    const QString path = m_database.path();
    const QDate day = Clock::today();
    if (m_database.engine() == Database::Engine::Server) {
        // The shop's folder is the working folder (main.cpp); the server's tools make the copy.
        const QString folder = QDir::currentPath();
        const QString connection = m_database.serverConnection();
        if (connection.isEmpty() || QFileInfo::exists(serverdailycopies::pathFor(folder, day))) return;
        m_dailyCopy = std::async(std::launch::async, [folder, connection, day] {
            return serverdailycopies::makeCopy(folder, connection, day);
        });
        return;
    }
    if (path.isEmpty() || QFileInfo::exists(dailycopies::pathFor(path, day))) return;
    m_dailyCopy = std::async(std::launch::async, [path, day] { return dailycopies::makeCopy(path, day); });
}

void ShopMaintenance::finishDailyCopy() {
    if (!m_dailyCopy.valid()) return;
    const dailycopies::Result result = m_dailyCopy.get();
    if (result.outcome == dailycopies::Outcome::Failed) dailycopies::rememberFailure(result.error);
}

void ShopMaintenance::reportDailyCopies() {
    MainWindow &window = m_shop.mainWindow();
    const QString why = dailycopies::takeRememberedFailure();
    if (!why.isEmpty())
        Dialogs::instance().warning(&window, QStringLiteral("上次关闭程序时，当天的自动备份没有做成：\n%1\n"
                                                            "请尽快用“数据备份”手工备份一次。")
                                                 .arg(why));
    const QString path = m_database.path();
    if (path.isEmpty()) return;
    const QString ahead = dailycopies::takeNoticeOfCopiesAhead(path, Clock::today());
    if (!ahead.isEmpty()) Dialogs::instance().warning(&window, ahead);
}
