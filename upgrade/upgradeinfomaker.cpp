#include "upgrade/upgradeinfomaker.h"

#include "upgrade/upgradeinfo.h"

#include <QRegularExpression>

namespace upgrademaker {
QString fileLines(const QList<ListedFile> &files) {
    QString lines;
    for (int position = 0; position < files.size(); ++position) {
        const QString suffix = upgradeInfoSuffix(position);
        const ListedFile &file = files[position];
        lines += QStringLiteral("#url%1=%2\r\n#sha256%1=%3\r\n#size%1=%4\r\n")
                     .arg(suffix, file.address, file.sha256, QString::number(file.size));
    }
    return lines;
}

QString packageLines(const ListedFile &package) {
    return QStringLiteral("#deb=%1\r\n#debsha256=%2\r\n#debsize=%3\r\n")
        .arg(package.address, package.sha256, QString::number(package.size));
}

QStringList problems(const QString &infoText) {
    static const QRegularExpression sha256(QStringLiteral("^[0-9a-f]{64}$"));
    const UpgradeInfo info = readUpgradeInfo(infoText);
    QStringList found;
    if (info.serial < 0) found << QStringLiteral("no #serial= line with a whole number");
    if (!readsAsUpgradeDate(info.date)) found << QStringLiteral("no #date= line in month/day/year");
    if (info.method == UpgradeMethod::RedirectToUrl) return found; // nothing is downloaded
    if (info.urls.isEmpty() && info.packageUrl.isEmpty()) found << QStringLiteral("no #url= or #deb= line");
    if (!info.packageUrl.isEmpty()) {
        if (!sha256.match(info.packageHash).hasMatch())
            found << QStringLiteral("#debsha256= missing or not a SHA-256 (%1)").arg(info.packageUrl);
        if (info.packageSize < 0)
            found << QStringLiteral("#debsize= missing or not a size in bytes (%1)").arg(info.packageUrl);
    }
    for (int position = 0; position < info.urls.size(); ++position) {
        const QString suffix = upgradeInfoSuffix(position);
        if (!sha256.match(info.hashes[position]).hasMatch())
            found << QStringLiteral("#sha256%1= missing or not a SHA-256 (%2)")
                         .arg(suffix, info.urls[position]);
        if (info.sizes[position] < 0)
            found << QStringLiteral("#size%1= missing or not a size in bytes (%2)")
                         .arg(suffix, info.urls[position]);
    }
    return found;
}
} // namespace upgrademaker
