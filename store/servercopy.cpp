#include "store/servercopy.h"

#include "store/database.h"
#include "store/identitycounters.h"
#include "store/serverconnection.h"
#include "store/servercopyparts.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <tuple>

namespace servercopy {
namespace {
using namespace parts;

constexpr Table kTables[] = {
    {"data", "id", "商品表"},
    {"data1", "id", "销售记录表"},
    {"userdb", "rowid", "用户表"},
    {"rz", "id", "登录日志表"},
    {"day_counters", nullptr, "票号计数表"},
};
// What each engine keeps beside the shop's tables: the file its day totals (the server adds them up
// in a view) and its own bookkeeping, the server the version of its tables.
const char *const kFileOnly[] = {"data1_days"};
const char *const kServerOnly[] = {"jsjxc_schema"};

QString fromServer(PGconn *server, PGresult *result) {
    return QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(server)).trimmed();
}

// The rows of a statement without binds; false with the reason.
bool serverRows(PGconn *server, const QByteArray &statement, QList<QStringList> *rows, QString *error) {
    PGresult *result = PQexec(server, statement.constData());
    const bool ok = PQresultStatus(result) == PGRES_TUPLES_OK;
    if (!ok) *error = fromServer(server, result);
    for (int r = 0; ok && r < PQntuples(result); ++r) {
        QStringList row;
        for (int c = 0; c < PQnfields(result); ++c)
            row << QString::fromUtf8(PQgetvalue(result, r, c));
        rows->append(row);
    }
    PQclear(result);
    return ok;
}

bool fileRows(sqlite3 *file, const QByteArray &statement, QList<QStringList> *rows, QString *error) {
    sqlite3_stmt *query = nullptr;
    if (sqlite3_prepare_v2(file, statement.constData(), -1, &query, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(file));
        return false;
    }
    int step;
    while ((step = sqlite3_step(query)) == SQLITE_ROW) {
        QStringList row;
        for (int c = 0; c < sqlite3_column_count(query); ++c)
            row << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(query, c)));
        rows->append(row);
    }
    sqlite3_finalize(query);
    if (step == SQLITE_DONE) return true;
    *error = QString::fromUtf8(sqlite3_errmsg(file));
    return false;
}

QByteArray quoted(const QString &name) {
    return '"' + name.toUtf8().replace('"', "\"\"") + '"';
}

// The shop's file, read-only, in one snapshot for the whole copy.
class Source {
  public:
    ~Source() { sqlite3_close(m_db); }
    sqlite3 *db() const { return m_db; }

    bool open(const QString &path, QString *error) {
        if (!QFileInfo(path).isFile()) {
            *error = QStringLiteral("没有找到数据库文件“%1”。").arg(path);
            return false;
        }
        int version = 0;
        if (!openReadOnly(path, &version, error)) return false;
        if (version < Database::SchemaVersion) {
            // The same as any start of the program on it: brought up to the program's tables first.
            sqlite3_close(m_db);
            m_db = nullptr;
            Database upgrade;
            if (!upgrade.open(path)) {
                *error = upgrade.errorText();
                return false;
            }
            upgrade.close();
            if (!openReadOnly(path, &version, error)) return false;
        }
        return begin(error);
    }

  private:
    bool openReadOnly(const QString &path, int *version, QString *error) {
        const QByteArray name = QFile::encodeName(path);
        QList<QStringList> rows;
        if (sqlite3_open_v2(name.constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
            !fileRows(m_db, "PRAGMA application_id", &rows, error) ||
            !fileRows(m_db, "PRAGMA user_version", &rows, error) || rows.size() != 2 ||
            rows[0].value(0).toLongLong() != Database::ApplicationId) {
            *error = QStringLiteral("文件“%1”不是本程序的数据库文件。").arg(path);
            return false;
        }
        *version = rows[1].value(0).toInt();
        if (*version > Database::SchemaVersion) {
            *error = QStringLiteral("数据库文件“%1”来自更新版本的程序（数据版本 %2，本程序支持到 %3），"
                                    "请先升级程序。")
                         .arg(path)
                         .arg(*version)
                         .arg(Database::SchemaVersion);
            return false;
        }
        return true;
    }
    bool begin(QString *error) {
        char *message = nullptr;
        // The snapshot starts with the first read and holds until the end.
        if (sqlite3_exec(m_db, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr, &message) == SQLITE_OK)
            return true;
        *error = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
        sqlite3_free(message);
        return false;
    }
    sqlite3 *m_db = nullptr;
};

// Tables neither side should have: one that the copy does not know would be left behind.
bool onlyKnownTables(sqlite3 *file, PGconn *server, QString *error) {
    QSet<QString> known;
    for (const Table &table : kTables)
        known << QLatin1String(table.name);
    QList<QStringList> fileTables, serverTables;
    if (!fileRows(file, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'",
                  &fileTables, error) ||
        !serverRows(server,
                    "SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema()"
                    " AND table_type = 'BASE TABLE'",
                    &serverTables, error))
        return false;
    for (const auto &[rows, own, where] :
         {std::tuple(&fileTables, std::span<const char *const>(kFileOnly), QStringLiteral("数据库文件")),
          std::tuple(&serverTables, std::span<const char *const>(kServerOnly), QStringLiteral("服务器上的数据库"))}) {
        for (const QStringList &row : *rows) {
            const QString name = row.value(0);
            if (known.contains(name.toLower()) || std::find(own.begin(), own.end(), name.toUtf8()) != own.end()) continue;
            *error = QStringLiteral("%1中有本程序不认识的表“%2”，复制不了。").arg(where, name);
            return false;
        }
    }
    return true;
}

// Each server column with the file's column of the same name; the file may have no column the server
// lacks. The users' ID is the file's hidden row number.
bool planTable(sqlite3 *file, PGconn *server, const Table &table, TablePlan *plan, QString *error) {
    QList<QStringList> serverColumns, fileColumns, count;
    const QByteArray name(table.name);
    if (!serverRows(server,
                    "SELECT column_name, data_type FROM information_schema.columns WHERE table_schema = "
                    "current_schema() AND table_name = '" + name + "' ORDER BY ordinal_position",
                    &serverColumns, error) ||
        !fileRows(file, "SELECT name FROM pragma_table_info('" + name + "')", &fileColumns, error) ||
        !fileRows(file, "SELECT count(*) FROM \"" + name + '"', &count, error))
        return false;
    plan->table = &table;
    plan->serverName = plan->fileName = quoted(QLatin1String(table.name));
    plan->rows = count.value(0).value(0).toLongLong();
    QStringList unmatched;
    for (const QStringList &row : fileColumns)
        unmatched << row.value(0);
    for (const QStringList &row : serverColumns) {
        Column column;
        column.name = row.value(0);
        column.server = quoted(column.name);
        const QString type = row.value(1);
        column.kind = type == QLatin1String("double precision")             ? Column::Kind::Figure
                      : type == QLatin1String("bigint") || type == QLatin1String("integer") ? Column::Kind::Whole
                                                                                            : Column::Kind::Text;
        const auto found = std::find_if(unmatched.begin(), unmatched.end(), [&](const QString &fileName) {
            return fileName.compare(column.name, Qt::CaseInsensitive) == 0;
        });
        if (found != unmatched.end()) {
            column.file = quoted(*found);
            unmatched.erase(found);
        } else if (table.identity && column.name == QLatin1String(table.identity)) {
            column.file = "rowid";
        } else {
            *error = QStringLiteral("数据库文件的%1缺少列 %2。").arg(labelOf(table), column.name);
            return false;
        }
        if (table.identity && column.name == QLatin1String(table.identity)) plan->fileOrder = column.file;
        plan->columns.push_back(column);
    }
    if (!unmatched.isEmpty()) {
        *error = QStringLiteral("数据库文件的%1有服务器上没有的列 %2，复制不了。")
                     .arg(labelOf(table), unmatched.join(QStringLiteral("、")));
        return false;
    }
    if (plan->fileOrder.isEmpty()) plan->fileOrder = "rowid";
    return true;
}

// Nothing but what openServer() makes: the one user it adds, the super administrator.
bool targetIsEmpty(PGconn *server, QString *error) {
    QStringList held;
    char *escaped = PQescapeLiteral(server, Database::SuperAdmin, qstrlen(Database::SuperAdmin));
    const QByteArray admin(escaped);
    PQfreemem(escaped);
    for (const Table &table : kTables) {
        const QByteArray name = quoted(QLatin1String(table.name));
        const bool users = qstrcmp(table.name, "userdb") == 0;
        QList<QStringList> rows;
        if (!serverRows(server,
                        "SELECT count(*), count(*) FILTER (WHERE " + (users ? "username = " + admin : QByteArray("false")) +
                            ") FROM " + name,
                        &rows, error))
            return false;
        const qint64 all = rows.value(0).value(0).toLongLong(), admins = rows.value(0).value(1).toLongLong();
        if (all > (users && admins == 1 ? 1 : 0))
            held << QStringLiteral("%1 %2 行").arg(labelOf(table)).arg(all);
    }
    if (held.isEmpty()) return true;
    *error = QStringLiteral("服务器上的这个数据库已有数据（%1），复制只往新建的空数据库里复制，"
                            "以免数据混在一起。请新建一个空数据库再复制。服务器数据库未被改动。")
                 .arg(held.join(QStringLiteral("，")));
    return false;
}

// The highest ID the file has given out in a table: its rows', or a deleted row's that the file would
// not give again (the log's counter).
bool highestGiven(sqlite3 *file, const TablePlan &plan, qint64 *highest, QString *error) {
    QList<QStringList> rows;
    if (!fileRows(file, "SELECT max(" + plan.fileOrder + ") FROM " + plan.fileName, &rows, error)) return false;
    *highest = rows.value(0).value(0).toLongLong();
    rows.clear();
    QString ignored; // a file without a counting table has no such counter
    if (fileRows(file, "SELECT seq FROM sqlite_sequence WHERE name = '" + QByteArray(plan.table->name) + "'",
                 &rows, &ignored))
        *highest = std::max(*highest, rows.value(0).value(0).toLongLong());
    return true;
}

// The triggers that tell the other tills of each changed row: a copy of a whole shop into a database
// no till works on yet would only flood them.
bool setTellingTills(PGconn *server, bool on, QString *error) {
    QList<QStringList> triggers;
    if (!serverRows(server,
                    "SELECT quote_ident(c.relname), quote_ident(t.tgname) FROM pg_trigger t"
                    " JOIN pg_class c ON c.oid = t.tgrelid WHERE NOT t.tgisinternal"
                    " AND c.relnamespace = current_schema()::regnamespace"
                    " AND t.tgfoid = coalesce(to_regproc('jsjxc_tell_tills')::oid, 0)",
                    &triggers, error))
        return false;
    for (const QStringList &trigger : triggers)
        if (!serverconnection::runScript(server,
                                         "ALTER TABLE " + trigger[0].toUtf8() + (on ? " ENABLE" : " DISABLE") +
                                             " TRIGGER " + trigger[1].toUtf8(),
                                         error))
            return false;
    return true;
}

// The tables' indexes (those of no key) dropped for the copy and made again after it: one pass over a
// million rows builds an index far sooner than a million insertions into it. The statements that
// make them again.
bool dropIndexes(PGconn *server, const QByteArray &tableNames, QList<QByteArray> *remake, QString *error) {
    QList<QStringList> indexes;
    if (!serverRows(server,
                    "SELECT quote_ident(i.relname), pg_get_indexdef(i.oid) FROM pg_index x"
                    " JOIN pg_class i ON i.oid = x.indexrelid JOIN pg_class t ON t.oid = x.indrelid"
                    " WHERE t.relnamespace = current_schema()::regnamespace AND t.relname IN (" + tableNames + ")"
                    " AND NOT EXISTS (SELECT 1 FROM pg_constraint c WHERE c.conindid = x.indexrelid)",
                    &indexes, error))
        return false;
    for (const QStringList &index : indexes) {
        if (!serverconnection::runScript(server, "DROP INDEX " + index[0].toUtf8(), error)) return false;
        remake->append(index[1].toUtf8());
    }
    return true;
}

QString summary(const std::vector<TablePlan> &plans) {
    QStringList parts;
    for (const TablePlan &plan : plans)
        parts << QStringLiteral("%1 %2 行").arg(labelOf(*plan.table)).arg(plan.rows);
    return parts.join(QStringLiteral("，"));
}
} // namespace

std::span<const Table> tables() {
    return kTables;
}

Result copyShop(const QString &filePath, Database &server, const Progress &progress) {
    const QString unchanged = QStringLiteral("服务器数据库未被改动。");
    auto *connection = static_cast<PGconn *>(server.serverHandle());
    if (server.engine() != Database::Engine::Server || !connection)
        return {Outcome::Refused, QStringLiteral("没有连接到数据库服务器，无法复制。"), 0};
    if (server.inTransaction())
        return {Outcome::Refused, QStringLiteral("数据库服务器上还有没有结束的操作，请稍后再复制。"), 0};
    Source source;
    QString error;
    if (!source.open(filePath, &error)) return {Outcome::Refused, error + unchanged, 0};
    if (!server.begin()) return {Outcome::Refused, server.errorText() + unchanged, 0};
    auto stop = [&](Outcome outcome, const QString &why) {
        server.rollback();
        return Result{outcome, why, 0};
    };

    QByteArray all;
    for (const Table &table : kTables)
        all += (all.isEmpty() ? "" : ", ") + quoted(QLatin1String(table.name));
    // Tills already connected may read meanwhile, not write.
    if (!serverconnection::runScript(connection, "SET LOCAL lock_timeout = '10s'; LOCK TABLE " + all +
                                                     " IN EXCLUSIVE MODE", &error))
        return stop(Outcome::Refused, QStringLiteral("服务器上的数据库正被别的收银台使用，请先关闭它们再复制（%1）。")
                                          .arg(error) + unchanged);
    if (!onlyKnownTables(source.db(), connection, &error) || !targetIsEmpty(connection, &error))
        return stop(Outcome::Refused, error.endsWith(unchanged) ? error : error + unchanged);
    std::vector<TablePlan> plans;
    Counter counter;
    counter.progress = &progress;
    for (const Table &table : kTables) {
        TablePlan plan;
        if (!planTable(source.db(), connection, table, &plan, &error)) return stop(Outcome::Refused, error + unchanged);
        counter.total += plan.rows;
        plans.push_back(std::move(plan));
    }
    if (!counter.report()) return stop(Outcome::Cancelled, QStringLiteral("复制已取消。") + unchanged);

    const QString undone = QStringLiteral("复制没有完成，已全部撤销，服务器数据库未被改动。\n");
    // The file's users take the place of the one the server's tables were made with.
    QByteArray names;
    for (const Table &table : kTables)
        names += (names.isEmpty() ? "'" : ", '") + QByteArray(table.name) + "'";
    QList<QByteArray> indexes;
    if (!serverconnection::runScript(connection, "DELETE FROM userdb", &error) ||
        !setTellingTills(connection, false, &error) || !dropIndexes(connection, names, &indexes, &error))
        return stop(Outcome::Failed, undone + error);
    for (const TablePlan &plan : plans) {
        if (!streamTable(source.db(), connection, plan, counter, &error))
            return counter.cancelled ? stop(Outcome::Cancelled, QStringLiteral("复制已取消。") + unchanged)
                                     : stop(Outcome::Failed, undone + error);
    }
    QString ignored; // a server that gives no more memory for the work builds the indexes all the same
    serverconnection::runScript(connection, "SET LOCAL maintenance_work_mem = '256MB'", &ignored);
    for (const QByteArray &index : indexes)
        if (!serverconnection::runScript(connection, index, &error)) return stop(Outcome::Failed, undone + error);
    for (const TablePlan &plan : plans)
        if (!checkTable(source.db(), connection, plan, &error)) return stop(Outcome::Failed, undone + error);
    // Last before the commit: a counter once moved stays moved even when the rest is rolled back.
    for (const TablePlan &plan : plans) {
        qint64 highest = 0;
        if (plan.table->identity && (!highestGiven(source.db(), plan, &highest, &error) ||
                                     !identitycounters::raiseTo(connection, plan.table->name,
                                                                plan.table->identity, highest, &error)))
            return stop(Outcome::Failed, undone + error);
    }
    if (!setTellingTills(connection, true, &error)) return stop(Outcome::Failed, undone + error);
    if (!server.commit())
        return {Outcome::Failed, QStringLiteral("复制的提交没有成功，服务器数据库未被改动。\n") + server.errorText(), 0};
    return {Outcome::Copied,
            QStringLiteral("已把“%1”复制到数据库服务器“%2”：%3。").arg(filePath, server.description(), summary(plans)),
            counter.copied};
}
} // namespace servercopy
