#include "store/serverconnection.h"

#include "store/database.h"
#include "store/dialect.h"

#include <QHash>
#include <libpq-fe.h>
#include <optional>
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

bool connectionLost(PGconn *connection) {
    return PQstatus(connection) == CONNECTION_BAD;
}

// The string's keys and values as libpq reads them; nothing, with libpq's reason, when it cannot.
std::optional<QHash<QByteArray, QString>> parsed(const QString &connectionString, QString *error = nullptr) {
    char *message = nullptr;
    PQconninfoOption *options = PQconninfoParse(connectionString.toUtf8().constData(), &message);
    if (!options) {
        if (error) *error = QString::fromUtf8(message ? message : "").trimmed();
        PQfreemem(message);
        return std::nullopt;
    }
    QHash<QByteArray, QString> values;
    for (PQconninfoOption *option = options; option->keyword; ++option)
        if (option->val) values.insert(option->keyword, QString::fromUtf8(option->val));
    PQconninfoFree(options);
    return values;
}
} // namespace

QString valueOf(const QString &connectionString, const char *key) {
    const auto values = parsed(connectionString);
    return values ? values->value(key) : QString();
}

QString describe(const QString &connectionString, QString *error) {
    const auto values = parsed(connectionString, error);
    if (!values) return {};
    const auto first = [&](std::initializer_list<const char *> keys, const char *otherwise) {
        for (const char *key : keys)
            if (!values->value(key).isEmpty()) return values->value(key);
        return QString::fromLatin1(otherwise);
    };
    return first({"host", "hostaddr"}, "localhost") + QLatin1Char(':') + first({"port"}, "5432") +
           QLatin1Char('/') + first({"dbname", "user"}, "");
}

QString completed(const QString &connectionString) {
    QString text = connectionString.trimmed();
    if (valueOf(text, "connect_timeout").isEmpty()) text += QStringLiteral(" connect_timeout=5");
    if (valueOf(text, "application_name").isEmpty())
        text += QStringLiteral(" application_name=") + QLatin1String(ApplicationName);
    return text;
}

pg_result *run(Database &database, const QString &statement, const QVariantList &binds) {
    auto *connection = static_cast<PGconn *>(database.serverHandle());
    if (!connection) {
        database.setError(QStringLiteral("数据库未打开"));
        return nullptr;
    }
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
        PGresult *result = PQexecParams(connection, sql.constData(), static_cast<int>(values.size()), nullptr,
                                        values.data(), nullptr, nullptr, 0);
        const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
        if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) return result;
        const QString message = QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(connection));
        PQclear(result);
        if (attempt == 0 && connectionLost(connection) && database.reconnectServer()) continue;
        database.setError(message.trimmed());
        return nullptr;
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
