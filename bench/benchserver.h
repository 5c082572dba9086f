#pragma once
// The PostgreSQL server the server benchmarks run on: the one named by JSJXC_BENCH_SERVER (or
// JSJXC_TEST_SERVER), or else a throw-away one started through scripts/testserver.sh for the run and
// stopped at its end. Shop databases on it are filled with the rows of a data.mdb, so that both engines
// are measured on the same goods and sales.
#include <QByteArray>
#include <QString>

struct pg_conn;
struct pg_result;
struct sqlite3;

namespace benchserver {

// The server's connection string (its maintenance database), starting the throw-away server on first
// use; empty with the reason in *why when there is no server (PostgreSQL not installed).
QString connection(QString *why);
// Stops the server this run started; the one named by the environment is left alone.
void stop();

// A fresh database `name` on the server (one left by an earlier run is dropped first) with the
// program's tables (Database::openServer), holding copies of the file's rows of data and, when
// withSales, data1, same IDs; its connection string, or empty with the reason in *error.
QString shopFrom(sqlite3 *file, const QString &name, bool withSales, QString *error);

// Runs a statement for its effect; false with the server's message in *error.
bool run(pg_conn *connection, const QByteArray &sql, QString *error);

// The floor of a list read on the server: every value of the result taken, figures parsed as the
// program's loader parses them. Clears the result; returns its rows.
int touchEveryValue(pg_result *result);

} // namespace benchserver
