#include "stock/goodsrowrefresh.h"

#include "store/database.h"
#include "store/dataset.h"

#include <QRegularExpression>
#include <optional>

namespace goodsrefresh {
namespace {
const QLatin1String OrderBy(" order by ");

// The keys after the statement's last " order by " when each is a plain column, "[7]" or "day1",
// with an optional asc or desc; nothing when one is anything else (an expression sorts in a way the
// list cannot repeat). An empty list for a statement without an order.
std::optional<QStringList> plainKeys(const QString &text, qsizetype *orderAt) {
    *orderAt = text.lastIndexOf(OrderBy, -1, Qt::CaseInsensitive);
    if (*orderAt < 0) return QStringList();
    static const QRegularExpression key(
        QStringLiteral(R"(^(\[[^\]]+\]|[A-Za-z_][A-Za-z0-9_]*)( (asc|desc))?$)"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList keys;
    for (const QString &part : text.mid(*orderAt + OrderBy.size()).split(QLatin1Char(','))) {
        const QString item = part.simplified();
        if (!key.match(item).hasMatch()) return std::nullopt;
        keys << item;
    }
    return keys;
}

bool endsWithId(const QStringList &keys) {
    if (keys.isEmpty()) return false;
    QString last = keys.last().section(QLatin1Char(' '), 0, 0);
    if (last.startsWith(QLatin1Char('['))) last = last.mid(1, last.size() - 2);
    return last.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0;
}

QString fileOrder(Database &database, const GoodsStatement &statement) {
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
} // namespace

GoodsStatement listed(Database &database, const GoodsStatement &statement) {
    if (database.engine() != Database::Engine::Server) return statement;
    qsizetype at = -1;
    const auto keys = plainKeys(statement.text, &at);
    if (!keys || endsWithId(*keys)) return statement;
    if (keys->isEmpty()) return {statement.text + QStringLiteral(" order by ID"), statement.binds};
    return {statement.text.left(at) + OrderBy + keys->join(QStringLiteral(", ")) + QStringLiteral(", ID"),
            statement.binds};
}

QString statementOrder(Database &database, const GoodsStatement &statement) {
    if (database.engine() != Database::Engine::Server) return fileOrder(database, statement);
    // The server lists by the statement's keys (NULL first, texts by their bytes: the dialect and the
    // columns' collation see to it), as the list compares them.
    qsizetype at = -1;
    const auto keys = plainKeys(statement.text, &at);
    if (!keys || !endsWithId(*keys)) return {};
    return keys->join(QStringLiteral(", "));
}

GoodsStatement narrowedToRow(const GoodsStatement &statement, qint64 id) {
    QString head = statement.text;
    QString order;
    const qsizetype at = head.lastIndexOf(OrderBy, -1, Qt::CaseInsensitive);
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
