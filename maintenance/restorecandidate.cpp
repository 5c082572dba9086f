#include "maintenance/restorecandidate.h"

#include "maintenance/shopfiles.h"
#include "store/database.h"
#include "widgets/shell.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
const char *const shopTables[] = {"data", "data1", "userdb", "rz"};

// A fresh name in the database's folder, so that the final copy never crosses file systems.
QString freshNameBeside(const QString &databasePath, const QString &label) {
    QTemporaryFile file(databasePath + QLatin1Char('.') + label + QStringLiteral("-XXXXXX"));
    file.setAutoRemove(false);
    if (!file.open()) return {};
    return file.fileName();
}

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

RestoreCandidate::~RestoreCandidate() {
    if (!m_candidate.isEmpty()) shopfiles::removeWithCompanions(m_candidate);
    if (!m_staged.isEmpty()) QFile::remove(m_staged);
}

bool RestoreCandidate::prepare(const QString &source) {
    m_candidate = freshNameBeside(m_databasePath, QStringLiteral("restore"));
    QString error;
    if (m_candidate.isEmpty() || !copyFileDurably(source, m_candidate, &error)) {
        m_refusal = QStringLiteral("无法复制文件“%1”：%2").arg(QDir::toNativeSeparators(source), error);
        return false;
    }
    // The store names the file it opened; the user knows the file by the name they chose.
    m_refusal = refusalOfDatabaseFile(m_candidate).replace(m_candidate, QDir::toNativeSeparators(source));
    return m_refusal.isEmpty();
}

bool RestoreCandidate::stageSafetyCopy(QString *error) {
    m_staged = freshNameBeside(m_databasePath, QStringLiteral("bak"));
    if (m_staged.isEmpty()) {
        *error = QStringLiteral("无法在“%1”旁边建立文件").arg(QDir::toNativeSeparators(m_databasePath));
        return false;
    }
    return copyFileDurably(m_databasePath, m_staged, error);
}

bool RestoreCandidate::keepSafetyCopy(QString *error) {
    const QString kept = shopfiles::safetyCopyPath(m_databasePath);
    // rename() replaces the previous safety copy in one step.
    if (std::rename(QFile::encodeName(m_staged).constData(), QFile::encodeName(kept).constData()) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_staged.clear();
    syncFolderToDisk(QFileInfo(kept).absolutePath());
    return true;
}
