#pragma once
// The two writes of the sales-detail window: correcting a record's debt and customer data, and
// deleting a record, which puts its quantity back into the goods row it was sold from. Both compute
// from the rows as stored at that moment.
#include <QString>

class Database;
class Dataset;

namespace salesrecord {

// What "修 改" writes; the texts are stored trimmed.
struct Correction {
    double debt = 0;    // 6
    QString saleNumber; // z
    QString customer;   // g
    QString address;    // h
    QString contact;    // i
    QString remark;     // j
};

// Updates the record listed at `row` of the sales list (by its ID) and the listed row with it.
// False with the engine's message in database.errorText().
bool correct(Database &database, Dataset &sales, int row, const Correction &correction);

struct Deletion {
    enum class Status {
        Deleted,
        Missing, // the record is no longer stored; nothing was written
        Failed,  // the engine refused; nothing was written
    } status = Status::Failed;
    QString reason;      // the engine's message when Failed
    qint64 goodsId = -1; // the goods row given back the quantity; -1 when none matched
};

// Deletes the record and, in the same transaction, takes its quantity, amount and cost back out of
// the goods row it was sold from: the row the record names, while it still has exactly the record's
// name, model, code, category and stock-in date; otherwise (older records) the first row with those,
// one of the record's purchase price first. Without such a row only the record goes.
Deletion remove(Database &database, qint64 recordId);

} // namespace salesrecord
