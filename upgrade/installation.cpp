#include "upgrade/installation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Outside any namespace, as the resource system requires.
static void initialiseUpgraderResource() {
    Q_INIT_RESOURCE(upgrader);
}

namespace {
const QString FolderPrefix = QStringLiteral("jsjxc-upgrader-");

bool writeAll(int fd, const QByteArray &data) {
    for (qsizetype done = 0; done < data.size();) {
        const ssize_t written = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += written;
    }
    return true;
}

// The folder opened without following a link, when it is this user's and nobody else's.
int openPrivateFolder(const QString &path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_uid != ::geteuid() || (status.st_mode & 0077) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
} // namespace

namespace installation {
QString upgraderFileName() {
    return QStringLiteral("Upgrader");
}

QString upgraderBase(const QString &temporaryFolder, const QString &programFolder) {
    return QFileInfo(temporaryFolder).isDir() ? temporaryFolder : programFolder;
}

QByteArray upgraderImage() {
    initialiseUpgraderResource();
    QFile resource(QStringLiteral(":/UPGRADER"));
    return resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
}

QString writeUpgrader(const QString &base, const QByteArray &image) {
    if (image.isEmpty()) return {};
    // A new name that did not exist (mkdir never follows a link), mode 0700.
    QTemporaryDir made(QDir(base).filePath(FolderPrefix + QStringLiteral("XXXXXX")));
    if (!made.isValid()) return {};
    const int folder = openPrivateFolder(made.path());
    if (folder < 0) return {};
    const QByteArray name = QFile::encodeName(upgraderFileName());
    const int fd =
        ::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700);
    bool written = fd >= 0 && ::fchmod(fd, 0700) == 0 && writeAll(fd, image) && ::fsync(fd) == 0;
    if (fd >= 0) written = ::close(fd) == 0 && written;
    if (written) written = ::fsync(folder) == 0;
    ::close(folder);
    if (!written) return {}; // the folder goes with `made`
    made.setAutoRemove(false);
    return QDir(made.path()).filePath(upgraderFileName());
}

void removeLeftUpgraders(const QString &base) {
    const QStringList names = QDir(base).entryList(
        {FolderPrefix + u'*'}, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QString path = QDir(base).filePath(name);
        const int folder = openPrivateFolder(path);
        if (folder < 0) continue;
        ::unlinkat(folder, QFile::encodeName(upgraderFileName()).constData(), 0);
        ::close(folder);
        ::rmdir(QFile::encodeName(path).constData()); // only when nothing else is in it
    }
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
