#include "maintenance/restorecandidate.h"

#include "maintenance/safetycopies.h"
#include "maintenance/shopfiles.h"
#include "store/clock.h"
#include "store/database.h"
#include "widgets/shell.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
const char *const shopTables[] = {"data", "data1", "userdb", "rz"};

QString missingTables(Database &database) {
    QStringList missing;
    for (const char *table : shopTables) {
        const QVariant found = database.scalar(
            QStringLiteral("select count(*) from sqlite_master where type='table' and name=?"),
            {QString::fromLatin1(table)});
        if (found.toInt() != 1) missing << QString::fromLatin1(table);
    }
    return missing.join(QStringLiteral("、"));
}

// The store's checks write into the candidate (an older one is brought up to date): all of it on disk
// before the candidate takes the database's name.
bool syncFileToDisk(const QString &path, QString *error) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (!synced) *error = QString::fromLocal8Bit(std::strerror(errno));
    if (fd >= 0) ::close(fd);
    return synced;
}
} // namespace

QString refusalOfDatabaseFile(const QString &path) {
    Database database;
    if (!database.open(path)) {
        // The store names the file when it refuses it; the engine's own failures do not.
        const QString why = database.errorText();
        return why.contains(path) ? why : QStringLiteral("文件“%1”已经损坏，无法打开：%2").arg(path, why);
    }
    const QVariant check = database.scalar(QStringLiteral("PRAGMA integrity_check"));
    if (!check.isValid()) return QStringLiteral("文件“%1”已经损坏：%2").arg(path, database.errorText());
    if (check.toString() != QStringLiteral("ok"))
        return QStringLiteral("文件“%1”没有通过完整性检查（%2）。").arg(path, check.toString());
    const QString missing = missingTables(database);
    if (!missing.isEmpty()) return QStringLiteral("文件“%1”缺少本程序的数据表：%2。").arg(path, missing);
    return {};
}

RestoreCandidate::RestoreCandidate(QString databasePath) : m_databasePath(std::move(databasePath)) {}

// The working folder goes with everything in it: the candidate, its log files and the staged copy.
RestoreCandidate::~RestoreCandidate() = default;

bool RestoreCandidate::makeWorkFolder(QString *error) {
    if (m_work) return true;
    // A folder made for this restore alone, beside the database, so that the final renames never cross
    // file systems and no name in it is known beforehand.
    auto work = std::make_unique<QTemporaryDir>(m_databasePath + QStringLiteral(".restore-XXXXXX"));
    if (!work->isValid()) {
        *error = QStringLiteral("无法在“%1”旁边建立文件夹：%2")
                     .arg(QDir::toNativeSeparators(m_databasePath), work->errorString());
        return false;
    }
    m_work = std::move(work);
    return true;
}

bool RestoreCandidate::prepare(QWidget *parent, const QString &source) {
    if (!makeWorkFolder(&m_refusal)) return false;
    m_candidate = m_work->filePath(QStringLiteral("candidate.mdb"));
    if (Shell::instance().copyFile(parent, source, m_candidate) != Shell::CopyResult::Copied) {
        m_refusal = QStringLiteral("无法复制文件“%1”。").arg(QDir::toNativeSeparators(source));
        return false;
    }
    // The store names the file it opened; the user knows the file by the name they chose.
    m_refusal = refusalOfDatabaseFile(m_candidate).replace(m_candidate, QDir::toNativeSeparators(source));
    return m_refusal.isEmpty();
}

bool RestoreCandidate::stageSafetyCopy(QString *error) {
    if (!makeWorkFolder(error)) return false;
    m_staged = m_work->filePath(QStringLiteral("safety.mdb"));
    return copyFileDurably(m_databasePath, m_staged, error);
}

bool RestoreCandidate::keepSafetyCopy(QString *error) {
    m_kept = safetycopies::keep(m_databasePath, m_staged, Clock::now(), error);
    return !m_kept.isEmpty();
}

bool RestoreCandidate::replaceDatabase(QString *error) {
    if (!syncFileToDisk(m_candidate, error)) return false;
    shopfiles::removeLogFiles(m_databasePath);
    if (std::rename(QFile::encodeName(m_candidate).constData(),
                    QFile::encodeName(m_databasePath).constData()) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_candidate.clear();
    syncFolderToDisk(QFileInfo(m_databasePath).absolutePath());
    return true;
}
