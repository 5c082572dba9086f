#pragma once
// Writes the engine refuses, made the same way on either engine: a trigger that fails every insert,
// update or delete of one table with a message of the test's own (SQLite's raise(abort, …); on the
// server a PL/pgSQL function that raises it), and a table taken out of the readers' way.
#include <QString>

class Database;

namespace failingwrite {

enum class Change { Insert, Update, Delete };

// From now on every such change of `table` fails with `message`; false (the engine's reason in
// database.errorText()) when the trigger cannot be made.
[[nodiscard]] bool refuse(Database &database, const QString &table, Change change, const QString &message);
// Takes the trigger away again: the same writes succeed.
[[nodiscard]] bool allow(Database &database, const QString &table, Change change);
// Every statement that names `table` fails from now on (the table is renamed out of the way).
[[nodiscard]] bool hideTable(Database &database, const QString &table);

} // namespace failingwrite
