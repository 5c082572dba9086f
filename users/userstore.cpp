#include "users/userstore.h"

#include "store/clock.h"
#include "store/database.h"
#include "store/dataset.h"
#include "store/identitycounters.h"
#include "store/passwords.h"

QString UserStore::superAdmin() {
    return QString::fromUtf8(Database::SuperAdmin);
}
QString UserStore::defaultPassword() {
    return QString::fromUtf8(Database::DefaultAdminPassword);
}

QString UserStore::errorText() const {
    return m_database.errorText();
}

std::optional<std::vector<UserStore::UserRow>> UserStore::rowsNamed(const QString &userName) {
    // A handful of users: compared here, where the comparison folds the case of every script.
    Dataset rows;
    if (!rows.load(m_database, QStringLiteral("select rowid, username, passwd from userdb order by rowid")))
        return std::nullopt;
    std::vector<UserRow> named;
    for (int row = 0; row < rows.rowCount(); ++row) {
        const QString name = rows.text(row, 1);
        if (name.compare(userName, Qt::CaseInsensitive) == 0)
            named.push_back({rows.value(row, 0).toLongLong(), name, rows.text(row, 2)});
    }
    return named;
}

int UserStore::matchingRows(const QString &userName, const QString &password, QString *storedName) {
    const auto rows = rowsNamed(userName);
    if (!rows) return -1;
    int matching = 0;
    for (const UserRow &row : *rows) {
        if (!passwords::verify(row.passwordHash, password)) continue;
        ++matching;
        if (storedName) *storedName = row.name;
    }
    return matching;
}

bool UserStore::runForRowsNamed(const QString &userName, const QString &statement,
                                const QVariantList &binds) {
    const auto rows = rowsNamed(userName);
    if (!rows) return false;
    if (!m_database.begin()) return false;
    for (const UserRow &row : *rows) {
        if (!m_database.execute(statement, QVariantList(binds) << row.rowId)) {
            const QString reason = m_database.errorText();
            m_database.rollback();
            m_database.setError(reason);
            return false;
        }
    }
    return m_database.commit();
}

UserStore::Check UserStore::checkLogin(const QString &userName, const QString &password,
                                       QString *storedName) {
    QString found;
    const int matching = matchingRows(userName, password, &found);
    if (matching < 0) return Check::Failed;
    if (matching != 1) return Check::Refused;
    if (storedName) *storedName = found;
    return Check::Accepted;
}

std::optional<qint64> UserStore::openLogRow(const QString &userName) {
    // Log rows copied from data.mdb, or stored by hand, carry IDs of their own.
    if (!identitycounters::catchUp(m_database, "rz", "id")) return std::nullopt;
    if (!m_database.execute(QStringLiteral("insert into rz (username,btime) values (?,?)"),
                            {userName, Clock::nowText()}))
        return std::nullopt;
    // The row just written, not the largest id: another program on the same file may log in too.
    return m_database.lastInsertId();
}

bool UserStore::completeLogRow(qint64 logId) {
    if (logId == 0) return true;
    return m_database.execute(QStringLiteral("update rz set jtime=? where id=?"), {Clock::nowText(), logId});
}

std::optional<QStringList> UserStore::userNames() {
    Dataset rows;
    if (!rows.load(m_database, QStringLiteral("select username from userdb order by rowid")))
        return std::nullopt;
    QStringList names;
    names.reserve(rows.rowCount());
    for (int row = 0; row < rows.rowCount(); ++row)
        names << rows.text(row, 0);
    return names;
}

bool UserStore::exists(const QString &userName, bool *failed) {
    const auto rows = rowsNamed(userName);
    if (failed) *failed = !rows.has_value();
    return rows && !rows->empty();
}

UserStore::Added UserStore::addUser(const QString &userName) {
    if (isSuperAdmin(userName)) return Added::SuperAdminName;
    if (userName.isEmpty()) return Added::EmptyName;
    const QString hashed = passwords::hash(defaultPassword());
    if (!m_database.begin()) return Added::Failed;
    bool failed = false;
    const bool taken = exists(userName, &failed);
    if (failed || taken) {
        m_database.rollback();
        return failed ? Added::Failed : Added::Exists;
    }
    if (!identitycounters::catchUp(m_database, "userdb", "rowid")) {
        const QString reason = m_database.errorText();
        m_database.rollback();
        m_database.setError(reason);
        return Added::Failed;
    }
    if (!m_database.execute(QStringLiteral("insert into userdb (username,passwd) values (?,?)"),
                            {userName, hashed})) {
        const QString reason = m_database.errorText();
        m_database.rollback();
        m_database.setError(reason);
        return Added::Failed;
    }
    return m_database.commit() ? Added::Added : Added::Failed;
}

UserStore::Deleted UserStore::deleteUser(const QString &userName) {
    if (isSuperAdmin(userName)) return Deleted::SuperAdminName;
    if (userName.isEmpty()) return Deleted::EmptyName;
    if (!runForRowsNamed(userName, QStringLiteral("delete from userdb where rowid=?"), {}))
        return Deleted::Failed;
    return Deleted::Deleted;
}

UserStore::Changed UserStore::setPassword(const QString &userName, const QString &password) {
    bool failed = false;
    if (!exists(userName, &failed)) return failed ? Changed::Failed : Changed::NoSuchUser;
    if (!runForRowsNamed(userName, QStringLiteral("update userdb set passwd=? where rowid=?"),
                         {passwords::hash(password)}))
        return Changed::Failed;
    return Changed::Changed;
}

UserStore::Changed UserStore::resetPassword(const QString &userName) {
    return setPassword(userName, defaultPassword());
}

UserStore::Changed UserStore::changePassword(const QString &userName, const QString &oldPassword,
                                             const QString &newPassword) {
    bool failed = false;
    if (!exists(userName, &failed)) return failed ? Changed::Failed : Changed::NoSuchUser;
    const int matching = matchingRows(userName, oldPassword);
    if (matching < 0) return Changed::Failed;
    if (matching == 0) return Changed::WrongOldPassword;
    return setPassword(userName, newPassword);
}
