#include "upgrade/upgraderprogram.h"

#include "upgrade/packageupgrade.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString TemporarySuffix = QStringLiteral(".uTMP");

constexpr mode_t ProgramMode = 0755;
constexpr mode_t FileMode = 0644;

// Puts `source` in the place of `destination` with one rename(2): whoever looks, and whatever a power
// cut leaves, finds the old file or the whole new one under that name, never neither. Only a plain
// file moves (never a link or a folder), already on the disk and with its final permissions.
bool replaceWith(const QString &source, const QString &destination, mode_t mode) {
    const QByteArray from = QFile::encodeName(source);
    const int fd = ::open(from.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    const bool ready =
        ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ::close(fd);
    return ready && ::rename(from.constData(), QFile::encodeName(destination).constData()) == 0;
}

// The renames themselves reach the disk with the folder.
void syncFolder(const QString &folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
} // namespace

std::optional<UpgraderCommand> parseUpgraderCommand(const QStringList &arguments) {
    if (arguments.size() < 2 || !arguments[1].startsWith(u'+') || arguments[0].isEmpty()) return std::nullopt;
    UpgraderCommand command;
    command.programPath = arguments[0];
    command.restartParameters = arguments[1].mid(1);
    command.externalSetup = command.restartParameters.endsWith(u'1');
    command.systemPackage = command.restartParameters.endsWith(QString::number(packageupgrade::MethodDigit));
    for (const QString &argument : arguments.mid(2)) {
        if (command.systemPackage && argument.startsWith(QStringLiteral("--pid=")))
            command.programPid = argument.mid(6).toLongLong();
        else if (command.systemPackage && argument.startsWith(QStringLiteral("--installer=")))
            command.installer = argument.mid(12);
        else
            command.files << argument;
    }
    return command;
}

void waitForProcess(qint64 pid) {
    if (pid <= 0) return;
    while (::kill(pid_t(pid), 0) == 0 || errno == EPERM)
        QThread::msleep(50);
}

void waitWhileRunning(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        const int fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            return;
        }
        if (errno != ETXTBSY) return; // not a running program: nothing to wait for
        QThread::msleep(50);
    }
}

MovedFiles moveDownloadedFiles(const UpgraderCommand &command) {
    MovedFiles result;
    const QFileInfo program(command.programPath);
    const QDir folder = program.absoluteDir();
    bool programFound = false;
    for (const QString &name : command.files) {
        // Only plain names of this upgrade's files, never a path that leads elsewhere.
        if (!name.endsWith(TemporarySuffix) || name.contains(u'/') || name == TemporarySuffix) {
            result.kept << name;
            continue;
        }
        QString target = name.chopped(TemporarySuffix.size());
        bool isProgram = false;
        if (!programFound && target.endsWith(QStringLiteral("exe"))) {
            programFound = isProgram = true;
            if (!command.externalSetup) target = program.fileName();
        }
        const QString destination = folder.filePath(target);
        if (!replaceWith(folder.filePath(name), destination, isProgram ? ProgramMode : FileMode)) {
            result.kept << name;
            continue;
        }
        result.moved << destination;
        if (isProgram && command.externalSetup) result.setupProgram = destination;
    }
    if (!result.moved.isEmpty()) syncFolder(folder.absolutePath());
    return result;
}

namespace {
int installPackage(const UpgraderCommand &command,
                   const std::function<bool(const QString &, const QStringList &)> &start,
                   const std::function<int(const QString &, const QStringList &)> &runAndWait) {
    const QString package = command.files.value(0);
    const QFileInfo file(package);
    // Only the package of this upgrade: a plain file in a folder the program made for it.
    const bool ours = file.isAbsolute() && file.isFile() && !file.isSymLink() &&
                      package.endsWith(QStringLiteral(".deb")) &&
                      file.absoluteDir().dirName().startsWith(QStringLiteral("jsjxc-package-"));
    const int status = ours && !command.installer.isEmpty()
                           ? runAndWait(command.installer, packageupgrade::installerArguments(package))
                           : -1;
    waitForProcess(command.programPid);
    QStringList restart{command.restartParameters};
    if (status == 0)
        packageupgrade::removePackage(package);
    else if (ours)
        restart << file.absoluteFilePath();
    return start(command.programPath, restart) ? 0 : 1;
}
} // namespace

int runUpgrader(const UpgraderCommand &command,
                const std::function<bool(const QString &, const QStringList &)> &start,
                const std::function<int(const QString &, const QStringList &)> &runAndWait) {
    if (command.systemPackage) return installPackage(command, start, runAndWait);
    if (QFileInfo::exists(command.programPath)) waitWhileRunning(command.programPath);
    const MovedFiles moved = moveDownloadedFiles(command);
    const QStringList restart{command.restartParameters};
    if (command.externalSetup && !moved.setupProgram.isEmpty()) {
        runAndWait(moved.setupProgram, restart);
        QFile::remove(moved.setupProgram);
    }
    // Without a setup program the program starts again as it was: nothing of it was touched.
    return start(command.programPath, restart) ? 0 : 1;
}
