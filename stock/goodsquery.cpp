#include "stock/goodsquery.h"

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

std::optional<GoodsStatement> GoodsQuery::search(const GoodsFilter &filter, Problem *problem) const {
    GoodsStatement statement{QStringLiteral("select * from data ") + m_baseCondition, {}};
    statement.addLikes({{filter.category, "d"},
                        {filter.nameInitials, "e"},
                        {filter.modelInitials, "f"},
                        {filter.code, "c"},
                        {filter.remark, "z"},
                        {filter.supplier, "g"}},
                       FilterStatement::Join::AndBefore);
    if (!statement.addDateRange(filter.dateRange, filter.fromDate, filter.toDate, problem))
        return std::nullopt;
    return statement;
}
