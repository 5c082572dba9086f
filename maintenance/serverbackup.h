#pragma once
// Backup and restore of the shop's database on a PostgreSQL server with the server's own tools: a
// verified pg_dump file (custom format) written beside its target and renamed into place, and a restore
// of such a file in one transaction, refused while other tills are connected. The tools run as programs
// with arguments (never a shell); the password comes from ~/.pgpass through libpq, never from here.
#include <QString>

class Database;

namespace serverbackup {

// Time limits of the tools, in milliseconds.
struct Limits {
    int dump = 30 * 60 * 1000;
    int restore = 30 * 60 * 1000;
    int check = 5 * 60 * 1000;
};

// The tool `name` (pg_dump, pg_restore): on PATH, else in the newest /usr/lib/postgresql/<version>/bin;
// empty when neither has it.
QString toolPath(const QString &name);

// Dumps the database `connection` (a libpq connection string) into a temporary file beside `target`,
// checks that the whole file reads back, and only then renames it to `target`. A failure leaves an older
// `target` as it was; `error` then says why (with what the tool reported).
bool writeVerifiedDump(const QString &connection, const QString &target, QString *error,
                       const Limits &limits = {});

// Whether `file` is a whole dump of this program's database that this program can work with (not of a
// newer version). False with the reason.
bool checkDump(const QString &file, QString *error, const Limits &limits = {});

// The program's connections to the same database other than `database`'s own (the other tills); -1,
// with the reason, when the server cannot tell.
int otherTills(Database &database, QString *error);

// The text that refuses a restore while `count` other tills are connected.
QString tillsConnectedText(int count);

enum class RestoreOutcome {
    Restored,
    Refused,  // the file or the connected tills: nothing was tried, the database is unchanged
    Failed,   // pg_restore failed: its transaction was rolled back, the database is unchanged
    Reopened, // restored, but the program could not connect to the restored database again
};

// Replaces the shop's tables on the server with those of `file` in one transaction (all or nothing),
// after checkDump and only while no other till is connected. The program's connection is made anew
// afterwards (whatever happened), so that it sees the restored tables and their schema is checked.
RestoreOutcome restore(Database &database, const QString &file, QString *error, const Limits &limits = {});

} // namespace serverbackup
