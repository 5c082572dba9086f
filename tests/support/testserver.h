#pragma once
// The tests' second engine: when JSJXC_TEST_ENGINE=server, each TestEnv gets a fresh database of its
// own on the throw-away server named by JSJXC_TEST_SERVER (see scripts/testserver.sh).
#include <QString>

namespace testserver {
// The tests run on the server.
bool active();
// The server's connection string (its maintenance database).
QString serverConnection();
// A new database with the program's tables and the super administrator; its connection string.
QString createDatabase(QString *name);
void dropDatabase(const QString &name);
// The same string for another database of the server.
QString connectionFor(const QString &databaseName);
} // namespace testserver

// Skips a test of what only the file has (its bytes, its companions, its locks).
#define SKIP_ON_SERVER(why)                                                                            \
    do {                                                                                               \
        if (testserver::active()) GTEST_SKIP() << why;                                                 \
    } while (0)
