// The shop's database on a PostgreSQL server.
#include "store/database.h"
#include "store/serverconnection.h"
#include "store/serverschema.h"

#include <QSqlDriver>
#include <QSqlError>
#include <libpq-fe.h>

bool Database::openServer(const QString &connectionString) {
    close();
    m_engine = Engine::Server;
    m_path.clear();
    m_server = connectionString;
    m_error.clear();
    QString unreadable;
    if (serverconnection::describe(connectionString, &unreadable).isEmpty()) {
        m_error = QStringLiteral("数据库连接设置有误：%1").arg(unreadable);
        return false;
    }
    if (!openServerConnection()) {
        close();
        return false;
    }
    auto *handle = static_cast<PGconn *>(serverHandle());
    if (!serverschema::prepare(handle, &m_error)) {
        m_error = QStringLiteral("数据库服务器“%1”：%2").arg(description(), m_error);
        close();
        return false;
    }
    return true;
}

bool Database::openServerConnection() {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
    if (!db.isValid()) {
        m_error = QStringLiteral("缺少 PostgreSQL 数据库驱动（libqt6sql6-psql），无法连接数据库服务器。");
        return false;
    }
    // The whole libpq string goes to the driver as it is: every key libpq knows works (sslmode, a
    // service, ...), and the password stays in ~/.pgpass.
    db.setConnectOptions(serverconnection::completed(m_server));
    if (!db.open()) {
        m_error = QStringLiteral("无法连接数据库服务器“%1”：%2")
                      .arg(description(), db.lastError().databaseText().trimmed().isEmpty()
                                              ? db.lastError().text()
                                              : db.lastError().databaseText().trimmed());
        return false;
    }
    serverconnection::watchForEnding(static_cast<PGconn *>(serverHandle()));
    return true;
}

void *Database::serverHandle() const {
    if (m_engine != Engine::Server || !QSqlDatabase::contains(m_connectionName)) return nullptr;
    const QVariant handle = connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "pg_conn*") != 0) return nullptr;
    return *static_cast<PGconn *const *>(handle.constData());
}

bool Database::reconnectServer() {
    auto *handle = static_cast<PGconn *>(serverHandle());
    if (!handle) {
        m_error = QStringLiteral("数据库未打开");
        return false;
    }
    if (m_inTransaction) return false;
    // The same connection string, the wait for an unreachable server limited by its connect_timeout.
    PQreset(handle);
    serverconnection::watchForEnding(handle);
    QString reason;
    if (PQstatus(handle) != CONNECTION_OK) {
        reason = QString::fromUtf8(PQerrorMessage(handle)).trimmed();
    } else if (serverconnection::runScript(
                   handle, "SET client_encoding TO 'UTF8'; SET client_min_messages TO warning", &reason)) {
        return true;
    }
    m_error = QStringLiteral("与数据库服务器的连接已断开，现在连不上“%1”：%2\n服务器恢复后请再做一次。")
                  .arg(description(), reason);
    return false;
}

bool Database::beginOnServer() {
    auto *handle = static_cast<PGconn *>(serverHandle());
    if (!handle) {
        m_error = QStringLiteral("数据库未打开");
        return false;
    }
    // A connection lost while no transaction was open is made again before the transaction starts; one
    // lost just as BEGIN went out held nothing yet, so BEGIN is sent once more over a new one.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (serverconnection::seenLost(handle) && !reconnectServer()) return false;
        if (serverconnection::runScript(handle, "BEGIN", &m_error)) {
            m_inTransaction = true;
            return true;
        }
        if (PQstatus(handle) != CONNECTION_BAD) return false;
    }
    return false;
}

bool Database::commitOnServer() {
    auto *handle = static_cast<PGconn *>(serverHandle());
    // A connection closed before COMMIT went out took the transaction with it: nothing was saved.
    if (!handle || serverconnection::seenLost(handle)) {
        m_error = serverconnection::lostInTransaction();
        rollback();
        return false;
    }
    m_inTransaction = false;
    PGresult *result = PQexec(handle, "COMMIT");
    const bool answered = result && PQresultStatus(result) == PGRES_COMMAND_OK;
    // A transaction in which a statement failed ends in a rollback even when asked to commit.
    const bool committed = answered && qstrcmp(PQcmdStatus(result), "COMMIT") == 0;
    if (committed) {
        PQclear(result);
        return true;
    }
    if (serverconnection::lostBy(handle, result))
        m_error = serverconnection::lostWithUnknownOutcome();
    else if (answered)
        m_error = QStringLiteral("数据库服务器撤销了这次操作，没有保存。");
    else
        m_error = QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(handle)).trimmed();
    // Whatever the answer, the server has ended the transaction: nothing to roll back.
    PQclear(result);
    return false;
}

QString Database::description() const {
    if (m_engine == Engine::File) return m_path;
    return serverconnection::describe(m_server);
}
