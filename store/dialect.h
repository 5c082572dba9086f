#pragma once
// Turns statements written in the shop's SQL shape into SQLite's: #yyyy-mm-dd# date constants become
// date texts, and year()/month()/day() exist as functions on the connection. Bracketed digit columns
// ("[7]") and like with "%" are SQLite already.
#include <QString>

namespace dialect {
QString toSqlite(const QString &statement);
// Adds year(), month() and day() over "yyyy-mm-dd..." texts to an open sqlite3 connection.
bool registerFunctions(void *sqliteHandle);
} // namespace dialect
