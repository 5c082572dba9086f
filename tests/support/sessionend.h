#pragma once
// The program's session on the server ended under it, as a restart, a shutdown or an administrator
// ends it: from another connection while the program is idle, or by the server in the middle of one
// of the program's statements (once; the same statement passes afterwards).
#include <QString>

class Database;

namespace sessionend {

// Ends the database's session from a connection to `adminConnection` (the test server's maintenance
// database when empty) and waits until the server has let it go. False with the reason.
[[nodiscard]] bool terminate(Database &database, QString *error, const QString &adminConnection = {});
// The server process of the database's session (0 without one).
int backendPid(Database &database);
// `select end_session_once()` ends the session that runs it the first time it runs, before it
// answers; later ones give 1.
[[nodiscard]] bool installEndOnce(Database &database);
// The first insert, update or delete (`verb`) of `table` after this ends its session midway.
[[nodiscard]] bool endOnceOn(Database &database, const QString &table, const QString &verb);
// How often end_session_once() ran, wherever it was called from.
int endOnceRuns(Database &database);

} // namespace sessionend
