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
    if (!handle || m_inTransaction) return false;
    PQreset(handle);
    if (PQstatus(handle) != CONNECTION_OK) {
        m_error = QStringLiteral("与数据库服务器“%1”的连接断开了：%2")
                      .arg(description(), QString::fromUtf8(PQerrorMessage(handle)).trimmed());
        return false;
    }
    QString ignored;
    serverconnection::runScript(handle, "SET client_encoding TO 'UTF8'", &ignored);
    return true;
}

QString Database::description() const {
    if (m_engine == Engine::File) return m_path;
    return serverconnection::describe(m_server);
}
