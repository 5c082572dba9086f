#include "tests/support/failingwrite.h"

#include "store/database.h"

namespace failingwrite {
namespace {
QString verb(Change change) {
    switch (change) {
    case Change::Insert:
        return QStringLiteral("insert");
    case Change::Update:
        return QStringLiteral("update");
    case Change::Delete:
        return QStringLiteral("delete");
    }
    return {};
}

QString triggerName(const QString &table, Change change) {
    return QStringLiteral("refuse_") + verb(change) + QLatin1Char('_') + table;
}

// The message as an SQL string constant; it is the test's own text, never a user's.
QString quoted(const QString &text) {
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}
} // namespace

bool refuse(Database &database, const QString &table, Change change, const QString &message) {
    const QString name = triggerName(table, change);
    if (database.engine() == Database::Engine::File)
        return database.execute(QStringLiteral("create trigger ") + name + QStringLiteral(" before ") +
                                verb(change) + QStringLiteral(" on ") + table +
                                QStringLiteral(" begin select raise(abort, ") + quoted(message) +
                                QStringLiteral("); end"));
    return database.execute(QStringLiteral("create function ") + name +
                            QStringLiteral("() returns trigger language plpgsql as $$ begin raise exception "
                                           "'%', ") +
                            quoted(message) + QStringLiteral("; end $$")) &&
           database.execute(QStringLiteral("create trigger ") + name + QStringLiteral(" before ") +
                            verb(change) + QStringLiteral(" on ") + table +
                            QStringLiteral(" for each row execute function ") + name + QStringLiteral("()"));
}

bool allow(Database &database, const QString &table, Change change) {
    const QString name = triggerName(table, change);
    if (database.engine() == Database::Engine::File)
        return database.execute(QStringLiteral("drop trigger ") + name);
    return database.execute(QStringLiteral("drop trigger ") + name + QStringLiteral(" on ") + table) &&
           database.execute(QStringLiteral("drop function ") + name + QStringLiteral("()"));
}

bool hideTable(Database &database, const QString &table) {
    return database.execute(QStringLiteral("alter table ") + table + QStringLiteral(" rename to ") + table +
                            QStringLiteral("_hidden"));
}

} // namespace failingwrite
