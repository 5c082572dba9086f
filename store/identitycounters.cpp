#include "store/identitycounters.h"

#include "store/database.h"
#include "store/serverconnection.h"

#include <libpq-fe.h>

namespace identitycounters {
namespace {
// The counter's sequence as an expression; table and column are the program's own names, never user
// text.
QByteArray sequenceOf(const char *table, const char *column) {
    return QByteArray("pg_get_serial_sequence('") + table + "', '" + column + "')";
}
// The last ID the counter gave out (0 before the first).
QByteArray lastGiven(const char *table, const char *column) {
    return "coalesce(pg_sequence_last_value(" + sequenceOf(table, column) + "), 0)";
}
} // namespace

bool raiseTo(pg_conn *connection, const char *table, const char *column, qint64 highest, QString *error) {
    if (highest < 1) return true;
    return serverconnection::runScript(connection,
                                       "SELECT setval(" + sequenceOf(table, column) + ", greatest(" +
                                           QByteArray::number(highest) + ", " + lastGiven(table, column) + "))",
                                       error);
}

bool catchUp(Database &database, const char *table, const char *column) {
    if (database.engine() != Database::Engine::Server) return true;
    auto *connection = static_cast<PGconn *>(database.serverHandle());
    const QByteArray highest = QByteArray("(SELECT coalesce(max(") + column + "), 0) FROM " + table + ")";
    const QVariant behind =
        database.scalar(QString::fromUtf8("select " + highest + " > " + lastGiven(table, column)));
    if (!behind.isValid()) return false;
    if (behind.toLongLong() == 0) return true;
    const bool own = !database.inTransaction();
    if (own && !database.begin()) return false;
    QString error;
    // Under the lock no other till is between taking an ID and storing its row, so the highest stored
    // ID read next is the highest there is.
    const bool done =
        serverconnection::runScript(connection,
                                    QByteArray("LOCK TABLE ") + table + " IN SHARE ROW EXCLUSIVE MODE", &error) &&
        serverconnection::runScript(connection,
                                    "SELECT setval(" + sequenceOf(table, column) + ", greatest(" + highest + ", " +
                                        lastGiven(table, column) + ")) WHERE " + highest + " > 0",
                                    &error);
    if (!done) {
        if (own) database.rollback();
        database.setError(error);
        return false;
    }
    return !own || database.commit();
}
} // namespace identitycounters
