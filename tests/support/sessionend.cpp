#include "tests/support/sessionend.h"

#include "store/database.h"
#include "tests/support/testserver.h"

#include <QThread>
#include <csignal>
#include <libpq-fe.h>

namespace sessionend {

int backendPid(Database &database) {
    auto *connection = static_cast<PGconn *>(database.serverHandle());
    return connection && PQstatus(connection) == CONNECTION_OK ? PQbackendPID(connection) : 0;
}

bool terminate(Database &database, QString *error, const QString &adminConnection) {
    const int pid = backendPid(database);
    if (pid == 0) {
        *error = QStringLiteral("no session to end");
        return false;
    }
    const QByteArray conninfo =
        (adminConnection.isEmpty() ? testserver::serverConnection() : adminConnection).toUtf8();
    PGconn *admin = PQconnectdb(conninfo.constData());
    const QByteArray pidText = QByteArray::number(pid);
    const char *values[] = {pidText.constData()};
    error->clear();
    const auto ask = [&](const char *statement) {
        PGresult *result = PQexecParams(admin, statement, 1, nullptr, values, nullptr, nullptr, 0);
        const bool ok = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) == 1;
        const bool truth = ok && QByteArray(PQgetvalue(result, 0, 0)) == "t";
        if (!ok) *error = QString::fromUtf8(PQresultErrorMessage(result));
        PQclear(result);
        return truth;
    };
    bool gone = false;
    if (PQstatus(admin) != CONNECTION_OK)
        *error = QString::fromUtf8(PQerrorMessage(admin));
    else if (ask("SELECT pg_terminate_backend($1::integer)"))
        // Ended once the server no longer lists it: its last words are on their way to the program.
        for (int wait = 0; !gone && wait < 500 && error->isEmpty(); ++wait) {
            gone = !ask("SELECT EXISTS (SELECT 1 FROM pg_stat_activity WHERE pid = $1::integer)") &&
                   error->isEmpty();
            if (!gone) QThread::msleep(10);
        }
    PQfinish(admin);
    // Its connection is closed once the process is gone (the test server runs on this computer).
    for (int wait = 0; gone && wait < 500 && ::kill(pid, 0) == 0; ++wait)
        QThread::msleep(10);
    if (!gone && error->isEmpty()) *error = QStringLiteral("the session did not end");
    return gone;
}

bool installEndOnce(Database &database) {
    return database.execute(QStringLiteral("create sequence end_session_runs")) &&
           database.execute(QStringLiteral(
               "create function end_session_once() returns integer language plpgsql as $$ begin"
               " if nextval('end_session_runs') = 1 then"
               "  perform pg_terminate_backend(pg_backend_pid()); perform pg_sleep(30);"
               " end if; return 1; end $$"));
}

bool endOnceOn(Database &database, const QString &table, const QString &verb) {
    return installEndOnce(database) &&
           database.execute(
               QStringLiteral("create function end_session_trigger() returns trigger language plpgsql "
                              "as $$ begin perform end_session_once(); return null; end $$")) &&
           database.execute(QStringLiteral("create trigger end_session before ") + verb +
                            QStringLiteral(" on ") + table +
                            QStringLiteral(" for each statement execute function end_session_trigger()"));
}

int endOnceRuns(Database &database) {
    return database
        .scalar(QStringLiteral("select case when is_called then last_value else 0 end from end_session_runs"))
        .toInt();
}

} // namespace sessionend
