#pragma once
// The one connection to the shop's database and the statements run over it: data.mdb (an SQLite file)
// on one computer, or a PostgreSQL server that several tills share.
// Statements are written in the shop's SQL shapes (bracketed digit columns, #yyyy-mm-dd# dates,
// year()/month()/day(), like with %); the dialect turns them into the engine's SQL. User text is always
// a bound parameter ("?").
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <functional>
#include <map>

class Database {
  public:
    // The version of the tables this program writes; a file with a newer one is refused.
    static constexpr int SchemaVersion = 6;
    static constexpr int ApplicationId = 0x4A534A58; // "JSJX"
    static constexpr auto SuperAdmin = "超级管理员";
    static constexpr auto DefaultAdminPassword = "659";

    enum class Engine { File, Server };

    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Opens the file, creating it with the four tables and the super administrator when it does not
    // exist. A file that is not this program's database, or is newer, is refused (message in
    // errorText()) and left untouched. An older one is brought up to date in one transaction.
    // A new file is made complete under temporaryPathFor(path) and only then renamed to path.
    bool open(const QString &path);
    // Connects to the shop's server (a libpq connection string) and makes or brings up to date its
    // tables, under the same rules as the file's. The reason in errorText() when it cannot.
    bool openServer(const QString &connectionString);
    void close();
    bool isOpen() const;
    Engine engine() const { return m_engine; }
    // The file (empty on a server).
    QString path() const { return m_path; }
    // The connection string of the server (empty for the file).
    QString serverConnection() const { return m_server; }
    // What the shop's database is, for the user: the file's path or the server's "host:port/name".
    QString description() const;
    QSqlDatabase connection() const;
    // The engine's handle for the fast loaders (sqlite3*; nullptr on a server).
    void *nativeHandle() const;
    // The server connection's libpq handle (PGconn*; nullptr for the file).
    void *serverHandle() const;
    // Makes a server connection that was lost again (not inside a transaction: what it held is gone),
    // with the session settings of the first. False with the reason in errorText() while the server
    // cannot be reached (after at most the connection string's connect_timeout).
    bool reconnectServer();
    bool inTransaction() const { return m_inTransaction; }

    // Runs a statement without rows (INSERT, UPDATE, DELETE). False with errorText() on failure.
    bool execute(const QString &statement, const QVariantList &binds = {});
    // The first column of the first row, or an invalid QVariant when there is none or on failure.
    QVariant scalar(const QString &statement, const QVariantList &binds = {});
    // The id given to the row inserted last on this connection.
    qint64 lastInsertId() const;

    // Writes that belong together; rollback() undoes everything since begin().
    bool begin();
    bool commit();
    void rollback();

    // Statements still being read in steps over this connection (a long list that shows its first rows
    // at once). A write would change rows under them (a changed row can be read twice), so each is read
    // to its end before any write, a transaction or closing: settle() is asked of them then.
    int addPendingRead(std::function<void()> settle);
    void removePendingRead(int token);
    void settlePendingReads();

    // The engine's message for the last failure.
    QString errorText() const { return m_error; }
    void setError(const QString &text) { m_error = text; }

    // Where a new database file is made before it gets its name; one left by an interrupted start is
    // replaced.
    static QString temporaryPathFor(const QString &path);

    // The engine SQL for a statement in the shop's shape.
    QString toEngine(const QString &statement) const;

  private:
    bool checkExistingFile();
    bool configure();
    bool upgradeSchema();
    bool createFile(const QString &path);

    bool openServerConnection();
    bool beginOnServer();
    bool commitOnServer();

    std::map<int, std::function<void()>> m_pendingReads;
    Engine m_engine = Engine::File;
    QString m_server;
    bool m_inTransaction = false;
    int m_nextPendingRead = 0;
    QString m_connectionName;
    QString m_path;
    QString m_error;
};
