#pragma once
// Where the shop's database files lie, and whether the database file can be copied as it stands.
#include <QString>

namespace shopfiles {

// A path as the user typed it: a relative one is taken in the shop's folder (the folder of data.mdb,
// the program's working directory), an absolute one as it is.
QString resolve(const QString &databasePath, const QString &typed);

// A write-ahead log beside the database means that another program still has it open, or ended without
// merging it (closing the last connection merges the log and removes it): the file alone is then not the
// whole database, and replacing it would mix the log into another file.
bool inUseElsewhere(const QString &databasePath);

// Removes the log and shared-memory files beside a database file: stale ones, of a file that is being
// replaced, which the engine would otherwise read as belonging to the file that takes its name. Only
// while the file is held (DatabaseFileLock).
void removeLogFiles(const QString &databasePath);

// Removes a database file together with the journal, log and shared-memory files SQLite keeps beside it.
void removeWithCompanions(const QString &path);

} // namespace shopfiles
