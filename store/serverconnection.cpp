#include "store/serverconnection.h"

#include "store/database.h"
#include "store/dialect.h"

#include <libpq-fe.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <unordered_set>
#include <vector>

namespace serverconnection {
namespace {
QByteArray parameterText(const QVariant &value) {
    switch (value.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return QByteArray::number(value.toDouble(), 'g', 17);
    case QMetaType::Bool:
        return value.toBool() ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
    default:
        return value.toString().toUtf8();
    }
}

// A statement that only reads: run again on a new connection when the first one was lost under it.
// Anything else may have been done by the server before the answer was lost.
bool onlyReads(const QString &statement) {
    const QString text = statement.trimmed();
    return text.startsWith(QLatin1String("select"), Qt::CaseInsensitive) &&
           (text.size() == 6 || !text.at(6).isLetterOrNumber());
}

QString failureText(PGconn *connection, const PGresult *result) {
    const char *text = result ? PQresultErrorMessage(result) : nullptr;
    if (!text || !*text) text = PQerrorMessage(connection);
    return QString::fromUtf8(text).trimmed();
}
} // namespace

std::optional<Keys> parsed(const QString &connectionString, QString *error) {
    char *message = nullptr;
    PQconninfoOption *options = PQconninfoParse(connectionString.toUtf8().constData(), &message);
    if (!options) {
        if (error) *error = QString::fromUtf8(message ? message : "").trimmed();
        PQfreemem(message);
        return std::nullopt;
    }
    Keys values;
    for (PQconninfoOption *option = options; option->keyword; ++option)
        if (option->val) values.append({QByteArray(option->keyword), QString::fromUtf8(option->val)});
    PQconninfoFree(options);
    return values;
}

QString valueIn(const Keys &keys, const char *key) {
    for (const auto &[name, value] : keys)
        if (name == key) return value;
    return {};
}

QString valueOf(const QString &connectionString, const char *key) {
    const auto values = parsed(connectionString);
    return values ? valueIn(*values, key) : QString();
}

QString describe(const QString &connectionString, QString *error) {
    const auto values = parsed(connectionString, error);
    if (!values) return {};
    const auto first = [&](std::initializer_list<const char *> keys, const char *otherwise) {
        for (const char *key : keys)
            if (const QString value = valueIn(*values, key); !value.isEmpty()) return value;
        return QString::fromLatin1(otherwise);
    };
    return first({"host", "hostaddr"}, "localhost") + QLatin1Char(':') + first({"port"}, "5432") +
           QLatin1Char('/') + first({"dbname", "user"}, "");
}

QString completed(const QString &connectionString) {
    QString text = connectionString.trimmed();
    if (valueOf(text, "connect_timeout").isEmpty()) text += QStringLiteral(" connect_timeout=5");
    // A server that went away without closing the connection (a pulled cable, a computer switched off)
    // fails the statement waiting on it within some twenty seconds, not the system's quarter of an hour.
    const std::pair<const char *, const char *> unseenLoss[] = {{"keepalives_idle", "10"},
                                                                {"keepalives_interval", "3"},
                                                                {"keepalives_count", "3"},
                                                                {"tcp_user_timeout", "10000"}};
    for (const auto &[key, value] : unseenLoss)
        if (valueOf(text, key).isEmpty())
            text += QLatin1Char(' ') + QLatin1String(key) + QLatin1Char('=') + QLatin1String(value);
    if (valueOf(text, "application_name").isEmpty())
        text += QStringLiteral(" application_name=") + QLatin1String(ApplicationName);
    return text;
}

namespace {
// Connections whose server said, while they were idle, that it is ending them ("terminating
// connection due to administrator command"): the close itself may follow a moment later.
std::mutex endingLock;
std::unordered_set<const void *> ending;
PQnoticeReceiver passedOn = nullptr;

void noticeEnding(void *connection, const PGresult *notice) {
    const char *severity = PQresultErrorField(notice, PG_DIAG_SEVERITY_NONLOCALIZED);
    if (severity && (qstrcmp(severity, "FATAL") == 0 || qstrcmp(severity, "PANIC") == 0)) {
        const std::lock_guard<std::mutex> locked(endingLock);
        ending.insert(connection);
    }
    // Passed on to libpq's own receiver, which hands it to the connection's notice processor.
    if (passedOn) passedOn(nullptr, notice);
}

bool saidEnding(const void *connection) {
    const std::lock_guard<std::mutex> locked(endingLock);
    return ending.count(connection) > 0;
}
} // namespace

void watchForEnding(pg_conn *connection) {
    if (!connection) return;
    const PQnoticeReceiver before = PQsetNoticeReceiver(connection, noticeEnding, connection);
    const std::lock_guard<std::mutex> locked(endingLock);
    if (before != noticeEnding) passedOn = before;
    ending.erase(connection);
}

void forget(pg_conn *connection) {
    const std::lock_guard<std::mutex> locked(endingLock);
    ending.erase(connection);
}

bool seenLost(pg_conn *connection) {
    if (!connection || PQstatus(connection) == CONNECTION_BAD || saidEnding(connection)) return true;
    // A server that ended the connection while it was idle has said so and closed it already: what has
    // arrived is taken without waiting (its last words, then the close), so that nothing is sent into
    // a closed connection.
    pollfd watched{PQsocket(connection), POLLIN, 0};
    if (watched.fd < 0) return true;
    for (int read = 0; read < 4 && ::poll(&watched, 1, 0) > 0; ++read)
        if (!PQconsumeInput(connection) || PQstatus(connection) == CONNECTION_BAD || saidEnding(connection))
            return true;
    return false;
}

bool lostBy(pg_conn *connection, const pg_result *result) {
    if (PQstatus(connection) == CONNECTION_BAD) return true;
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    if (!state) return false;
    const QByteArray code(state);
    // Class 08: the connection failed; 57P01-57P03: the server is shutting down or not yet up.
    return code.startsWith("08") || code == "57P01" || code == "57P02" || code == "57P03";
}

QString lostInTransaction() {
    return QStringLiteral("与数据库服务器的连接已断开，这次操作没有保存。连接恢复后请再做一次。");
}

QString lostWithUnknownOutcome() {
    return QStringLiteral("与数据库服务器的连接已断开，无法确认这次操作是否已保存，"
                          "请先查看销售明细和商品列表再决定是否重做。");
}

namespace {
bool readyToSend(Database &database) {
    auto *connection = static_cast<PGconn *>(database.serverHandle());
    if (!connection) {
        database.setError(QStringLiteral("数据库未打开"));
        return false;
    }
    if (!seenLost(connection)) return true;
    // What the transaction wrote is gone with the connection; the caller rolls back, and the next
    // action connects again.
    if (database.inTransaction()) {
        database.setError(lostInTransaction());
        return false;
    }
    return database.reconnectServer();
}
} // namespace

pg_result *run(Database &database, const QString &statement, const QVariantList &binds) {
    const QByteArray sql = dialect::numberedPlaceholders(database.toEngine(statement)).toUtf8();
    std::vector<QByteArray> texts;
    std::vector<const char *> values;
    texts.reserve(static_cast<std::size_t>(binds.size()));
    for (const QVariant &bind : binds) {
        if (!bind.isValid() || bind.isNull()) {
            texts.emplace_back();
            values.push_back(nullptr);
        } else {
            texts.push_back(parameterText(bind));
            values.push_back(texts.back().constData());
        }
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!readyToSend(database)) return nullptr;
        auto *connection = static_cast<PGconn *>(database.serverHandle());
        PGresult *result = PQexecParams(connection, sql.constData(), static_cast<int>(values.size()), nullptr,
                                        values.data(), nullptr, nullptr, 0);
        const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
        if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) return result;
        const QString message = failureText(connection, result);
        const bool lost = lostBy(connection, result);
        PQclear(result);
        if (!lost) {
            database.setError(message);
            return nullptr;
        }
        if (database.inTransaction()) {
            database.setError(lostInTransaction());
            return nullptr;
        }
        // A read is asked again of a new connection, once; a write is never sent twice: the server may
        // have done it before the answer was lost. The next action connects again.
        if (!onlyReads(statement)) {
            database.setError(lostWithUnknownOutcome());
            return nullptr;
        }
        database.setError(QStringLiteral("与数据库服务器的连接已断开：") + message);
    }
    return nullptr;
}

bool runScript(pg_conn *connection, const QByteArray &script, QString *error) {
    PGresult *result = PQexec(connection, script.constData());
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!ok && error)
        *error = QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(connection)).trimmed();
    PQclear(result);
    return ok;
}
} // namespace serverconnection
