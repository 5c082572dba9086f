#include "stock/goodsrowrefresh.h"

#include "store/database.h"
#include "store/dataset.h"

namespace goodsrefresh {

QString statementOrder(Database &database, const GoodsStatement &statement) {
    Dataset plan;
    if (!plan.load(database, QStringLiteral("EXPLAIN QUERY PLAN ") + statement.text, statement.binds))
        return {};
    const int detail = plan.fieldIndex(QStringLiteral("detail"));
    if (plan.rowCount() != 1 || detail < 0) return {};
    // One step over the goods table and no sorter of its own.
    const QString step = plan.text(0, detail);
    if (step == QLatin1String("SCAN data")) return QStringLiteral("ID");
    if (step.startsWith(QLatin1String("SEARCH data USING INTEGER PRIMARY KEY"))) return QStringLiteral("ID");
    if (step.startsWith(QLatin1String("SCAN data USING INDEX data_day1")) ||
        step.startsWith(QLatin1String("SEARCH data USING INDEX data_day1 ")))
        return QStringLiteral("day1, ID");
    return {};
}

GoodsStatement narrowedToRow(const GoodsStatement &statement, qint64 id) {
    QString head = statement.text;
    QString order;
    const qsizetype at = head.lastIndexOf(QLatin1String(" order by "), -1, Qt::CaseInsensitive);
    if (at >= 0) {
        order = head.mid(at);
        head.truncate(at);
    }
    const bool hasCondition = head.contains(QLatin1String(" where "), Qt::CaseInsensitive);
    GoodsStatement narrowed{
        head + (hasCondition ? QStringLiteral(" and ID=?") : QStringLiteral(" where ID=?")) + order,
        statement.binds};
    narrowed.binds << id;
    return narrowed;
}

} // namespace goodsrefresh
