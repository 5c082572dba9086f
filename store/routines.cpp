#include "store/routines.h"

#include "store/database.h"

#include <sqlite3.h>

namespace routines {

QString groupedValuesStatement(const QString &column, const QString &table) {
    return QStringLiteral("select distinct ") + column + QStringLiteral(" from ") + table +
           QStringLiteral(" order by ") + column;
}

std::optional<QStringList> columnValues(Database &database, const QString &column, const QString &table) {
    Dataset values;
    if (!values.load(database, groupedValuesStatement(column, table))) return std::nullopt;
    QStringList items;
    items.reserve(values.rowCount());
    for (int row = 0; row < values.rowCount(); ++row)
        items << values.text(row, 0);
    return items;
}

std::optional<QStringList> indexedColumnValues(Database &database, const QString &column,
                                               const QString &table, int stepLimit) {
    auto *db = static_cast<sqlite3 *>(database.nativeHandle());
    if (!db) return columnValues(database, column, table);
    const QByteArray from = (QStringLiteral(" from ") + table).toUtf8();
    const QByteArray name = column.toUtf8();
    sqlite3_stmt *anyNull = nullptr, *first = nullptr, *next = nullptr;
    const auto prepare = [&](const QByteArray &sql, sqlite3_stmt **statement) {
        return sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), statement, nullptr) ==
               SQLITE_OK;
    };
    QStringList items;
    bool ok = prepare("select 1" + from + " where " + name + " is null limit 1", &anyNull) &&
              prepare("select min(" + name + ")" + from, &first) &&
              prepare("select min(" + name + ")" + from + " where " + name + ">?", &next);
    // NULL sorts first and reads as an empty text, as in the grouped list.
    if (ok) {
        const int rc = sqlite3_step(anyNull);
        ok = rc == SQLITE_ROW || rc == SQLITE_DONE;
        if (rc == SQLITE_ROW) items << QString();
    }
    sqlite3_stmt *step = first;
    bool tooMany = false;
    while (ok) {
        if (items.size() > stepLimit) {
            tooMany = true;
            break;
        }
        if (sqlite3_step(step) != SQLITE_ROW) {
            ok = false;
            break;
        }
        if (sqlite3_column_type(step, 0) == SQLITE_NULL) break; // no value after the last one
        // Copied before the statement that gave it is reset.
        const QByteArray value(reinterpret_cast<const char *>(sqlite3_column_text(step, 0)),
                               sqlite3_column_bytes(step, 0));
        items << QString::fromUtf8(value);
        sqlite3_reset(step);
        ok = sqlite3_bind_text(next, 1, value.constData(), static_cast<int>(value.size()),
                               SQLITE_TRANSIENT) == SQLITE_OK;
        step = next;
    }
    if (!ok) database.setError(QString::fromUtf8(sqlite3_errmsg(db)));
    sqlite3_finalize(anyNull);
    sqlite3_finalize(first);
    sqlite3_finalize(next);
    if (!ok) return std::nullopt;
    if (tooMany) return columnValues(database, column, table);
    return items;
}

bool runQuery(Database &database, Dataset &dataset, const QString &statement, const QVariantList &binds) {
    return dataset.load(database, statement, binds);
}

bool executeStatement(Database &database, const QString &statement, const QVariantList &binds) {
    return database.execute(statement, binds);
}

} // namespace routines
