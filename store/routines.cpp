#include "store/routines.h"

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

bool runQuery(Database &database, Dataset &dataset, const QString &statement, const QVariantList &binds) {
    return dataset.load(database, statement, binds);
}

bool executeStatement(Database &database, const QString &statement, const QVariantList &binds) {
    return database.execute(statement, binds);
}

} // namespace routines
