#pragma once
// The server's ID counters (identity columns) and rows stored with IDs of their own: a till takes the
// next ID from the counter, so a counter left below the highest stored ID would hand out an ID that is
// already taken. The file engine takes the next ID from the rows themselves and needs none of this.
#include <QString>

class Database;
struct pg_conn;

namespace identitycounters {
// Sets the counter of table.column to `highest` (the highest ID stored, or one given out before), never
// lower than where it stands: IDs handed out and not stored are not given again. Inside the caller's
// transaction. Nothing for highest < 1.
bool raiseTo(pg_conn *connection, const char *table, const char *column, qint64 highest, QString *error);
// Brings the counter of table.column up to the highest stored ID when rows were stored with IDs of
// their own, before a new row takes one. A cheap look when the counter is not behind; otherwise the
// table is locked against other inserts for the moment of the change (in the caller's transaction, or a
// short one of its own). True at once on the file engine.
bool catchUp(Database &database, const char *table, const char *column);
} // namespace identitycounters
