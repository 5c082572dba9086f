#pragma once
// The rules over the user table and the login log: who may log in, the log row of a run, and adding,
// deleting and resetting users. Passwords are compared and stored only as hashes (store/passwords.h).
#include <QString>
#include <QStringList>
#include <optional>

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

    // The name is taken as typed (case-sensitive), the password regardless of letter case.
    Check checkLogin(const QString &userName, const QString &password);
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
    // How many rows of that name hold the password; -1 when the query failed.
    int matchingRows(const QString &userName, const QString &password);
    Changed setPassword(const QString &userName, const QString &password);

    Database &m_database;
};
