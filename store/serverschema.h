#pragma once
// The shop's tables on a PostgreSQL server: made on an empty database, brought up to the program's
// version on an older one, a newer or foreign one refused unchanged. Several tills starting at once
// make one schema: the work runs in one transaction under an advisory lock.
#include <QString>

struct pg_conn;

namespace serverschema {
bool prepare(pg_conn *connection, QString *error);
// The steps' scripts, by number from 1 (for the tests of the steps).
QByteArray step(int number);
} // namespace serverschema
