#include "upgrade/installation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

// Outside any namespace, as the resource system requires.
static void initialiseUpgraderResource() {
    Q_INIT_RESOURCE(upgrader);
}

namespace installation {
QString upgraderFileName() {
    return QStringLiteral("Upgrader");
}

QString upgraderPath(const QString &temporaryFolder, const QString &programFolder) {
    const QString folder = QFileInfo(temporaryFolder).isDir() ? temporaryFolder : programFolder;
    return QDir(folder).filePath(upgraderFileName());
}

QByteArray upgraderImage() {
    initialiseUpgraderResource();
    QFile resource(QStringLiteral(":/UPGRADER"));
    return resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
}

bool writeUpgrader(const QString &path, const QByteArray &image) {
    if (image.isEmpty()) return false;
    QFile::remove(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(image);
    if (!file.commit()) return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList upgraderArguments(const QString &programPath, const QString &restartParameters,
                              UpgradeMethod method, const QStringList &downloadedFiles) {
    QStringList arguments{programPath, u'+' + restartParameters + QString::number(static_cast<int>(method))};
    for (const QString &file : downloadedFiles)
        arguments << QFileInfo(file).fileName();
    return arguments;
}

bool isAfterRestart(const QStringList &arguments, const QString &restartParameters) {
    return arguments.size() > 1 && arguments[1] == restartParameters;
}
} // namespace installation
