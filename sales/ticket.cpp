#include "sales/ticket.h"

#include "store/database.h"
#include "store/dataset.h"
#include "store/numbers.h"
#include "store/texts.h"

namespace ticket {

bool load(Database &database, const QString &saleNumber, Dataset &lines) {
    // Equality, not a pattern: a number contained in a longer one (counter 100 in counter 1000 of the
    // same day) must not pull the other customer's lines into this ticket. Records without a number
    // never form a ticket.
    static const QString statement =
        QStringLiteral("select ID,a,b,[2],[3],[4],z from data1 where z=? and z<>'' order by ID");
    if (lines.load(database, statement, {trimBlanksAndControls(saleNumber)})) return true;
    lines.clear();
    return false;
}

QString sumText(const Dataset &lines, const QString &field) {
    const int column = lines.fieldIndex(field);
    if (column < 0) return QStringLiteral("0");
    return num::general(num::round(lines.total(column), 4));
}

Change changeFor(const QString &cash, const QString &total) {
    if (cash.trimmed().isEmpty()) return {Change::Status::Kept, {}};
    const auto paid = num::parse(cash);
    if (!paid) return {Change::Status::CashNotANumber, {}};
    // The total is this view's own text; should it ever be unreadable the ticket counts as empty.
    const double due = num::parse(total).value_or(0);
    return {Change::Status::Computed, num::general(*paid - due)};
}

Refusal checkSlip(const QString &total) {
    return total == QLatin1String("0") ? Refusal::EmptyTicket : Refusal::None;
}

Refusal checkReceipt(const QString &total, const QString &cash) {
    if (checkSlip(total) != Refusal::None) return Refusal::EmptyTicket;
    if (cash.trimmed().isEmpty()) return Refusal::NoCash;
    const auto paid = num::parse(cash);
    if (!paid) return Refusal::CashNotANumber;
    if (*paid < num::parse(total).value_or(0)) return Refusal::CashShort;
    return Refusal::None;
}

QString refusalMessage(Refusal refusal) {
    switch (refusal) {
    case Refusal::None:
        return {};
    case Refusal::EmptyTicket:
        return QStringLiteral("先进行销售");
    case Refusal::NoCash:
        return QStringLiteral("输入现金额");
    case Refusal::CashNotANumber:
        return num::notANumberMessage(QStringLiteral("现金"));
    case Refusal::CashShort:
        return QStringLiteral("现金不足");
    }
    return {};
}

} // namespace ticket
