#pragma once
// The customer look-ups of the sale panel over the sales records: the customer of a ticket by its
// exact sale number, a customer's address and contact by name, and the names for the drop-down.
#include <QString>
#include <QStringList>
#include <optional>

class Database;

struct Customer {
    QString name;    // g
    QString address; // h
    QString contact; // i
    QString remark;  // j
};

namespace customers {

struct Found {
    bool ok = false;               // false: the engine's message is in database.errorText()
    std::optional<Customer> found; // nothing when no record matched
};

// The customer recorded with the sale number (trimmed, compared exactly: ticket 100 is not ticket
// 1000). Nothing for an empty number or one without records.
Found ofTicket(Database &database, const QString &saleNumber);

// The address and contact first recorded with a customer name (trimmed, compared exactly); the
// result's name and remark stay empty. Nothing for an empty name or one without records.
Found contactOf(Database &database, const QString &name);

// The customer names of all sales records, sorted, once each (an empty name first when there is
// one). Nothing on failure.
std::optional<QStringList> names(Database &database);

// Where a name goes in a list sorted as names() sorts (by the bytes of the UTF-8 text): the first
// position whose name is not before it.
int insertionPoint(const QStringList &sortedNames, const QString &name);

} // namespace customers
