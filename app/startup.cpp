#include "app/startup.h"

#include "printing/songfont.h"
#include "store/database.h"
#include "widgets/dialogs.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
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

void setUpApplication(QApplication &app) {
    // No display name: the platform would append it to every window caption.
    QApplication::setApplicationName(QStringLiteral("嘉穗进销存"));
    QApplication::setOrganizationName(QStringLiteral("tuomei"));
    QApplication::setApplicationVersion(QStringLiteral("4.3.9.1"));
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

namespace {
QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
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
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xf2, 0xc1, 0x4e));
    painter.drawRect(QRectF(size * 0.16, size * 0.80, size * 0.68, size * 0.06));
    QFont glyph(QStringLiteral("Noto Sans CJK SC"));
    glyph.setBold(true);
    glyph.setPixelSize(std::max(8, int(size * 0.62)));
    painter.setFont(glyph);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, size, size * 0.86), Qt::AlignCenter, QStringLiteral("嘉"));
    return pixmap;
}
} // namespace

QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(drawIcon(size));
    return icon;
}
