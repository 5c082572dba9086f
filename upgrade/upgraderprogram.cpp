#include "upgrade/upgraderprogram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
const QString TemporarySuffix = QStringLiteral(".uTMP");

QFile::Permissions programPermissions() {
    return QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
           QFile::ReadOther | QFile::ExeOther;
}

QFile::Permissions filePermissions() {
    return QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
}
} // namespace

std::optional<UpgraderCommand> parseUpgraderCommand(const QStringList &arguments) {
    if (arguments.size() < 2 || !arguments[1].startsWith(u'+') || arguments[0].isEmpty()) return std::nullopt;
    UpgraderCommand command;
    command.programPath = arguments[0];
    command.restartParameters = arguments[1].mid(1);
    command.externalSetup = command.restartParameters.endsWith(u'1');
    command.files = arguments.mid(2);
    return command;
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
        const QString source = folder.filePath(name);
        const QString destination = folder.filePath(target);
        if (!QFile::exists(source)) {
            result.kept << name;
            continue;
        }
        QFile::setPermissions(destination, filePermissions() | QFile::WriteOwner);
        QFile::remove(destination);
        if (!QFile::rename(source, destination)) {
            result.kept << name;
            continue;
        }
        QFile::setPermissions(destination, isProgram ? programPermissions() : filePermissions());
        result.moved << destination;
        if (isProgram && command.externalSetup) result.setupProgram = destination;
    }
    return result;
}

int runUpgrader(const UpgraderCommand &command,
                const std::function<bool(const QString &, const QStringList &)> &start,
                const std::function<int(const QString &, const QStringList &)> &runAndWait) {
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
