#pragma once
// The tickets a till takes in a day. Every new ticket's counter is claimed on the shop's database
// (one more than the last claimed that day by any till, at least what the till asks for), so that two
// tills never give two customers one sale number. "+" and "-" first go through the tickets this till
// took today, so going back to an earlier customer of this till stays possible. The till keeps its
// claims of the day in its own settings: after a restart it stays on its ticket, and a counter it never
// claimed (a copied settings file, another till's start of the day) is not used unclaimed.
#include <QDate>
#include <optional>
#include <set>

class Database;

class TicketClaims {
  public:
    // Claims a counter of the day on the database; nothing when the engine failed (its message in
    // database.errorText()).
    static std::optional<qlonglong> claim(Database &database, const QDate &day, qlonglong atLeast);

    // Where "+" goes from `current`: this till's next ticket of the day, or a new one claimed.
    std::optional<qlonglong> next(Database &database, const QDate &day, qlonglong current);
    // Where "-" goes: this till's ticket before `current`, or the one just below (never under 0).
    qlonglong previous(const QDate &day, qlonglong current);
    // Claims a counter for a ticket the till starts at (the first sale of a new day).
    std::optional<qlonglong> start(Database &database, const QDate &day, qlonglong atLeast);
    // `current` when this till claimed it that day; otherwise a counter claimed now (`current` itself
    // when no till has come that far).
    std::optional<qlonglong> own(Database &database, const QDate &day, qlonglong current);
    bool owns(const QDate &day, qlonglong counter) const;

    // The claims as kept in the settings ("yyyyMMdd:1,4,5"), and read back; a text that is not of
    // this form is no claims at all.
    QString text() const;
    void restore(const QString &text);

  private:
    void keep(const QDate &day, qlonglong counter);

    QDate m_day;
    std::set<qlonglong> m_mine;
};
