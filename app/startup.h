#pragma once
// What the program sets up before its first window: names, fonts and icon, the shop's folder and the
// claim on it, and the database file.
#include <memory>
#include <optional>

class Database;
class QApplication;
class QIcon;
class QLockFile;
class QPainter;
class QString;

// The shop folder of the menu's start: $XDG_DATA_HOME/jsjxc, ~/.local/share/jsjxc when XDG_DATA_HOME is
// not set to an absolute path.
QString defaultShopFolder();
// The folder that holds the shop's data.mdb, as an absolute path: the one the option names (it must
// exist), the default shop folder for the bare option (made when missing), the working folder without
// the option. A folder that cannot be used (missing, not a folder, closed to this user) gives an empty
// path and the reason in *error.
QString chooseShopFolder(const std::optional<QString> &option, QString *error);

// Application and organisation names, the interface font, the Song typeface for "宋体", the icon.
void setUpApplication(QApplication &app);
// One program per shop: a lock file beside the database ("data.mdb.lock"), held for as long as the
// returned object lives. When another program holds it, that is told through Dialogs and nothing is
// returned; the caller then brings nothing up. A lock left by a program that was killed is taken over.
std::unique_ptr<QLockFile> claimShopFolder(const QString &databasePath);
// Opens (or creates) the shop's database. A file that is refused is reported through Dialogs and left
// as it was; false then.
bool openShopDatabase(Database &database, const QString &path);
// The shop's server: the command line's --database= when given, else the settings' "database"; empty
// for data.mdb.
QString chosenServer(const std::optional<QString> &commandLineDatabase);
// Connects to the shop's server. While it cannot be reached the user chooses: "重试", "更改连接…" (the
// connection window, then the new connection) or "退出"; false when the program is to end.
bool openShopServer(Database &database, const QString &connection);
// The program's icon, drawn at the usual sizes.
QIcon programIcon();
// Paints the icon into the square (0, 0, size, size) of any paint device: a pixmap, or the files of the
// installed icon theme. The character is drawn as an outline, so that a vector copy needs no font.
void paintProgramIcon(QPainter &painter, int size);
