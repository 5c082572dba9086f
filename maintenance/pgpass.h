#pragma once
// The user's password file for the database server (~/.pgpass, or the file PGPASSFILE names), read and
// written by libpq's own rules, so that no password ever stands in vov.ini or the shop's database.
#include <QString>
#include <optional>

namespace pgpass {

// The four fields a line of the file is matched on, as libpq compares them (defaults already filled in:
// "localhost", "5432", the user name for the database).
struct Key {
    QString host;
    QString port;
    QString database;
    QString user;
    bool operator==(const Key &) const = default;
};

// PGPASSFILE when set, else ~/.pgpass: the file libpq reads.
QString defaultPath();

// One field written so that libpq reads it back unchanged: ':' and '\' escaped, a lone "*" (which libpq
// takes for "any") and a '#' that would start a comment line escaped too.
QString escapedField(const QString &value);
// The line for a key and a password, without its line end.
QString lineFor(const Key &key, const QString &password);

// The password libpq would take for the key from the file (the first line that matches, "*" matching
// anything); nothing when no line matches or the file cannot be read.
std::optional<QString> passwordFor(const QString &path, const Key &key);

// Why a password cannot be stored in the file (a line end in any field or the password), empty when it can.
QString refusal(const Key &key, const QString &password);

// Stores the password for exactly that key: the first line libpq would use for it is replaced when it
// names exactly this key, else the new line goes before it (or at the end when none matches); every
// other line is kept as it was. The file is written whole beside the old one with mode 0600 and put in
// its place with one rename, so it never stands half written or readable by others. A link is followed
// to the file it names. False with the reason in *error, the old file untouched.
bool store(const QString &path, const Key &key, const QString &password, QString *error);

// Whether libpq would ignore the file for its permissions (readable or writable by group or others), and
// a message for the user then; empty when the file is missing or fine.
QString permissionProblem(const QString &path);

} // namespace pgpass
