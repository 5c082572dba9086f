#include "users/userstore.h"

#include "store/clock.h"
#include "store/database.h"
#include "store/dataset.h"
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

int UserStore::matchingRows(const QString &userName, const QString &password) {
    Dataset rows;
    if (!rows.load(m_database, QStringLiteral("select passwd from userdb where username=?"), {userName}))
        return -1;
    int matching = 0;
    for (int row = 0; row < rows.rowCount(); ++row)
        if (passwords::verify(rows.text(row, 0), password)) ++matching;
    return matching;
}

UserStore::Check UserStore::checkLogin(const QString &userName, const QString &password) {
    const int matching = matchingRows(userName, password);
    if (matching < 0) return Check::Failed;
    return matching == 1 ? Check::Accepted : Check::Refused;
}

std::optional<qint64> UserStore::openLogRow(const QString &userName) {
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
    const QVariant count =
        m_database.scalar(QStringLiteral("select count(*) from userdb where username=?"), {userName});
    if (failed) *failed = !count.isValid();
    return count.toLongLong() > 0;
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
    if (!m_database.execute(QStringLiteral("delete from userdb where username=?"), {userName}))
        return Deleted::Failed;
    return Deleted::Deleted;
}

UserStore::Changed UserStore::setPassword(const QString &userName, const QString &password) {
    bool failed = false;
    if (!exists(userName, &failed)) return failed ? Changed::Failed : Changed::NoSuchUser;
    if (!m_database.execute(QStringLiteral("update userdb set passwd=? where username=?"),
                            {passwords::hash(password), userName}))
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
