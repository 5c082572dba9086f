#pragma once
// The program's launcher on the user's desktop: a freedesktop entry "嘉穗进销存.desktop" in the XDG
// desktop folder that starts the program in the folder of the database it is using, so that a start
// from the desktop opens the same shop.
#include <QByteArray>
#include <QString>

class Shell;

namespace desktoplauncher {

struct Launcher {
    QString program;          // absolute path of the executable
    QString workingDirectory; // the folder of the shop's data.mdb, with a trailing separator
    QString icon;             // an image file or an icon-theme name
};

QString fileName();
// The desktop folder named by the XDG user directories (~/Desktop when none is named).
QString desktopFolder();

// The text of the entry, with every value escaped as the entry format requires.
QByteArray content(const Launcher &launcher);

// This program, started in `dataFolder` (where its data.mdb is), and an icon: a "jsjxc.png" beside the
// program, else the application's window icon written into the program's data folder, else a theme
// icon.
Launcher forThisProgram(Shell &shell, const QString &dataFolder);

// Writes (replacing) the entry in the folder and marks it executable, as desktops require before they
// start it. False when the folder does not exist or the file cannot be written; callers stay silent.
bool write(Shell &shell, const QString &folder, const Launcher &launcher);

// All of the above for this program, the folder of its database and this user's desktop.
bool refresh(Shell &shell, const QString &dataFolder);

} // namespace desktoplauncher
