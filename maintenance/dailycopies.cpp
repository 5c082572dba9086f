#include "maintenance/dailycopies.h"

#include "maintenance/shopfiles.h"
#include "store/settingsstore.h"
#include "widgets/shell.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>

namespace dailycopies {

namespace {
const auto failureSetting = QStringLiteral("autobackup_error");
const auto toldAheadSetting = QStringLiteral("autobackup_ahead");

const auto fileEnding = QStringLiteral(".mdb");

bool exec(sqlite3 *db, const char *sql, QString *error) {
    char *message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    *error = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    return false;
}

// The first line of SQLite's integrity check: "ok" when the file is sound.
bool passesIntegrityCheck(sqlite3 *db, QString *error) {
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    const int rc = sqlite3_step(statement);
    const QString first =
        rc == SQLITE_ROW
            ? QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)))
            : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    if (rc == SQLITE_ROW && first == QStringLiteral("ok")) return true;
    *error = QStringLiteral("副本没有通过完整性检查：") + first;
    return false;
}

// The online backup into a new file, which then leaves the source's write-ahead-log mode so that it is
// one file alone.
bool backUpInto(sqlite3 *source, sqlite3 *copy, QString *error) {
    sqlite3_backup *backup = sqlite3_backup_init(copy, "main", source, "main");
    if (!backup) {
        *error = QString::fromUtf8(sqlite3_errmsg(copy));
        return false;
    }
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE || finished != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(copy));
        return false;
    }
    return exec(copy, "PRAGMA journal_mode=DELETE", error);
}
} // namespace

QString folder(const QString &databasePath) {
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("backups"));
}

QString pathFor(const QString &databasePath, const QDate &day) {
    return folder(databasePath) + QStringLiteral("/data-") + day.toString(QStringLiteral("yyyy-MM-dd")) +
           fileEnding;
}

QList<Copy> list(const QString &databasePath) {
    return listIn(folder(databasePath), fileEnding);
}

QList<Copy> listIn(const QString &folder, const QString &ending) {
    const QRegularExpression copyName(QRegularExpression::anchoredPattern(
        QStringLiteral("data-(\\d{4}-\\d{2}-\\d{2})") + QRegularExpression::escape(ending)));
    QList<Copy> copies;
    const QDir dir(folder);
    const auto entries = dir.entryInfoList({QStringLiteral("data-*") + ending}, QDir::Files);
    for (const QFileInfo &entry : entries) {
        const auto match = copyName.match(entry.fileName());
        if (!match.hasMatch()) continue;
        const QDate day = QDate::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd"));
        if (day.isValid()) copies.append({day, entry.absoluteFilePath(), entry.size()});
    }
    std::sort(copies.begin(), copies.end(), [](const Copy &a, const Copy &b) { return a.day > b.day; });
    return copies;
}

bool writeVerifiedCopy(const QString &databasePath, const QString &target, QString *error) {
    // Read-write, though it only reads: closing the last connection then merges the log.
    sqlite3 *source = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(databasePath).constData(), &source, SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(source ? sqlite3_errmsg(source) : "out of memory");
        sqlite3_close(source);
        return false;
    }
    sqlite3_busy_timeout(source, 5000);
    // A name of this process's own: two programs closing at once never write into each other's copy.
    const QString partial =
        target + QStringLiteral(".part-") + QString::number(QCoreApplication::applicationPid());
    shopfiles::removeWithCompanions(partial);
    sqlite3 *copy = nullptr;
    const QByteArray partialName = QFile::encodeName(partial);
    bool ok = sqlite3_open_v2(partialName.constData(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                              nullptr) == SQLITE_OK;
    if (!ok) *error = QString::fromUtf8(copy ? sqlite3_errmsg(copy) : "out of memory");
    ok = ok && backUpInto(source, copy, error) && passesIntegrityCheck(copy, error);
    sqlite3_close(source);
    if (sqlite3_close(copy) != SQLITE_OK && ok) {
        *error = QString::fromUtf8(sqlite3_errmsg(copy));
        ok = false;
    }
    if (ok && std::rename(partialName.constData(), QFile::encodeName(target).constData()) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        ok = false;
    }
    if (!ok) {
        shopfiles::removeWithCompanions(partial);
        return false;
    }
    syncFolderToDisk(QFileInfo(target).absolutePath());
    return true;
}

Result makeCopy(const QString &databasePath, const QDate &day, int keep) {
    const QString target = pathFor(databasePath, day);
    if (QFileInfo::exists(target)) return {Outcome::AlreadyThere, {}};
    if (!QDir().mkpath(folder(databasePath)))
        return {Outcome::Failed,
                QStringLiteral("无法建立文件夹“%1”").arg(QDir::toNativeSeparators(folder(databasePath)))};
    QString error;
    if (!writeVerifiedCopy(databasePath, target, &error)) return {Outcome::Failed, error};
    prune(databasePath, day, keep);
    return {Outcome::Written, {}};
}

void prune(const QString &databasePath, const QDate &today, int keep) {
    pruneIn(folder(databasePath), fileEnding, today, keep);
}

void pruneIn(const QString &folder, const QString &ending, const QDate &today, int keep) {
    // A copy dated after today is not newer than today's: the clock ran ahead when it was made. Counted,
    // such copies would push out every copy made after the clock was put right, today's first.
    int kept = 0;
    for (const Copy &copy : listIn(folder, ending)) {
        if (copy.day > today) continue;
        if (++kept > std::max(keep, 1)) QFile::remove(copy.path);
    }
    // What a program that was killed while copying left behind.
    const QDir dir(folder);
    const QDateTime stale = QDateTime::currentDateTime().addDays(-1);
    const QStringList parts{QStringLiteral("data-*") + ending + QStringLiteral(".part-*")};
    for (const QFileInfo &part : dir.entryInfoList(parts, QDir::Files))
        if (part.lastModified() < stale) QFile::remove(part.absoluteFilePath());
}

QString takeNoticeOfCopiesAhead(const QString &databasePath, const QDate &today) {
    SettingsStore &store = SettingsStore::instance();
    const QStringList told = store.read(toldAheadSetting).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    QStringList ahead;
    QStringList untold;
    for (const Copy &copy : list(databasePath)) {
        if (copy.day <= today) continue;
        const QString name = QFileInfo(copy.path).fileName();
        ahead << name;
        if (!told.contains(name)) untold << name;
    }
    // Only the names still ahead are remembered: one made again after a later run of the clock is new.
    if (ahead != told) store.write(toldAheadSetting, ahead.join(QLatin1Char(';')));
    if (untold.isEmpty()) return {};
    return QStringLiteral("自动备份文件夹“%1”里有 %2 份日期晚于今天（%3）的备份：\n%4\n"
                          "电脑的日期可能曾经调快过。这些备份不计入保留的 %5 份，也不会被自动删除；"
                          "请核对后自行处理。")
        .arg(QDir::toNativeSeparators(folder(databasePath)))
        .arg(untold.size())
        .arg(today.toString(QStringLiteral("yyyy-MM-dd")), untold.join(QLatin1Char('\n')))
        .arg(Kept);
}

bool rememberFailure(const QString &why) {
    return SettingsStore::instance().write(failureSetting, why);
}

QString takeRememberedFailure() {
    const QString why = SettingsStore::instance().read(failureSetting);
    if (!why.isEmpty()) SettingsStore::instance().write(failureSetting, QString());
    return why;
}

} // namespace dailycopies
