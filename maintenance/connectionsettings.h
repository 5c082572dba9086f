#pragma once
// Where the shop's database is, as the connection window shows it: data.mdb, or a server's host, port,
// database and user. Written to the settings' "database" as a libpq connection string (the password
// goes to the password file, never into the string), read back from one, and tried out.
#include "maintenance/pgpass.h"

#include <QList>
#include <QPair>
#include <QString>
#include <optional>

class SettingsStore;

namespace connectionsettings {

struct Settings {
    bool server = false;
    QString host;
    QString port;
    QString database;
    QString user;
    // Never part of connectionString(); kept in the password file.
    QString password;
    // What else the string said (sslmode=…, connect_timeout=…): kept as it was when the string is
    // written again.
    QList<QPair<QString, QString>> others;
};

constexpr auto DefaultPort = "5432";

// A value as libpq reads it back: quoted, with ' and \ escaped, when it is empty or holds a space, a
// quote or a backslash; else as it is.
QString quotedValue(const QString &value);
// "host=… port=… dbname=… user=…" (empty fields left out) and the other keys; empty for data.mdb.
QString connectionString(const Settings &settings);
// The settings a string stands for (empty: data.mdb); nothing, with libpq's reason in *error, when
// libpq cannot read it.
std::optional<Settings> parse(const QString &connectionString, QString *error = nullptr);

// What is wrong with the fields, for the user; empty when they can be saved or tried.
QString problem(const Settings &settings);
// The password file's key for the settings, with libpq's defaults for what is left empty.
pgpass::Key passwordKey(const Settings &settings);

// Writes the string to the store's "database" and a password (when one is given) to the password file,
// the password first: when either cannot be written nothing has changed. False with the reason.
bool save(const Settings &settings, SettingsStore &store, const QString &passwordFile, QString *error);

struct TestResult {
    bool connected = false;
    QString message; // "连接成功" with the server's version, or why not
};
// Connects once, on a connection of its own that is closed again at once, waiting at most
// `timeoutSeconds` for the server; the typed password is used when one is given, else the password file.
TestResult testConnection(const Settings &settings, int timeoutSeconds = 3);
// The message for a connection that failed: the server and libpq's reason.
QString failureMessage(const QString &server, const QString &reason);

} // namespace connectionsettings
