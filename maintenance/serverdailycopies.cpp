#include "maintenance/serverdailycopies.h"

#include "maintenance/serverbackup.h"

#include <QDir>
#include <QFileInfo>

namespace serverdailycopies {

namespace {
const auto fileEnding = QStringLiteral(".dump");
} // namespace

QString folder(const QString &shopFolder) {
    return QDir(shopFolder).absoluteFilePath(QStringLiteral("backups"));
}

QString pathFor(const QString &shopFolder, const QDate &day) {
    return folder(shopFolder) + QStringLiteral("/data-") + day.toString(QStringLiteral("yyyy-MM-dd")) +
           fileEnding;
}

QList<dailycopies::Copy> list(const QString &shopFolder) {
    return dailycopies::listIn(folder(shopFolder), fileEnding);
}

dailycopies::Result makeCopy(const QString &shopFolder, const QString &connection, const QDate &day,
                             int keep) {
    using dailycopies::Outcome;
    const QString target = pathFor(shopFolder, day);
    if (QFileInfo::exists(target)) return {Outcome::AlreadyThere, {}};
    if (!QDir().mkpath(folder(shopFolder)))
        return {Outcome::Failed,
                QStringLiteral("无法建立文件夹“%1”").arg(QDir::toNativeSeparators(folder(shopFolder)))};
    QString error;
    if (!serverbackup::writeVerifiedDump(connection, target, &error)) return {Outcome::Failed, error};
    dailycopies::pruneIn(folder(shopFolder), fileEnding, day, keep);
    return {Outcome::Written, {}};
}

} // namespace serverdailycopies
