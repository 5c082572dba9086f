#include "store/database.h"

#include "store/dialect.h"
#include "store/passwords.h"
#include "store/serverconnection.h"
#include "store/servervalues.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <fcntl.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {
// A day's row of data1_days made again from the day's records; gone when the day has none left.
#define DAY_ADDED_UP_AGAIN(day)                                                                         \
    "DELETE FROM data1_days WHERE day1=" day ";"                                                        \
    "INSERT INTO data1_days SELECT day1, sum(a5), sum([4]) FROM data1 WHERE day1=" day " GROUP BY day1;"

// Each step brings the tables from the version before it to its own; they run in one transaction.
const char *const schemaSteps[] = {
    // 1: the four tables of the shop and the indexes its lists use.
    "CREATE TABLE data (ID INTEGER PRIMARY KEY, a TEXT, b TEXT, c TEXT, d TEXT, e TEXT, f TEXT, g TEXT,"
    " z TEXT, [1] REAL, [2] REAL, [3] REAL, [4] REAL, [5] REAL, [6] REAL, [7] REAL, [8] REAL, day1 TEXT);"
    "CREATE TABLE data1 (ID INTEGER PRIMARY KEY, a TEXT, b TEXT, c TEXT, d TEXT, e TEXT, f TEXT, g TEXT,"
    " h TEXT, i TEXT, j TEXT, k TEXT, l TEXT, m TEXT, n TEXT, o TEXT, p TEXT, q TEXT, r TEXT, s TEXT,"
    " t TEXT, u TEXT, v TEXT, w TEXT, x TEXT, y TEXT, z TEXT, [1] REAL, [2] REAL, [3] REAL, [4] REAL,"
    " a5 REAL, [6] REAL, [7] REAL, [8] REAL, [9] REAL, day1 TEXT, day2 TEXT, day3 TEXT, day4 TEXT,"
    " day5 TEXT, day6 TEXT);"
    "CREATE TABLE userdb (username TEXT, passwd TEXT);"
    "CREATE TABLE rz (id INTEGER PRIMARY KEY AUTOINCREMENT, username TEXT, btime TEXT, jtime TEXT);"
    "CREATE INDEX data_day1 ON data (day1);"
    "CREATE INDEX data1_z ON data1 (z);"
    "CREATE INDEX data1_day1 ON data1 (day1);",
    // 2: the customer look-ups of the sale panel (names while typing, the list after each ticket).
    "CREATE INDEX data1_g ON data1 (g);",
    // 3: the reports read indexes instead of every record. The sale date index gets the ID, the profit
    // and the amount: ties stay in ID order, so the lists ordered by date keep their order, and the
    // charts add up the index alone. The category drop-down lists its values from an index; the goods
    // summary groups and adds up an index that holds every column it reads.
    // A file whose version number was set back may already hold some of them.
    "DROP INDEX IF EXISTS data1_day1;"
    "CREATE INDEX IF NOT EXISTS data1_day1_figures ON data1 (day1, ID, a5, [4]);"
    "CREATE INDEX IF NOT EXISTS data1_d ON data1 (d);"
    "CREATE INDEX IF NOT EXISTS data_summary ON data (a, b, c, d, [2], [3], [5], [6], [7], [8]);",
    // 4: the charts read one row per sale date instead of a year of records. Each day's profit and
    // amount are what sum() gives over the day's records in ID order: a record stored after every
    // other of its day (each sale) adds its figures to the running sums, as sum() does; any other
    // change adds the day up again from the date index. Records without a date are in no chart.
    "DROP TRIGGER IF EXISTS data1_days_add;"
    "DROP TRIGGER IF EXISTS data1_days_insert_between;"
    "DROP TRIGGER IF EXISTS data1_days_remove;"
    "DROP TRIGGER IF EXISTS data1_days_change;"
    "DROP TABLE IF EXISTS data1_days;"
    "CREATE TABLE data1_days (day1 TEXT PRIMARY KEY, a5 REAL, [4] REAL) WITHOUT ROWID;"
    "INSERT INTO data1_days SELECT day1, sum(a5), sum([4]) FROM data1 WHERE day1 IS NOT NULL GROUP BY day1;"
    "CREATE TRIGGER data1_days_add AFTER INSERT ON data1"
    " WHEN new.day1 IS NOT NULL AND NOT EXISTS (SELECT 1 FROM data1 WHERE day1=new.day1 AND ID>new.ID)"
    " BEGIN"
    "  INSERT INTO data1_days (day1, a5, [4]) VALUES (new.day1, 0.0+new.a5, 0.0+new.[4])"
    "  ON CONFLICT (day1) DO UPDATE SET"
    "   a5=CASE WHEN excluded.a5 IS NULL THEN a5 WHEN a5 IS NULL THEN excluded.a5 ELSE a5+excluded.a5 END,"
    "   [4]=CASE WHEN excluded.[4] IS NULL THEN [4] WHEN [4] IS NULL THEN excluded.[4]"
    "    ELSE [4]+excluded.[4] END;"
    " END;"
    "CREATE TRIGGER data1_days_insert_between AFTER INSERT ON data1"
    " WHEN new.day1 IS NOT NULL AND EXISTS (SELECT 1 FROM data1 WHERE day1=new.day1 AND ID>new.ID)"
    " BEGIN " DAY_ADDED_UP_AGAIN("new.day1") " END;"
    "CREATE TRIGGER data1_days_remove AFTER DELETE ON data1 WHEN old.day1 IS NOT NULL"
    " BEGIN " DAY_ADDED_UP_AGAIN("old.day1") " END;"
    "CREATE TRIGGER data1_days_change AFTER UPDATE OF ID, a5, [4], day1 ON data1"
    " BEGIN " DAY_ADDED_UP_AGAIN("old.day1") DAY_ADDED_UP_AGAIN("new.day1") " END;",
    // 5: each new sales record names the goods row it was sold from, so that a deletion gives the
    // quantity back to that very row; the same goods stocked twice on one day look alike in every
    // other column. Records stored before keep NULL. (A file set back to an earlier version has the
    // column already: see addedColumns.)
    "ALTER TABLE data1 ADD COLUMN data_id INTEGER;",
    // 6: the day's ticket counters: each new ticket of a day takes the next one, so that two tills
    // sharing a database never give two customers one sale number.
    "CREATE TABLE IF NOT EXISTS day_counters (day TEXT PRIMARY KEY, last INTEGER NOT NULL);",
};
static_assert(std::size(schemaSteps) == Database::SchemaVersion);

// The steps that add a column, by number: the engine has no "if not exists" for a column, so a file
// whose version number was set back, and that has the column already, skips the step.
struct AddedColumn {
    int step;
    const char *table;
    const char *column;
};
constexpr AddedColumn addedColumns[] = {{5, "data1", "data_id"}};

bool hasColumn(sqlite3 *db, const char *table, const char *column) {
    return sqlite3_table_column_metadata(db, nullptr, table, column, nullptr, nullptr, nullptr, nullptr,
                                         nullptr) == SQLITE_OK;
}

bool stepDoneAlready(sqlite3 *db, int step) {
    for (const AddedColumn &added : addedColumns)
        if (added.step == step && hasColumn(db, added.table, added.column)) return true;
    return false;
}

bool runScript(sqlite3 *db, const char *script, QString *error) {
    char *message = nullptr;
    if (sqlite3_exec(db, script, nullptr, nullptr, &message) == SQLITE_OK) return true;
    *error = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    return false;
}

// Brings the tables from version `from` to the program's own and stamps the file; the caller holds
// the transaction.
bool runSchemaSteps(sqlite3 *db, int from, QString *error) {
    for (int step = from; step < Database::SchemaVersion; ++step)
        if (!stepDoneAlready(db, step + 1) && !runScript(db, schemaSteps[step], error)) return false;
    const QByteArray stamp = QByteArray("PRAGMA application_id=") +
                             QByteArray::number(Database::ApplicationId) +
                             "; PRAGMA user_version=" + QByteArray::number(Database::SchemaVersion) + ";";
    return runScript(db, stamp.constData(), error);
}

bool insertSuperAdmin(sqlite3 *db, QString *error) {
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "insert into userdb (username, passwd) values (?, ?)", -1, &statement,
                           nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    const QByteArray name(Database::SuperAdmin);
    const QByteArray hashed = passwords::hash(QString::fromUtf8(Database::DefaultAdminPassword)).toUtf8();
    sqlite3_bind_text(statement, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(statement, 2, hashed.constData(), int(hashed.size()), SQLITE_TRANSIENT);
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    if (!done) *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    return done;
}

// A file and the journal files the engine may have left beside it.
void removeWithCompanions(const QString &path) {
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

// Makes a rename in the file's folder durable.
void syncFolderOf(const QString &path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool looksLikeSqlite(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    return file.read(16) == QByteArray("SQLite format 3\0", 16);
}
} // namespace

Database::Database()
    : m_connectionName(QStringLiteral("jsjxc-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

Database::~Database() {
    close();
}

QSqlDatabase Database::connection() const {
    return QSqlDatabase::database(m_connectionName, false);
}

bool Database::isOpen() const {
    return QSqlDatabase::contains(m_connectionName) && connection().isOpen();
}

void *Database::nativeHandle() const {
    const QVariant handle = connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

bool Database::open(const QString &path) {
    close();
    m_engine = Engine::File;
    m_server.clear();
    m_path = path;
    m_error.clear();
    if (!QFileInfo::exists(path) && !createFile(path)) return false;
    if (!looksLikeSqlite(path)) {
        m_error = QStringLiteral("文件“%1”不是本程序的数据库文件，程序不会改动它。").arg(path);
        return false;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(path);
        if (!db.open()) {
            m_error = QStringLiteral("无法打开数据库文件“%1”：%2").arg(path, db.lastError().text());
            close();
            return false;
        }
    }
    if (!checkExistingFile()) {
        close();
        return false;
    }
    return true;
}

void Database::close() {
    settlePendingReads();
    m_inTransaction = false;
    if (!QSqlDatabase::contains(m_connectionName)) return;
    serverconnection::forget(static_cast<PGconn *>(serverHandle()));
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen()) db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool Database::checkExistingFile() {
    const qint64 applicationId = scalar(QStringLiteral("PRAGMA application_id")).toLongLong();
    const QVariant versionValue = scalar(QStringLiteral("PRAGMA user_version"));
    if (!versionValue.isValid()) return false; // the engine could not read it; m_error holds why
    const int version = versionValue.toInt();
    if (applicationId != ApplicationId) {
        m_error = QStringLiteral("文件“%1”不是本程序的数据库文件，程序不会改动它。").arg(m_path);
        return false;
    }
    if (version > SchemaVersion) {
        m_error = QStringLiteral("数据库文件“%1”来自更新版本的程序（数据版本 %2，本程序支持到 %3），"
                                 "请先升级程序。文件未被改动。")
                      .arg(m_path)
                      .arg(version)
                      .arg(SchemaVersion);
        return false;
    }
    return configure() && upgradeSchema();
}

bool Database::configure() {
    auto *db = static_cast<sqlite3 *>(nativeHandle());
    if (!db) {
        m_error = QStringLiteral("数据库驱动不可用");
        return false;
    }
    // A committed sale must survive a power cut: full sync, write-ahead log.
    if (!runScript(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", &m_error)) return false;
    // Every filter keystroke and every sale reads the whole goods list again, in date order through
    // its index: pages read by mapping and kept in a larger cache cost far less than read calls.
    if (!runScript(db, "PRAGMA mmap_size=268435456; PRAGMA cache_size=-65536;", &m_error)) return false;
    if (!dialect::registerFunctions(db)) {
        m_error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    return true;
}

bool Database::upgradeSchema() {
    const int from = scalar(QStringLiteral("PRAGMA user_version")).toInt();
    if (from >= SchemaVersion) return true;
    auto *db = static_cast<sqlite3 *>(nativeHandle());
    if (!runScript(db, "BEGIN IMMEDIATE", &m_error)) return false;
    if (!runSchemaSteps(db, from, &m_error) || !runScript(db, "COMMIT", &m_error)) {
        QString ignored;
        runScript(db, "ROLLBACK", &ignored);
        return false;
    }
    return true;
}

bool Database::createFile(const QString &path) {
    // The file gets its final name only once it is complete: an interruption leaves the partial file
    // under the temporary name, which the next start ignores and makes again.
    const QString partial = temporaryPathFor(path);
    removeWithCompanions(partial);
    sqlite3 *db = nullptr;
    const QByteArray partialName = QFile::encodeName(partial);
    bool made = sqlite3_open_v2(partialName.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                nullptr) == SQLITE_OK;
    if (!made) m_error = QString::fromUtf8(sqlite3_errmsg(db));
    // A plain rollback journal, fully synced: the finished file is the whole database, with no log
    // beside it that the rename would leave behind.
    made = made &&
           runScript(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; BEGIN IMMEDIATE", &m_error);
    made = made && runSchemaSteps(db, 0, &m_error) && insertSuperAdmin(db, &m_error);
    made = made && runScript(db, "COMMIT", &m_error);
    sqlite3_close(db);
    if (!made) {
        m_error = QStringLiteral("无法创建数据库文件“%1”：%2").arg(path, m_error);
    } else if (!QFile::rename(partial, path)) {
        // Never over a file that appeared meanwhile: that one may hold a shop.
        m_error = QStringLiteral("无法创建数据库文件“%1”。").arg(path);
        made = false;
    }
    if (!made) {
        removeWithCompanions(partial);
        return false;
    }
    syncFolderOf(path);
    return true;
}

QString Database::temporaryPathFor(const QString &path) {
    return path + QStringLiteral(".creating");
}

bool Database::execute(const QString &statement, const QVariantList &binds) {
    settlePendingReads();
    if (m_engine == Engine::Server) {
        PGresult *result = serverconnection::run(*this, statement, binds);
        PQclear(result);
        return result != nullptr;
    }
    QSqlQuery query(connection());
    if (!query.prepare(toEngine(statement))) {
        m_error = query.lastError().text();
        return false;
    }
    for (const QVariant &value : binds)
        query.addBindValue(value);
    if (!query.exec()) {
        m_error = query.lastError().text();
        return false;
    }
    return true;
}

QVariant Database::scalar(const QString &statement, const QVariantList &binds) {
    if (m_engine == Engine::Server) {
        PGresult *result = serverconnection::run(*this, statement, binds);
        if (!result) return {};
        QVariant value;
        if (PQntuples(result) > 0 && PQnfields(result) > 0) value = serverValue(result, 0, 0);
        PQclear(result);
        return value;
    }
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.prepare(toEngine(statement))) {
        m_error = query.lastError().text();
        return {};
    }
    for (const QVariant &value : binds)
        query.addBindValue(value);
    if (!query.exec()) {
        m_error = query.lastError().text();
        return {};
    }
    if (!query.next()) return {};
    return query.value(0);
}

qint64 Database::lastInsertId() const {
    if (m_engine == Engine::Server) {
        // The identity of the row inserted last by this connection, whichever till inserted since.
        PGresult *result = PQexec(static_cast<PGconn *>(serverHandle()), "SELECT lastval()");
        const qint64 id = result && PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) == 1
                              ? QByteArray(PQgetvalue(result, 0, 0)).toLongLong()
                              : -1;
        PQclear(result);
        return id;
    }
    auto *db = static_cast<sqlite3 *>(nativeHandle());
    return db ? sqlite3_last_insert_rowid(db) : -1;
}

bool Database::begin() {
    settlePendingReads();
    if (m_engine == Engine::Server) return beginOnServer();
    if (connection().transaction()) {
        m_inTransaction = true;
        return true;
    }
    m_error = connection().lastError().text();
    return false;
}

int Database::addPendingRead(std::function<void()> settle) {
    const int token = ++m_nextPendingRead;
    m_pendingReads.emplace(token, std::move(settle));
    return token;
}

void Database::removePendingRead(int token) {
    m_pendingReads.erase(token);
}

void Database::settlePendingReads() {
    // Each one takes itself off the list when it is done.
    while (!m_pendingReads.empty()) {
        const auto first = m_pendingReads.begin();
        const int token = first->first;
        const std::function<void()> settle = first->second;
        settle();
        m_pendingReads.erase(token);
    }
}

bool Database::commit() {
    if (m_engine == Engine::Server) return commitOnServer();
    m_inTransaction = false;
    if (connection().commit()) return true;
    m_error = connection().lastError().text();
    rollback();
    return false;
}

void Database::rollback() {
    m_inTransaction = false;
    if (m_engine == Engine::Server) {
        // A lost connection took the transaction with it; the next action connects again.
        auto *handle = static_cast<PGconn *>(serverHandle());
        QString ignored;
        if (handle && PQstatus(handle) == CONNECTION_OK)
            serverconnection::runScript(handle, "ROLLBACK", &ignored);
        return;
    }
    connection().rollback();
}

QString Database::toEngine(const QString &statement) const {
    return m_engine == Engine::Server ? dialect::toPostgres(statement) : dialect::toSqlite(statement);
}
