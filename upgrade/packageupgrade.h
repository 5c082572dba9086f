#pragma once
// The upgrade of a program that the system's package manager installed: its files under /usr are the
// package manager's, so the upgrade downloads the new version's signed Debian package into a private
// folder and hands it to the system's installer (pkexec apt-get install) through the upgrader program,
// which restarts the program afterwards. A program in a folder of its own (a build folder) keeps
// replacing its files.
#include <QString>
#include <QStringList>

namespace packageupgrade {
// The list of the installed package's files that dpkg keeps.
QString dpkgListFile();
// Whether this user may make files in the folder, by the file system and by its permission bits. The
// bits are read for the administrator too, whom the file system never refuses: a folder closed by its
// bits is closed on purpose.
bool folderOpenToUser(const QString &folder);
// Whether the program's files are the package manager's: its folder is closed to this user, or dpkg's
// list names the program (run by the administrator, to whom no folder is closed).
bool installedFromPackage(const QString &programPath, const QString &listFile = dpkgListFile());

// Makes a new folder for the package in `base`, open to this user only; its path, empty on failure.
QString makePackageFolder(const QString &base);
// Removes the package and its folder (when nothing else is in it).
void removePackage(const QString &packagePath);

// The installer's arguments after the program that gains the rights (pkexec).
QStringList installerArguments(const QString &packagePath);
// The command the user types in a terminal when no window can ask for the administrator's password.
QString commandByHand(const QString &packagePath);

// The upgrader program's arguments for a package: the program, "+" with the restart parameters and
// the method digit 3, the program's process to wait for, the program that gains the rights, the package.
QStringList upgraderArguments(const QString &programPath, const QString &restartParameters, qint64 programPid,
                              const QString &installer, const QString &packagePath);
// The digit of this method on the upgrader's command line (beside the information file's 0, 1 and 2).
constexpr int MethodDigit = 3;
// A package the upgrader could not install, named by the program's restart after the restart
// parameters (it stays for the command by hand); empty when there is none.
QString packageLeftByRestart(const QStringList &arguments, const QString &restartParameters);
} // namespace packageupgrade
