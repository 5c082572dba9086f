#include "stock/goodsquery.h"

#include <QDate>

void GoodsQuery::setZeroStockHidden(bool hidden) {
    m_zeroStockHidden = hidden;
    m_listStatement = hidden ? stockedGoodsStatement() : allGoodsStatement();
    m_baseCondition = hidden ? QStringLiteral("where [7]<>0") : QStringLiteral("where [2]>0");
}

void GoodsQuery::applyLoginPreference(bool hidden) {
    m_zeroStockHidden = hidden;
    m_listStatement = hidden ? stockedGoodsStatement() : allGoodsStatement();
    m_baseCondition = hidden ? QStringLiteral("where [7]<>0 ") : QStringLiteral("where [2]>0 ");
}

std::optional<QString> GoodsQuery::dateConstant(const QString &text) {
    const QDate date = QDate::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid()) return std::nullopt;
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

std::optional<GoodsStatement> GoodsQuery::search(const GoodsFilter &filter, Problem *problem) const {
    if (problem) *problem = Problem::None;
    GoodsStatement statement;
    statement.text = QStringLiteral("select * from data ") + m_baseCondition;
    // The typed text is matched anywhere in the column; its own % and _ stay wildcards.
    const auto like = [&statement](const QString &text, const char *column) {
        if (text.isEmpty()) return;
        statement.text += QStringLiteral(" and ") + QLatin1String(column) + QStringLiteral(" like ?");
        statement.binds << QVariant(QStringLiteral("%") + text + QStringLiteral("%"));
    };
    like(filter.category, "d");
    like(filter.nameInitials, "e");
    like(filter.modelInitials, "f");
    like(filter.code, "c");
    like(filter.remark, "z");
    like(filter.supplier, "g");
    if (filter.dateRange) {
        const auto from = dateConstant(filter.fromDate);
        const auto to = dateConstant(filter.toDate);
        if (!from || !to) {
            if (problem) *problem = from ? Problem::ToDate : Problem::FromDate;
            return std::nullopt;
        }
        statement.text += QStringLiteral(" and day1>=#") + *from + QStringLiteral("# and day1<=#") + *to +
                          QStringLiteral("#");
    }
    return statement;
}
