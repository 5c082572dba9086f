#include "sales/customer.h"

#include "store/database.h"
#include "store/dataset.h"
#include "store/routines.h"
#include "store/texts.h"

#include <algorithm>

namespace customers {

Found ofTicket(Database &database, const QString &saleNumber) {
    const QString number = trimBlanksAndControls(saleNumber);
    if (number.isEmpty()) return {true, std::nullopt};
    Dataset rows;
    if (!rows.load(database,
                   QStringLiteral("select g,h,i,j from data1 where z=?\n group by g,h,i,j order by g,h,i,j"),
                   {number}))
        return {};
    if (rows.rowCount() == 0) return {true, std::nullopt};
    return {true, Customer{rows.text(0, 0), rows.text(0, 1), rows.text(0, 2), rows.text(0, 3)}};
}

Found contactOf(Database &database, const QString &name) {
    const QString trimmed = trimBlanksAndControls(name);
    if (trimmed.isEmpty()) return {true, std::nullopt};
    Dataset rows;
    if (!rows.load(database, QStringLiteral("select h,i from data1 where g=?\n group by h,i order by h,i"),
                   {trimmed}))
        return {};
    if (rows.rowCount() == 0) return {true, std::nullopt};
    return {true, Customer{{}, rows.text(0, 0), rows.text(0, 1), {}}};
}

std::optional<QStringList> names(Database &database) {
    // Over the index of the customer names: a shop with a million sales has a few hundred names.
    return routines::indexedColumnValues(database, QStringLiteral("g"), QStringLiteral("data1"));
}

int insertionPoint(const QStringList &sortedNames, const QString &name) {
    const QByteArray key = name.toUtf8();
    const auto at = std::lower_bound(
        sortedNames.begin(), sortedNames.end(), key,
        [](const QString &listed, const QByteArray &wanted) { return listed.toUtf8() < wanted; });
    return static_cast<int>(at - sortedNames.begin());
}

} // namespace customers
