#pragma once
// The statements of the sales-detail list: "本 月", "全部记录", "全部退货" and the two "查 询" built from
// the filter fields in their fixed order, every typed text bound as a parameter.
#include "widgets/filterstatement.h"

#include <QDate>
#include <QString>
#include <optional>

// What the filter fields hold when a "查 询" runs: texts as typed, dates as shown in their fields.
struct SalesFilter {
    QString category;       // ComboBox4, column d
    QString nameInitials;   // Edit23, column e
    QString code;           // Edit25, column c
    QString modelInitials;  // Edit29, column f
    QString customer;       // Edit14, column g
    QString remark;         // Edit50, column j
    bool dateRange = false; // CheckBox6
    QString fromDate;       // DBDateTimeEdit2
    QString toDate;         // DBDateTimeEdit3
};

using SalesStatement = FilterStatement;

namespace salesqueries {

// The sales records of the month of `today`, in the order they were stored. A range on day1 (the
// records whose date text starts with "yyyy-mm-"), so that the index on day1 serves it.
SalesStatement month(const QDate &today);
// The sales records of one ticket: its sale number exactly (ticket 100 is not ticket 1000), trimmed,
// in the order they were stored; an empty number lists nothing.
SalesStatement ticket(const QString &saleNumber);
// "全部记录" and "全部退货": ordered by sale date.
QString allRecords();
QString allReturns();

enum class Kind { Sales, Returns };
using Problem = FilterStatement::DateProblem;
// "查 询": one condition per non-empty field in the order category, name initials, code, model
// initials, customer, remark; then sales (quantity above 0) or returns (below 0); then the sale-date
// range (both ends included). Each text is matched anywhere in its column. Dates must be real "yyyy-mm-dd"
// dates; otherwise nothing is built and *problem says which one is wrong.
std::optional<SalesStatement> search(const SalesFilter &filter, Kind kind, Problem *problem = nullptr);

} // namespace salesqueries
