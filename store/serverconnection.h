#pragma once
// The shop's database on a PostgreSQL server: the connection string, and statements run over the
// connection's libpq handle (store/ only).
#include <QString>
#include <QVariantList>

class Database;
struct pg_conn;
struct pg_result;

namespace serverconnection {
// The connection string as given, with what a till needs added when it does not say otherwise: a
// limit on the wait for an unreachable server, and the program's name for the server's list of
// connections (other tills are told apart by it).
QString completed(const QString &connectionString);
// "192.168.1.10:5432/shop" (the socket folder for a local server); empty when the string cannot be
// read, with the reason in `error`.
QString describe(const QString &connectionString, QString *error = nullptr);
// The value of one key of the string (host, port, dbname, user), or empty.
QString valueOf(const QString &connectionString, const char *key);

// Runs a statement in the shop's shape ("?" binds) and gives the server's result, or nullptr with the
// message in database.errorText(). A connection lost outside a transaction is made again once.
pg_result *run(Database &database, const QString &statement, const QVariantList &binds);
// Runs statements without binds and rows (schema steps, transaction control).
bool runScript(pg_conn *connection, const QByteArray &script, QString *error);
// The application name the program's connections carry.
constexpr auto ApplicationName = "jsjxc";
} // namespace serverconnection
