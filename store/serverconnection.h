#pragma once
// The shop's database on a PostgreSQL server: the connection string, and statements run over the
// connection's libpq handle (store/ only).
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>
#include <QVariantList>

class Database;
struct pg_conn;
struct pg_result;

namespace serverconnection {
// The connection string as given, with what a till needs added when it does not say otherwise: a
// limit on the wait for an unreachable server and for one that went away unseen, and the program's
// name for the server's list of connections (other tills are told apart by it).
QString completed(const QString &connectionString);
// "192.168.1.10:5432/shop" (the socket folder for a local server); empty when the string cannot be
// read, with the reason in `error`.
QString describe(const QString &connectionString, QString *error = nullptr);
// The string's keys and values as libpq reads them, in libpq's order of its keys; nothing, with libpq's
// reason, when it cannot.
using Keys = QList<QPair<QByteArray, QString>>;
std::optional<Keys> parsed(const QString &connectionString, QString *error = nullptr);
QString valueIn(const Keys &keys, const char *key);
// The value of one key of the string (host, port, dbname, user), or empty.
QString valueOf(const QString &connectionString, const char *key);

// Runs a statement in the shop's shape ("?" binds) and gives the server's result, or nullptr with the
// message in database.errorText(). A connection found lost before the statement is sent is made again
// when no transaction is open; a read that loses it on the way is asked again once of a new one. A
// write that loses it on the way is not sent again (the server may have done it): the message says
// that it is not known whether it was saved. Inside a transaction a lost connection fails the
// statement with a message that nothing was saved.
pg_result *run(Database &database, const QString &statement, const QVariantList &binds);
// Notes the server's word that it is ending the connection (from then on seenLost()); again after
// each new connection made over the same handle. forget() before the handle is closed.
void watchForEnding(pg_conn *connection);
void forget(pg_conn *connection);
// The server ended the connection (a restart, a shutdown, a terminated session, a dropped line):
// libpq saw it closed, or it is closed in what has arrived meanwhile (read without waiting).
bool seenLost(pg_conn *connection);
// The failure `result` (may be nullptr) came from a connection that is gone.
bool lostBy(pg_conn *connection, const pg_result *result);
// The messages for a transaction cut off with its connection, and for a write whose answer was lost.
QString lostInTransaction();
QString lostWithUnknownOutcome();
// Runs statements without binds and rows (schema steps, transaction control).
bool runScript(pg_conn *connection, const QByteArray &script, QString *error);
// The application name the program's connections carry.
constexpr auto ApplicationName = "jsjxc";
} // namespace serverconnection
