#include "maintenance/shopfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace shopfiles {

QString resolve(const QString &databasePath, const QString &typed) {
    if (typed.isEmpty() || QDir::isAbsolutePath(typed)) return typed;
    return QFileInfo(databasePath).absoluteDir().filePath(typed);
}

bool inUseElsewhere(const QString &databasePath) {
    return QFileInfo::exists(databasePath + QStringLiteral("-wal"));
}

void removeLogFiles(const QString &databasePath) {
    for (const char *suffix : {"-wal", "-shm"})
        QFile::remove(databasePath + QLatin1String(suffix));
}

void removeWithCompanions(const QString &path) {
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

} // namespace shopfiles
