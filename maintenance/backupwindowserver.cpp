// The backup window's backup and restore when the shop's database is on a server: dump files written
// and restored by the server's tools, with the same buttons, questions and messages as data.mdb's.
#include "maintenance/backupwindow.h"

#include "maintenance/safetycopies.h"
#include "maintenance/serverbackup.h"
#include "maintenance/serverdailycopies.h"
#include "store/clock.h"
#include "store/database.h"
#include "widgets/dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <optional>

namespace {
// The wait cursor while a tool works on the server's database.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};
} // namespace

QString BackupWindow::placeText() const {
    return m_onServer ? QStringLiteral("本店的数据在数据库服务器“%1”上。").arg(m_database.description())
                      : QStringLiteral("本店的数据文件：%1").arg(QDir::toNativeSeparators(m_databasePath));
}

QString BackupWindow::serverSafetyBase() const {
    return serverdailycopies::folder(m_shopFolder) + QStringLiteral("/server.dump");
}

void BackupWindow::backUpServer() {
    const QString target = resolved(m_target->text());
    const QFileInfo existing(target);
    if (existing.exists() && !existing.isDir() &&
        !Dialogs::instance().ask(
            this, QStringLiteral("文件“%1”已经存在，要替换它吗？").arg(QDir::toNativeSeparators(target)))) {
        Dialogs::instance().information(this, QStringLiteral("数据库备份失败！"));
        return;
    }
    QString error;
    std::optional<BusyCursor> busy(std::in_place);
    const bool written = serverbackup::writeVerifiedDump(m_serverConnection, target, &error);
    busy.reset();
    if (written)
        Dialogs::instance().information(this, QStringLiteral("数据库备份成功！"));
    else
        Dialogs::instance().warning(
            this, QStringLiteral("数据库备份失败！\n%1\n原有的备份文件没有改动。").arg(error));
}

void BackupWindow::restoreServer(const QString &source) {
    const QString failed = QStringLiteral("数据库恢复失败！");
    const QString unchanged = QStringLiteral("\n当前的数据库没有改动。");
    QString error;
    std::optional<BusyCursor> busy(std::in_place);
    if (!serverbackup::checkDump(source, &error)) {
        busy.reset();
        Dialogs::instance().warning(this, failed + QLatin1Char('\n') + error + unchanged);
        return;
    }
    busy.reset();
    // Asked before the question too: a shopkeeper should not answer it only to be refused.
    const int others = serverbackup::otherTills(m_database, &error);
    if (others != 0) {
        Dialogs::instance().warning(this,
                                    failed + QLatin1Char('\n') +
                                        (others > 0 ? serverbackup::tillsConnectedText(others) : error));
        return;
    }
    if (!Dialogs::instance().ask(this,
                                 QStringLiteral("要用“%1”替换数据库服务器“%2”上的数据库吗？\n"
                                                "替换前的数据库会先备份到“%3”，以后仍可从这里恢复。")
                                     .arg(QDir::toNativeSeparators(source), m_database.description(),
                                          QDir::toNativeSeparators(serverdailycopies::folder(m_shopFolder))),
                                 {}, Dialogs::Buttons::YesNo, Dialogs::QuestionIcon::Warning)) {
        Dialogs::instance().information(this, failed);
        return;
    }
    // The database as it is now, kept before anything is replaced.
    busy.emplace();
    const QString base = serverSafetyBase();
    const QString staged =
        base + QStringLiteral(".staged-") + QString::number(QCoreApplication::applicationPid());
    bool kept = QDir().mkpath(QFileInfo(base).absolutePath()) &&
                serverbackup::writeVerifiedDump(m_serverConnection, staged, &error);
    if (kept && safetycopies::keep(base, staged, Clock::now(), &error).isEmpty()) {
        QFile::remove(staged);
        kept = false;
    }
    if (!kept) {
        busy.reset();
        Dialogs::instance().error(this,
                                  failed + QStringLiteral("\n无法先备份当前的数据库：") + error + unchanged);
        return;
    }
    // Checks the file and the other tills once more: the question may have waited long.
    const serverbackup::RestoreOutcome outcome = serverbackup::restore(m_database, source, &error);
    busy.reset();
    listRestoreSources();
    switch (outcome) {
    case serverbackup::RestoreOutcome::Restored:
        m_restored = true;
        Dialogs::instance().information(this, QStringLiteral("数据库恢复成功！"));
        return;
    case serverbackup::RestoreOutcome::Reopened:
        m_restored = true;
        Dialogs::instance().error(this, QStringLiteral("数据库已经恢复，但无法重新连接：\n") + error);
        return;
    case serverbackup::RestoreOutcome::Refused:
    case serverbackup::RestoreOutcome::Failed:
        Dialogs::instance().warning(this, failed + QLatin1Char('\n') + error + unchanged);
        return;
    }
}
