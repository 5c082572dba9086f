#pragma once
// Handing an upgrade over to the upgrader program: it is carried inside this program, written to the
// temporary folder and started with a command line that names the program, how to restart it and the
// files of this upgrade.
#include "upgrade/upgradeinfo.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace installation {
// The upgrader program's file name in the temporary folder (a plain program name on this platform).
QString upgraderFileName();
// The temporary folder's upgrader path; the program's folder when the temporary folder is missing.
QString upgraderPath(const QString &temporaryFolder, const QString &programFolder);
// The upgrader program carried inside this program.
QByteArray upgraderImage();
// Writes the upgrader program, replacing any file of that name, executable by its owner only.
bool writeUpgrader(const QString &path, const QByteArray &image);
// The upgrader's arguments: the program's path, "+" with the restart parameters and the method digit,
// then the names of the files this upgrade downloaded (their ".uTMP" names).
QStringList upgraderArguments(const QString &programPath, const QString &restartParameters,
                              UpgradeMethod method, const QStringList &downloadedFiles);
// Whether the program was started by an upgrade: its first argument equals the restart parameters.
bool isAfterRestart(const QStringList &arguments, const QString &restartParameters);
} // namespace installation
