#pragma once
// The upgrader program's work, apart from its main function so that it can be tested: wait until the
// program has ended, move the files of the upgrade to their names, start the program again (or a
// setup program first).
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct UpgraderCommand {
    QString programPath;
    QString restartParameters; // ends with the method digit
    bool externalSetup = false;
    QStringList files; // ".uTMP" names in the program's folder; the Debian package's path
    // Method 3: the program was installed from a Debian package; the system's installer puts the new one
    // in place.
    bool systemPackage = false;
    qint64 programPid = 0; // the program's process, waited for before the restart
    QString installer;     // the program that gains the rights for apt (pkexec)
};

// From the arguments after the program's own name; nothing when they do not name a program and "+".
std::optional<UpgraderCommand> parseUpgraderCommand(const QStringList &arguments);

// Waits while the file is a running program (opening it for writing is refused as busy).
void waitWhileRunning(const QString &path);

struct MovedFiles {
    QStringList moved;    // final paths
    QStringList kept;     // ".uTMP" files that could not be moved, or that were not ours to move
    QString setupProgram; // external-setup mode: the setup program to run
};
// Moves each file of the command to its final name; the first whose name ends in "exe" (exactly
// that case) replaces the program in self-upgrade mode or is the setup program in external-setup mode.
MovedFiles moveDownloadedFiles(const UpgraderCommand &command);

// Waits while the process runs.
void waitForProcess(qint64 pid);

// The whole upgrader: wait, move, start. For a Debian package: run the installer to its end, wait for
// the program, start it again; a package that was not installed is named after the restart parameters,
// so that the program can tell the command by hand. `start` starts a program detached, `runAndWait`
// runs one to its end.
int runUpgrader(const UpgraderCommand &command,
                const std::function<bool(const QString &, const QStringList &)> &start,
                const std::function<int(const QString &, const QStringList &)> &runAndWait);
