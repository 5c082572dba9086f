#pragma once
// The one connection to data.mdb (an SQLite file) and the statements run over it.
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
    static constexpr int SchemaVersion = 5;
    static constexpr int ApplicationId = 0x4A534A58; // "JSJX"
    static constexpr auto SuperAdmin = "超级管理员";
    static constexpr auto DefaultAdminPassword = "659";

    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Opens the file, creating it with the four tables and the super administrator when it does not
    // exist. A file that is not this program's database, or is newer, is refused (message in
    // errorText()) and left untouched. An older one is brought up to date in one transaction.
    // A new file is made complete under temporaryPathFor(path) and only then renamed to path.
    bool open(const QString &path);
    void close();
    bool isOpen() const;
    QString path() const { return m_path; }
    QSqlDatabase connection() const;
    // The engine's handle for the fast loaders (sqlite3*).
    void *nativeHandle() const;

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
    static QString toEngine(const QString &statement);

  private:
    bool checkExistingFile();
    bool configure();
    bool upgradeSchema();
    bool createFile(const QString &path);

    std::map<int, std::function<void()>> m_pendingReads;
    int m_nextPendingRead = 0;
    QString m_connectionName;
    QString m_path;
    QString m_error;
};
