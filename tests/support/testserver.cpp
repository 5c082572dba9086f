#include "tests/support/testserver.h"

#include "store/database.h"

#include <QCoreApplication>
#include <atomic>
#include <libpq-fe.h>
#include <stdexcept>
#include <unistd.h>

namespace testserver {
namespace {
constexpr auto TemplateName = "jsjxc_template";

void run(PGconn *connection, const QByteArray &statement) {
    PGresult *result = PQexec(connection, statement.constData());
    const ExecStatusType status = PQresultStatus(result);
    const QByteArray message = PQresultErrorMessage(result);
    PQclear(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw std::runtime_error(QByteArray("test server: " + statement + ": " + message).toStdString());
}

PGconn *connectAdmin() {
    PGconn *connection = PQconnectdb(serverConnection().toUtf8().constData());
    if (PQstatus(connection) != CONNECTION_OK) {
        const std::string message = PQerrorMessage(connection);
        PQfinish(connection);
        throw std::runtime_error("test server: " + message);
    }
    return connection;
}
} // namespace

bool active() {
    return qgetenv("JSJXC_TEST_ENGINE") == "server";
}

QString serverConnection() {
    const QString text = qEnvironmentVariable("JSJXC_TEST_SERVER");
    if (text.isEmpty())
        throw std::runtime_error("JSJXC_TEST_ENGINE=server needs JSJXC_TEST_SERVER, the connection string of a "
                                 "throw-away server (scripts/testserver.sh start <folder>)");
    return text;
}

QString connectionFor(const QString &databaseName) {
    return serverConnection() + QStringLiteral(" dbname=") + databaseName;
}

QString createDatabase(QString *name) {
    static std::atomic<int> made{0};
    *name = QStringLiteral("t%1_%2").arg(::getpid()).arg(++made);
    PGconn *admin = connectAdmin();
    try {
        // The first test of a run makes the template; the others copy it, one at a time.
        run(admin, "SELECT pg_advisory_lock(4242)");
        PGresult *found =
            PQexec(admin, QByteArray(QByteArray("SELECT 1 FROM pg_database WHERE datname = '") + TemplateName + "'").constData());
        const bool exists = PQntuples(found) == 1;
        PQclear(found);
        if (!exists) {
            run(admin, QByteArray("CREATE DATABASE ") + TemplateName);
            Database schema;
            if (!schema.openServer(connectionFor(QLatin1String(TemplateName))))
                throw std::runtime_error(schema.errorText().toStdString());
        }
        run(admin, "CREATE DATABASE " + name->toUtf8() + " TEMPLATE " + TemplateName);
        run(admin, "SELECT pg_advisory_unlock(4242)");
    } catch (...) {
        PQfinish(admin);
        throw;
    }
    PQfinish(admin);
    return connectionFor(*name);
}

void dropDatabase(const QString &name) {
    PGconn *admin = connectAdmin();
    PGresult *result = PQexec(admin, QByteArray("DROP DATABASE IF EXISTS " + name.toUtf8() + " WITH (FORCE)").constData());
    PQclear(result);
    PQfinish(admin);
}
} // namespace testserver
