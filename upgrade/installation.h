#pragma once
// Handing an upgrade over to the upgrader program: it is carried inside this program, written into a
// folder of its own that this upgrade makes in the temporary folder, and started with a command line
// that names the program, how to restart it and the files of this upgrade.
#include "upgrade/upgradeinfo.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace installation {
// The upgrader program's file name inside its folder (a plain program name on this platform).
QString upgraderFileName();
// Where the upgraders' folders are made: the temporary folder, the program's folder when it is missing.
QString upgraderBase(const QString &temporaryFolder, const QString &programFolder);
// The upgrader program carried inside this program.
QByteArray upgraderImage();
// Makes a new folder in `base`, open to this user only and made for this call alone, and writes the
// upgrader program into it as a new file, executable by this user only and flushed to the disk. Nothing
// another user put into a shared temporary folder is followed, overwritten or in the way. The program's
// path; empty (and nothing left behind) when it could not be written.
QString writeUpgrader(const QString &base, const QByteArray &image);
// Removes what earlier upgrades left in `base`: the upgrader program and its folder, where the folder
// is this user's and private; a link or anything else of such a name is left alone.
void removeLeftUpgraders(const QString &base);
// The upgrader's arguments: the program's path, "+" with the restart parameters and the method digit,
// then the names of the files this upgrade downloaded (their ".uTMP" names).
QStringList upgraderArguments(const QString &programPath, const QString &restartParameters,
                              UpgradeMethod method, const QStringList &downloadedFiles);
// Whether the program was started by an upgrade: its first argument equals the restart parameters.
bool isAfterRestart(const QStringList &arguments, const QString &restartParameters);
} // namespace installation
