#include "app/startup.h"

#include "store/settingsstore.h"

#include "maintenance/databaseconnectionwindow.h"
#include "printing/songfont.h"
#include "store/database.h"
#include "upgrade/packageupgrade.h"
#include "widgets/dialogs.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLinearGradient>
#include <QLocale>
#include <QLockFile>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTranslator>

QString defaultShopFolder() {
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    // The XDG rule: a relative path is no base at all.
    const QString base =
        QDir::isAbsolutePath(dataHome) ? dataHome : QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/jsjxc"));
}

QString chooseShopFolder(const std::optional<QString> &option, QString *error) {
    const bool isDefault = option && option->isEmpty();
    const QString folder = QDir::cleanPath(QDir::current().absoluteFilePath(!option     ? QStringLiteral(".")
                                                                            : isDefault ? defaultShopFolder()
                                                                                        : *option));
    const QString shown = QDir::toNativeSeparators(folder);
    QString reason;
    // Only the program's own folder is made: a folder named by hand that is missing is a typing
    // mistake, and a new empty shop there would hide the real one.
    if (isDefault && !QFileInfo::exists(folder) && !QDir().mkpath(folder))
        reason = QStringLiteral("无法建立数据文件夹“%1”，程序不能启动。").arg(shown);
    else if (!QFileInfo::exists(folder))
        reason =
            QStringLiteral("数据文件夹“%1”不存在，程序不能启动。\n请检查 --shop-folder 选项给出的文件夹。")
                .arg(shown);
    else if (!QFileInfo(folder).isDir())
        reason = QStringLiteral("“%1”不是一个文件夹，不能作为数据文件夹，程序不能启动。").arg(shown);
    else if (!packageupgrade::folderOpenToUser(folder))
        reason = QStringLiteral("当前用户不能在数据文件夹“%1”中写入文件，程序不能启动。").arg(shown);
    if (reason.isEmpty()) return folder;
    if (error) *error = reason;
    return {};
}

void setUpApplication(QApplication &app) {
    // No display name: the platform would append it to every window caption.
    QApplication::setApplicationName(QStringLiteral("嘉穗进销存"));
    QApplication::setOrganizationName(QStringLiteral("tuomei"));
    QApplication::setApplicationVersion(QStringLiteral("4.3.9.1"));
    // Ties the windows to the menu entry (its icon and name in the task bar on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("cn.jiasuisoft.jsjxc"));
    printing::substituteSongFace();
    // Qt's own windows (the file and print dialogs) speak the shop's language too.
    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(9);
    app.setFont(font);
    app.setWindowIcon(programIcon());
}

std::unique_ptr<QLockFile> claimShopFolder(const QString &databasePath) {
    auto lock = std::make_unique<QLockFile>(databasePath + QStringLiteral(".lock"));
    // Held for the whole run, however long: never taken over from a program that still runs.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) return lock;
    const QString folder = QDir::toNativeSeparators(QFileInfo(databasePath).absolutePath());
    QString text;
    if (lock->error() == QLockFile::LockFailedError) {
        // While the backup window is open the main window is hidden: the program seems gone, but a
        // second one would work on the file the backup window is copying or replacing.
        text = QStringLiteral("嘉穗进销存已经在运行（数据文件夹：%1）。\n"
                              "请使用已经打开的窗口；数据备份窗口打开时，主窗口会暂时隐藏。")
                   .arg(folder);
    } else {
        text = QStringLiteral("无法在数据文件夹“%1”中建立锁文件“%2”，程序不能启动。")
                   .arg(folder, QDir::toNativeSeparators(lock->fileName()));
    }
    // Also for whoever started it from a terminal or a script.
    qWarning().noquote() << text;
    Dialogs::instance().information(nullptr, text);
    return nullptr;
}

bool openShopDatabase(Database &database, const QString &path) {
    if (database.open(path)) return true;
    Dialogs::instance().error(nullptr, database.errorText());
    return false;
}

QString chosenServer(const std::optional<QString> &commandLineDatabase) {
    if (commandLineDatabase) return *commandLineDatabase;
    return SettingsStore::instance().read(QStringLiteral("database")).trimmed();
}

bool openShopServer(Database &database, const QString &connection) {
    // Never a fallback to a local file: a cashier would sell into an empty shop without noticing.
    enum Choice { Retry, Change, Quit };
    QString current = connection;
    bool attempt = true;
    while (!attempt || !database.openServer(current)) {
        attempt = true;
        const int choice = Dialogs::instance().choose(
            nullptr,
            database.errorText() + QStringLiteral("\n\n请检查服务器是否开着、网络是否连通，然后选“重试”；"
                                                  "连接设置有误时选“更改连接…”。"),
            QStringLiteral("无法连接数据库服务器"),
            {QStringLiteral("重试"), QStringLiteral("更改连接…"), QStringLiteral("退出")}, Quit);
        if (choice == Retry) continue;
        if (choice != Change) return false;
        DatabaseConnectionWindow window(current, DatabaseConnectionWindow::Use::Startup);
        if (window.exec() != QDialog::Accepted) {
            attempt = false; // back to the choice, with the same reason
            continue;
        }
        if (window.savedConnection().isEmpty()) {
            // The folder and its lock were chosen for a server; the file is opened by a fresh start.
            Dialogs::instance().information(
                nullptr, QStringLiteral("已改为使用本机数据文件 data.mdb，请重新启动程序。"));
            return false;
        }
        current = window.savedConnection();
    }
    return true;
}

void paintProgramIcon(QPainter &painter, int size) {
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square(0.5, 0.5, size - 1.0, size - 1.0);
    QLinearGradient shade(square.topLeft(), square.bottomLeft());
    shade.setColorAt(0, QColor(0x2e, 0xa0, 0x6e));
    shade.setColorAt(1, QColor(0x13, 0x6a, 0x4a));
    QPainterPath tile;
    tile.addRoundedRect(square, size * 0.18, size * 0.18);
    painter.fillPath(tile, shade);
    painter.setPen(QPen(QColor(0x0c, 0x4a, 0x33), std::max(1.0, size / 48.0)));
    painter.drawPath(tile);
    // A golden ear of grain ("穗") under the shop's first character.
    painter.fillRect(QRectF(size * 0.16, size * 0.80, size * 0.68, size * 0.06), QColor(0xf2, 0xc1, 0x4e));
    QFont glyph(QStringLiteral("Noto Sans CJK SC"));
    glyph.setBold(true);
    glyph.setPixelSize(std::max(8, int(size * 0.62)));
    QPainterPath character;
    character.addText(0, 0, glyph, QStringLiteral("嘉"));
    const QRectF drawn = character.boundingRect();
    const QPointF centre(size / 2.0, size * 0.43);
    painter.fillPath(character.translated(centre - drawn.center()), Qt::white);
}

namespace {
QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paintProgramIcon(painter, size);
    return pixmap;
}
} // namespace

QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(drawIcon(size));
    return icon;
}
