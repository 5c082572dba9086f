#include "upgrade/packageupgrade.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

namespace packageupgrade {

QString dpkgListFile() {
    return QStringLiteral("/var/lib/dpkg/info/jsjxc.list");
}

bool folderOpenToUser(const QString &folder) {
    const QByteArray name = QFile::encodeName(folder);
    struct stat status {};
    if (::stat(name.constData(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
    if (::access(name.constData(), W_OK | X_OK) != 0) return false;
    mode_t needed = S_IWOTH | S_IXOTH;
    if (status.st_uid == ::geteuid())
        needed = S_IWUSR | S_IXUSR;
    else if (status.st_gid == ::getegid())
        needed = S_IWGRP | S_IXGRP;
    return (status.st_mode & needed) == needed;
}

bool installedFromPackage(const QString &programPath, const QString &listFile) {
    const QFileInfo program(programPath);
    if (!folderOpenToUser(program.absolutePath())) return true;
    QFile list(listFile);
    if (!list.open(QIODevice::ReadOnly)) return false;
    const QByteArray wanted = QFile::encodeName(program.absoluteFilePath());
    const QByteArray canonical = QFile::encodeName(program.canonicalFilePath());
    while (!list.atEnd()) {
        const QByteArray line = list.readLine().trimmed();
        if (line == wanted || (!canonical.isEmpty() && line == canonical)) return true;
    }
    return false;
}

QString makePackageFolder(const QString &base) {
    // A new name that did not exist (mkdir never follows a link), mode 0700.
    QTemporaryDir made(QDir(base).filePath(QStringLiteral("jsjxc-package-XXXXXX")));
    if (!made.isValid()) return {};
    made.setAutoRemove(false);
    return made.path();
}

void removePackage(const QString &packagePath) {
    if (packagePath.isEmpty()) return;
    QFile::remove(packagePath);
    QDir().rmdir(QFileInfo(packagePath).absolutePath());
}

QStringList installerArguments(const QString &packagePath) {
    // -y: nobody answers apt's question; the user agreed to the upgrade and gives the password.
    return {QStringLiteral("apt-get"), QStringLiteral("install"), QStringLiteral("-y"), packagePath};
}

QString commandByHand(const QString &packagePath) {
    QString quoted = packagePath;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return QStringLiteral("sudo apt install '") + quoted + u'\'';
}

QStringList upgraderArguments(const QString &programPath, const QString &restartParameters, qint64 programPid,
                              const QString &installer, const QString &packagePath) {
    return {programPath, u'+' + restartParameters + QString::number(MethodDigit),
            QStringLiteral("--pid=") + QString::number(programPid),
            QStringLiteral("--installer=") + installer, packagePath};
}

QString packageLeftByRestart(const QStringList &arguments, const QString &restartParameters) {
    if (arguments.size() < 3 || !arguments[1].startsWith(restartParameters)) return {};
    const QString package = arguments[2];
    const QFileInfo file(package);
    if (!package.endsWith(QStringLiteral(".deb")) || !file.isAbsolute() || !file.isFile()) return {};
    return package;
}

} // namespace packageupgrade
