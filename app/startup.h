#pragma once
// What the program sets up before its first window: names, fonts and icon, and the database file.
class Database;
class QApplication;
class QIcon;
class QString;

// Application and organisation names, the interface font, the Song typeface for "宋体", the icon.
void setUpApplication(QApplication &app);
// Opens (or creates) the shop's database. A file that is refused is reported through Dialogs and left
// as it was; false then.
bool openShopDatabase(Database &database, const QString &path);
// The program's icon, drawn at the usual sizes.
QIcon programIcon();
