#pragma once
// Turns statements written in the shop's SQL shape into an engine's.
// SQLite: #yyyy-mm-dd# date constants become date texts, and year()/month()/day() exist as functions
// on the connection. Bracketed digit columns ("[7]") and like with "%" are SQLite already. A row lock
// ("for update" at the end) is SQLite's whole-database write lock already, taken by the transaction.
// PostgreSQL: bracketed columns become quoted names, date constants texts, like ignores the letters'
// case with no escape character (as on SQLite, "%" and "_" stay wildcards and "\" is a plain
// character), ifnull() is coalesce(), and each ordering puts NULL first as SQLite does. year(),
// month() and day() are functions the schema makes on the server.
#include <QString>

namespace dialect {
QString toSqlite(const QString &statement);
QString toPostgres(const QString &statement);
// "?" placeholders outside literals numbered as libpq wants them: $1, $2, ...
QString numberedPlaceholders(const QString &statement);
// Adds year(), month() and day() over "yyyy-mm-dd..." texts to an open sqlite3 connection.
bool registerFunctions(void *sqliteHandle);
} // namespace dialect
