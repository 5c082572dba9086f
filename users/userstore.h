#pragma once
// The rules over the user table and the login log: who may log in, the log row of a run, and adding,
// deleting and resetting users. Passwords are compared and stored only as hashes (store/passwords.h).
// User names match regardless of letter case, as they do in the shop's user list ("tom" is "Tom").
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>
#include <vector>

class Database;

class UserStore {
  public:
    // Accepted: exactly one row of that name whose password matches. Failed: the engine refused the
    // query (errorText() says why).
    enum class Check { Accepted, Refused, Failed };
    enum class Added { Added, EmptyName, SuperAdminName, Exists, Failed };
    enum class Changed { Changed, NoSuchUser, WrongOldPassword, Failed };
    enum class Deleted { Deleted, EmptyName, SuperAdminName, Failed };

    explicit UserStore(Database &database) : m_database(database) {}

    static QString superAdmin();
    static QString defaultPassword();
    // Ordinary users get the reduced rights; the name is compared exactly, as typed.
    static bool isSuperAdmin(const QString &userName) { return userName == superAdmin(); }

    // The name is taken untrimmed, name and password regardless of letter case. On acceptance
    // *storedName gets the name as the table holds it.
    Check checkLogin(const QString &userName, const QString &password, QString *storedName = nullptr);
    // The unlock of the administration window: the super administrator's password.
    Check checkSuperAdmin(const QString &password) { return checkLogin(superAdmin(), password); }

    // Writes this run's log row with the login time; its id, or nothing on failure.
    std::optional<qint64> openLogRow(const QString &userName);
    // Sets the exit time of the run's row. An id of 0 (nobody logged in) writes nothing.
    bool completeLogRow(qint64 logId);

    // The names in the table's own order (the order they were added).
    std::optional<QStringList> userNames();
    bool exists(const QString &userName, bool *failed = nullptr);

    // A new user gets the default password. A second row of one name would lock that user out.
    Added addUser(const QString &userName);
    Deleted deleteUser(const QString &userName);
    Changed resetPassword(const QString &userName);
    // Checks the old password of that user before anything is written.
    Changed changePassword(const QString &userName, const QString &oldPassword, const QString &newPassword);

    QString errorText() const;

  private:
    struct UserRow {
        qint64 rowId;
        QString name;
        QString passwordHash;
    };
    // The rows whose name is this one regardless of letter case; nothing when the query failed.
    std::optional<std::vector<UserRow>> rowsNamed(const QString &userName);
    // How many rows of that name hold the password; -1 when the query failed. *storedName gets the
    // name of the last matching row.
    int matchingRows(const QString &userName, const QString &password, QString *storedName = nullptr);
    // Runs a statement with the row id as its last bind for every row of that name.
    bool runForRowsNamed(const QString &userName, const QString &statement, const QVariantList &binds);
    Changed setPassword(const QString &userName, const QString &password);

    Database &m_database;
};
