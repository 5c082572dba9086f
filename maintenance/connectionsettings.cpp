#include "maintenance/connectionsettings.h"

#include "store/serverconnection.h"
#include "store/settingsstore.h"

#include <QDir>
#include <libpq-fe.h>
#include <memory>
#include <pwd.h>
#include <unistd.h>

namespace connectionsettings {
namespace {
QString orDefault(const QString &value, const char *variable, const QString &builtIn) {
    if (!value.isEmpty()) return value;
    const QString fromEnvironment = qEnvironmentVariable(variable);
    return fromEnvironment.isEmpty() ? builtIn : fromEnvironment;
}

// libpq's user when none is named: the system's name for this user.
QString systemUser() {
    const passwd *entry = ::getpwuid(::geteuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : qEnvironmentVariable("USER");
}

void append(QString &text, const QString &key, const QString &value) {
    if (value.isEmpty()) return;
    if (!text.isEmpty()) text += QLatin1Char(' ');
    text += key + QLatin1Char('=') + quotedValue(value);
}
} // namespace

QString quotedValue(const QString &value) {
    bool plain = !value.isEmpty();
    for (const QChar c : value)
        if (c.isSpace() || c == QLatin1Char('\'') || c == QLatin1Char('\\')) plain = false;
    if (plain) return value;
    QString text = QStringLiteral("'");
    for (const QChar c : value) {
        if (c == QLatin1Char('\'') || c == QLatin1Char('\\')) text += QLatin1Char('\\');
        text += c;
    }
    return text + QLatin1Char('\'');
}

QString connectionString(const Settings &settings) {
    if (!settings.server) return {};
    QString text;
    append(text, QStringLiteral("host"), settings.host.trimmed());
    append(text, QStringLiteral("port"), settings.port.trimmed());
    append(text, QStringLiteral("dbname"), settings.database);
    append(text, QStringLiteral("user"), settings.user);
    for (const auto &[key, value] : settings.others)
        append(text, key, value);
    return text;
}

std::optional<Settings> parse(const QString &connectionString, QString *error) {
    Settings settings;
    if (connectionString.trimmed().isEmpty()) return settings;
    const auto values = serverconnection::parsed(connectionString, error);
    if (!values) return std::nullopt;
    settings.server = true;
    for (const auto &[key, value] : *values) {
        if (key == "host")
            settings.host = value;
        else if (key == "port")
            settings.port = value;
        else if (key == "dbname")
            settings.database = value;
        else if (key == "user")
            settings.user = value;
        else if (key == "password")
            settings.password = value;
        else
            settings.others.append({QString::fromLatin1(key), value});
    }
    return settings;
}

QString problem(const Settings &settings) {
    if (!settings.server) return {};
    if (settings.host.trimmed().isEmpty()) return QStringLiteral("请输入数据库服务器的地址或名称！");
    const QString port = settings.port.trimmed();
    bool number = false;
    const int value = port.toInt(&number);
    if (!port.isEmpty() && (!number || value < 1 || value > 65535 || port.startsWith(QLatin1Char('+'))))
        return QStringLiteral("端口必须是 1 到 65535 之间的整数！");
    if (settings.database.isEmpty()) return QStringLiteral("请输入数据库名！");
    return pgpass::refusal(passwordKey(settings), settings.password);
}

pgpass::Key passwordKey(const Settings &settings) {
    pgpass::Key key;
    key.host = orDefault(settings.host.trimmed(), "PGHOST", QStringLiteral("localhost"));
    // libpq files the server's usual socket folder under "localhost".
    if (key.host == QStringLiteral("/var/run/postgresql") || key.host == QStringLiteral("/run/postgresql"))
        key.host = QStringLiteral("localhost");
    key.port = orDefault(settings.port.trimmed(), "PGPORT", QString::fromLatin1(DefaultPort));
    key.user = orDefault(settings.user, "PGUSER", systemUser());
    key.database = orDefault(settings.database, "PGDATABASE", key.user);
    return key;
}

bool save(const Settings &settings, SettingsStore &store, const QString &passwordFile, QString *error) {
    QString ignored;
    if (!error) error = &ignored;
    if (const QString why = problem(settings); !why.isEmpty()) {
        *error = why;
        return false;
    }
    if (settings.server && !settings.password.isEmpty() &&
        !pgpass::store(passwordFile, passwordKey(settings), settings.password, error))
        return false;
    return store.write(QStringLiteral("database"), connectionString(settings), error);
}

QString failureMessage(const QString &server, const QString &reason) {
    return QStringLiteral("无法连接数据库服务器“%1”。\n服务器的回答：%2").arg(server, reason.trimmed());
}

TestResult testConnection(const Settings &settings, int timeoutSeconds) {
    if (const QString why = problem(settings); !why.isEmpty()) return {false, why};
    if (!settings.server) return {false, QStringLiteral("本机数据文件 data.mdb 不需要测试连接。")};
    const QString string = connectionString(settings);
    QString attempt = string + QStringLiteral(" connect_timeout=%1 application_name=%2")
                                   .arg(timeoutSeconds)
                                   .arg(QLatin1String(serverconnection::ApplicationName));
    if (!settings.password.isEmpty())
        attempt += QStringLiteral(" password=") + quotedValue(settings.password);
    const std::unique_ptr<PGconn, decltype(&PQfinish)> connection(PQconnectdb(attempt.toUtf8().constData()),
                                                                  &PQfinish);
    const QString server = serverconnection::describe(string);
    if (!connection || PQstatus(connection.get()) != CONNECTION_OK)
        return {false, failureMessage(server, QString::fromUtf8(PQerrorMessage(connection.get())))};
    const char *version = PQparameterStatus(connection.get(), "server_version");
    return {true, QStringLiteral("连接成功。\n服务器：%1\n服务器版本：PostgreSQL %2")
                      .arg(server, QString::fromUtf8(version ? version : "?"))};
}

} // namespace connectionsettings
