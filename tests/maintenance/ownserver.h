#pragma once
// A PostgreSQL server of a test's own (scripts/testserver.sh), for what the shared throw-away server
// must not be changed for: logins that need a password. Stopped and removed when it goes.
#include "maintenance/connectionsettings.h"
#include "store/serverconnection.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <libpq-fe.h>

class OwnServer {
  public:
    OwnServer() {
        QByteArray folder = QDir::tempPath().toUtf8() + QByteArray("/jsjxc-ownserver.XXXXXX");
        if (!::mkdtemp(folder.data())) return;
        m_folder = QString::fromUtf8(folder);
        const QString script = QFileInfo(QString::fromUtf8(__FILE__))
                                   .absoluteDir()
                                   .filePath(QStringLiteral("../../scripts/testserver.sh"));
        m_script = QDir::cleanPath(script);
        FILE *output = ::popen(command("start", "2>&1").constData(), "r");
        if (!output) return;
        QByteArray text;
        char buffer[512];
        while (const size_t read = std::fread(buffer, 1, sizeof buffer, output))
            text.append(buffer, qsizetype(read));
        // The string is the last line; the server's tools may complain before it (a working folder its
        // user cannot enter).
        const QString said = QString::fromUtf8(text).trimmed();
        const QString last = said.section(QLatin1Char('\n'), -1);
        if (::pclose(output) == 0 && last.startsWith(QStringLiteral("host=")))
            m_connection = last;
        else
            m_problem = said;
    }
    ~OwnServer() {
        // Nothing to do about a failed stop but leave the folder.
        if (!m_folder.isEmpty() && std::system(command("stop", ">/dev/null 2>&1").constData()) != 0) {
        }
    }
    OwnServer(const OwnServer &) = delete;
    OwnServer &operator=(const OwnServer &) = delete;

    bool started() const { return !m_connection.isEmpty(); }
    QString problem() const { return m_problem; }
    // The superuser's connection over the server's socket (trusted).
    QString connection() const { return m_connection; }
    QString port() const { return serverconnection::valueOf(m_connection, "port"); }

    // Runs a statement as the superuser; the server's message when it fails.
    QString run(const QByteArray &sql) const {
        PGconn *connection = PQconnectdb(m_connection.toUtf8().constData());
        QString error;
        if (PQstatus(connection) != CONNECTION_OK) {
            error = QString::fromUtf8(PQerrorMessage(connection));
        } else {
            PGresult *result = PQexec(connection, sql.constData());
            const ExecStatusType status = PQresultStatus(result);
            if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
                error = QString::fromUtf8(PQresultErrorMessage(result));
            PQclear(result);
        }
        PQfinish(connection);
        return error;
    }

    // Logins of `role` over 127.0.0.1 need its password from now on (the socket stays trusted); empty
    // when done, else why not.
    QString requirePasswordOverTcp(const QString &role) const {
        QFile rules(m_folder + QStringLiteral("/data/pg_hba.conf"));
        if (!rules.open(QIODevice::ReadWrite)) return QStringLiteral("pg_hba.conf cannot be opened");
        const QByteArray old = rules.readAll();
        // The first line that fits a login decides.
        rules.resize(0);
        rules.seek(0);
        rules.write("host all \"" + role.toUtf8() + "\" 127.0.0.1/32 scram-sha-256\n" + old);
        rules.close();
        if (const QString error = run("SELECT pg_reload_conf()"); !error.isEmpty()) return error;
        // The server reads the file again a moment later.
        const QByteArray attempt = "host=127.0.0.1 port=" + port().toUtf8() +
                                   " user=" + connectionsettings::quotedValue(role).toUtf8() +
                                   " dbname=postgres passfile=/nonexistent/pgpass connect_timeout=2";
        for (int tries = 0; tries < 100; ++tries) {
            PGconn *connection = PQconnectdb(attempt.constData());
            const bool asked = PQstatus(connection) != CONNECTION_OK && PQconnectionNeedsPassword(connection);
            PQfinish(connection);
            if (asked) return {};
            QThread::msleep(50);
        }
        return QStringLiteral("the server still lets the role in without a password");
    }

  private:
    QByteArray command(const char *what, const char *redirection) const {
        return QByteArray("bash '") + m_script.toUtf8() + "' " + what + " '" + m_folder.toUtf8() + "' " +
               redirection;
    }

    QString m_folder;
    QString m_script;
    QString m_connection;
    QString m_problem;
};

// A server the tests may make databases on: the suite's throw-away server when scripts/test.sh started
// one, else one of this test program's own (started at the first call).
inline QString reachableServer(QString *problem = nullptr) {
    const QString shared = qEnvironmentVariable("JSJXC_TEST_SERVER");
    if (!shared.isEmpty()) return shared;
    static OwnServer own;
    if (problem) *problem = own.problem();
    return own.connection();
}
