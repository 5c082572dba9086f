#include "bench/benchserver.h"

#include "store/database.h"

#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QStringList>
#include <charconv>
#include <cstdlib>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <utility>
#include <vector>

namespace benchserver {
namespace {
constexpr Oid Float8Oid = 701;
constexpr Oid Int8Oid = 20;

struct Started {
    bool tried = false;
    QString folder; // of the server this run started
    QString connection;
    QString why;
};

Started &started() {
    static Started server;
    return server;
}

void startThrowAway(Started &server) {
    const QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (versions.isEmpty()) {
        server.why =
            QStringLiteral("PostgreSQL is not installed (apt-get install postgresql): no server to measure");
        return;
    }
    QByteArray folder = QDir::temp().filePath(QStringLiteral("jsjxc-benchserver.XXXXXX")).toLocal8Bit();
    if (!mkdtemp(folder.data())) {
        server.why = QStringLiteral("no folder for the throw-away server");
        return;
    }
    QProcess script;
    script.start(QStringLiteral("bash"), {QStringLiteral(JSJXC_SOURCE_DIR "/scripts/testserver.sh"),
                                          QStringLiteral("start"), QString::fromLocal8Bit(folder)});
    script.waitForFinished(180'000);
    if (script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0) {
        server.why = QStringLiteral("the throw-away server did not start: ") +
                     QString::fromLocal8Bit(script.readAllStandardError()).trimmed();
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QString::fromLocal8Bit(folder)});
        return;
    }
    server.folder = QString::fromLocal8Bit(folder);
    server.connection = QString::fromLocal8Bit(script.readAllStandardOutput()).trimmed();
}

class Connection {
  public:
    explicit Connection(const QString &conninfo) : m_handle(PQconnectdb(conninfo.toUtf8().constData())) {}
    ~Connection() { PQfinish(m_handle); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    PGconn *get() const { return m_handle; }
    bool ok(QString *error) const {
        if (PQstatus(m_handle) == CONNECTION_OK) return true;
        *error = QString::fromUtf8(PQerrorMessage(m_handle)).trimmed();
        return false;
    }

  private:
    PGconn *m_handle;
};

// One value in COPY's text form.
void appendCopyValue(QByteArray &out, sqlite3_stmt *row, int c) {
    switch (sqlite3_column_type(row, c)) {
    case SQLITE_NULL:
        out += "\\N";
        return;
    case SQLITE_INTEGER:
        out += QByteArray::number(sqlite3_column_int64(row, c));
        return;
    case SQLITE_FLOAT: {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, sqlite3_column_double(row, c)).ptr;
        out.append(digits, end - digits);
        return;
    }
    default: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(row, c));
        const int size = sqlite3_column_bytes(row, c);
        for (int i = 0; i < size; ++i) {
            const char ch = text[i];
            if (ch == '\\')
                out += "\\\\";
            else if (ch == '\t')
                out += "\\t";
            else if (ch == '\n')
                out += "\\n";
            else if (ch == '\r')
                out += "\\r";
            else
                out += ch;
        }
    }
    }
}

// The file's rows of `table` streamed into the server's table of the same columns.
bool copyRows(sqlite3 *file, PGconn *server, const char *table, QString *error) {
    sqlite3_stmt *row = nullptr;
    if (sqlite3_prepare_v2(file, QByteArray(QByteArray("select * from ") + table).constData(), -1, &row,
                           nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(file));
        return false;
    }
    QByteArray copy = QByteArray("COPY ") + table + " (";
    for (int c = 0; c < sqlite3_column_count(row); ++c)
        copy += (c ? ",\"" : "\"") + QByteArray(sqlite3_column_name(row, c)).toLower() + '"';
    copy += ") FROM STDIN";
    PGresult *start = PQexec(server, copy.constData());
    const bool copying = PQresultStatus(start) == PGRES_COPY_IN;
    PQclear(start);
    if (!copying) {
        *error = QString::fromUtf8(PQerrorMessage(server)).trimmed();
        sqlite3_finalize(row);
        return false;
    }
    QByteArray chunk;
    bool sent = true;
    while (sent && sqlite3_step(row) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(row); ++c) {
            if (c) chunk += '\t';
            appendCopyValue(chunk, row, c);
        }
        chunk += '\n';
        if (chunk.size() > (1 << 20)) {
            sent = PQputCopyData(server, chunk.constData(), static_cast<int>(chunk.size())) == 1;
            chunk.clear();
        }
    }
    sqlite3_finalize(row);
    if (sent && !chunk.isEmpty())
        sent = PQputCopyData(server, chunk.constData(), static_cast<int>(chunk.size())) == 1;
    PQputCopyEnd(server, sent ? nullptr : "the file could not be read");
    PGresult *end = PQgetResult(server);
    const bool ok = PQresultStatus(end) == PGRES_COMMAND_OK;
    if (!ok) *error = QString::fromUtf8(PQresultErrorMessage(end)).trimmed();
    PQclear(end);
    while (PGresult *rest = PQgetResult(server))
        PQclear(rest);
    return ok;
}

// A table filled in bulk: its secondary indexes made afresh after the rows (far quicker than kept up
// row by row), its NOTIFY triggers quiet meanwhile, its identity continued after the copied IDs.
bool fillTable(sqlite3 *file, PGconn *server, const char *table, QString *error) {
    const QByteArray name(table);
    PGresult *indexes =
        PQexec(server, QByteArray("SELECT indexname, indexdef FROM pg_indexes WHERE schemaname ="
                                  " current_schema() AND tablename = '" +
                                  name + "' AND indexname NOT IN (SELECT conname FROM pg_constraint)")
                           .constData());
    if (PQresultStatus(indexes) != PGRES_TUPLES_OK) {
        *error = QString::fromUtf8(PQresultErrorMessage(indexes)).trimmed();
        PQclear(indexes);
        return false;
    }
    std::vector<QByteArray> definitions;
    bool ok = true;
    for (int i = 0; ok && i < PQntuples(indexes); ++i) {
        definitions.emplace_back(PQgetvalue(indexes, i, 1));
        ok = run(server, QByteArray("DROP INDEX \"") + PQgetvalue(indexes, i, 0) + '"', error);
    }
    PQclear(indexes);
    ok = ok && run(server, ("ALTER TABLE " + name + " DISABLE TRIGGER USER"), error) &&
         copyRows(file, server, table, error);
    for (const QByteArray &definition : definitions)
        ok = ok && run(server, definition, error);
    return ok && run(server, ("ALTER TABLE " + name + " ENABLE TRIGGER USER"), error) &&
           run(server,
               ("SELECT setval(pg_get_serial_sequence('" + name +
                "', 'id'), (SELECT coalesce(max(id), 0) + 1 FROM " + name + "), false)"),
               error);
}
} // namespace

QString connection(QString *why) {
    for (const char *variable : {"JSJXC_BENCH_SERVER", "JSJXC_TEST_SERVER"})
        if (!qEnvironmentVariableIsEmpty(variable)) return qEnvironmentVariable(variable);
    Started &server = started();
    if (!server.tried) {
        server.tried = true;
        startThrowAway(server);
    }
    if (server.connection.isEmpty()) *why = server.why;
    return server.connection;
}

void stop() {
    Started &server = started();
    if (server.folder.isEmpty()) return;
    QProcess::execute(QStringLiteral("bash"), {QStringLiteral(JSJXC_SOURCE_DIR "/scripts/testserver.sh"),
                                               QStringLiteral("stop"), server.folder});
    server = Started{};
}

bool run(PGconn *connection, const QByteArray &sql, QString *error) {
    PGresult *result = PQexec(connection, sql.constData());
    const ExecStatusType status = PQresultStatus(result);
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!ok)
        *error = QString::fromUtf8(sql) + QStringLiteral(": ") +
                 QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
    PQclear(result);
    return ok;
}

QString shopFrom(sqlite3 *file, const QString &name, bool withSales, QString *error) {
    const QString server = connection(error);
    if (server.isEmpty()) return {};
    {
        Connection admin(server);
        if (!admin.ok(error) || !run(admin.get(), "SET client_min_messages TO warning", error) ||
            !run(admin.get(), ("DROP DATABASE IF EXISTS " + name.toUtf8() + " WITH (FORCE)"), error) ||
            !run(admin.get(), ("CREATE DATABASE " + name.toUtf8()), error) ||
            // Each commit written out as the shop's server would (the throw-away server's files are not
            // flushed all the same).
            !run(admin.get(), ("ALTER DATABASE " + name.toUtf8() + " SET synchronous_commit = on"), error))
            return {};
    }
    const QString shop = server + QStringLiteral(" dbname=") + name;
    {
        Database schema;
        if (!schema.openServer(shop)) {
            *error = schema.errorText();
            return {};
        }
    }
    Connection filler(shop);
    if (!filler.ok(error) || !run(filler.get(), "SET maintenance_work_mem = '256MB'", error) ||
        !run(filler.get(), "BEGIN", error) || !fillTable(file, filler.get(), "data", error) ||
        (withSales && !fillTable(file, filler.get(), "data1", error)) ||
        !run(filler.get(), "COMMIT", error) || !run(filler.get(), "VACUUM ANALYZE", error))
        return {};
    // A change of the server's tables tried out before it is proposed (an index, a fill factor): one
    // statement a line in JSJXC_BENCH_TRY_SQL, run on the filled shop.
    for (const QString &statement :
         qEnvironmentVariable("JSJXC_BENCH_TRY_SQL").split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (!run(filler.get(), statement.toUtf8(), error)) return {};
    return shop;
}

int touchEveryValue(PGresult *result) {
    const int rows = PQntuples(result);
    const int columns = PQnfields(result);
    std::vector<Oid> types(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c)
        types[static_cast<std::size_t>(c)] = PQftype(result, c);
    std::vector<double> sums(static_cast<std::size_t>(columns), 0.0);
    std::size_t textBytes = 0;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            if (PQgetisnull(result, r, c)) continue;
            const char *value = PQgetvalue(result, r, c);
            const int length = PQgetlength(result, r, c);
            const Oid type = types[static_cast<std::size_t>(c)];
            if (type == Float8Oid || type == Int8Oid) {
                double number = 0;
                std::from_chars(value, value + length, number);
                sums[static_cast<std::size_t>(c)] += number;
            } else {
                textBytes += static_cast<std::size_t>(length);
            }
        }
    PQclear(result);
    volatile double keep = sums.empty() ? 0 : sums.front();
    volatile std::size_t keepBytes = textBytes;
    (void)keep;
    (void)keepBytes;
    return rows;
}

} // namespace benchserver
