#pragma once
// What the program sets up before its first window: names, fonts and icon, the claim on the shop's
// folder, and the database file.
#include <memory>

class Database;
class QApplication;
class QIcon;
class QLockFile;
class QString;

// Application and organisation names, the interface font, the Song typeface for "宋体", the icon.
void setUpApplication(QApplication &app);
// One program per shop: a lock file beside the database ("data.mdb.lock"), held for as long as the
// returned object lives. When another program holds it, that is told through Dialogs and nothing is
// returned; the caller then brings nothing up. A lock left by a program that was killed is taken over.
std::unique_ptr<QLockFile> claimShopFolder(const QString &databasePath);
// Opens (or creates) the shop's database. A file that is refused is reported through Dialogs and left
// as it was; false then.
bool openShopDatabase(Database &database, const QString &path);
// The program's icon, drawn at the usual sizes.
QIcon programIcon();
