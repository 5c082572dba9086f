#pragma once
// The rules of the ticket view: which sales records make up a ticket, its sums, the change for the cash
// paid and the checks before a ticket is printed. Texts in, texts out, as the view's fields hold them.
#include <QString>

class Database;
class Dataset;

namespace ticket {

// Loads the lines of a ticket: the sales records whose sale number equals the trimmed number (ticket
// 100 is not ticket 1000), in the order they were recorded. An empty number lists nothing. On failure
// the lines are emptied and the engine's message is in database.errorText().
bool load(Database &database, const QString &saleNumber, Dataset &lines);

// The sum of a column over the listed lines, taken to four decimals, in the general number format
// ("0" for no lines and for lines that cancel each other).
QString sumText(const Dataset &lines, const QString &field);

// The change for the cash typed against the total shown.
struct Change {
    enum class Status {
        Kept,           // no cash typed: the change field keeps its text
        Computed,       // text holds cash − total, negative when the cash is short
        CashNotANumber, // the cash text is not a number (a lone "."): nothing changes
    };
    Status status = Status::Kept;
    QString text;
};
Change changeFor(const QString &cash, const QString &total);

// Why a ticket may not be printed yet, in the order the checks run.
enum class Refusal {
    None,
    EmptyTicket,    // the total text is exactly "0": "先进行销售"
    NoCash,         // "输入现金额"
    CashNotANumber, // "现金不是有效的数字！"
    CashShort,      // cash below the total: "现金不足"
};
Refusal checkReceipt(const QString &total, const QString &cash);
// Printing the slip only needs a ticket with a total.
Refusal checkSlip(const QString &total);
QString refusalMessage(Refusal refusal);

} // namespace ticket
