#include "maintenance/safetycopies.h"

#include "widgets/shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace safetycopies {

namespace {
const auto stampFormat = QStringLiteral("yyyyMMdd-hhmmss");

// The name `to` for `from` only while no file has it: the check and the rename are one step.
int renameWithoutReplacing(const QByteArray &from, const QByteArray &to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without that rename: a second name that cannot be taken over an existing file,
    // then the first name goes.
    if (::link(from.constData(), to.constData()) != 0) return errno;
    ::unlink(from.constData());
    return 0;
}
} // namespace

QString nameFor(const QString &databasePath, const QDateTime &when, int sequence) {
    QString name = databasePath + QStringLiteral(".bak-") + when.toString(stampFormat);
    if (sequence > 1) name += QLatin1Char('-') + QString::number(sequence);
    return name;
}

QList<Copy> list(const QString &databasePath) {
    const QFileInfo database(databasePath);
    const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QRegularExpression::escape(database.fileName()) +
                                            QStringLiteral("\\.bak(?:-(\\d{8}-\\d{6})(?:-(\\d+))?)?")));
    QList<Copy> copies;
    const auto entries =
        database.absoluteDir().entryInfoList({database.fileName() + QStringLiteral(".bak*")}, QDir::Files);
    for (const QFileInfo &entry : entries) {
        const auto match = pattern.match(entry.fileName());
        if (!match.hasMatch()) continue;
        Copy copy{entry.lastModified(), 0, entry.absoluteFilePath(), entry.size()};
        if (match.hasCaptured(1)) {
            copy.made = QDateTime::fromString(match.captured(1), stampFormat);
            copy.sequence = match.hasCaptured(2) ? match.captured(2).toInt() : 1;
            if (!copy.made.isValid()) continue;
        }
        copies.append(copy);
    }
    std::sort(copies.begin(), copies.end(), [](const Copy &a, const Copy &b) {
        return a.made != b.made ? a.made > b.made : a.sequence > b.sequence;
    });
    return copies;
}

QString keep(const QString &databasePath, const QString &staged, const QDateTime &when, QString *error) {
    const QByteArray from = QFile::encodeName(staged);
    for (int sequence = 1; sequence < 1000; ++sequence) {
        const QString name = nameFor(databasePath, when, sequence);
        const int failed = renameWithoutReplacing(from, QFile::encodeName(name));
        if (failed == EEXIST) continue;
        if (failed != 0) {
            *error = QString::fromLocal8Bit(std::strerror(failed));
            return {};
        }
        syncFolderToDisk(QFileInfo(name).absolutePath());
        return name;
    }
    *error = QStringLiteral("“%1”旁边同一秒的安全副本太多").arg(QDir::toNativeSeparators(databasePath));
    return {};
}

} // namespace safetycopies
