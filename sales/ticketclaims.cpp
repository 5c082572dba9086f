#include "sales/ticketclaims.h"

#include "sales/salenumber.h"
#include "store/database.h"

#include <QStringList>

std::optional<qlonglong> TicketClaims::claim(Database &database, const QDate &day, qlonglong atLeast) {
    // One statement: the row of the day is locked from the read of its last counter to the write of
    // the next, whichever till comes first.
    const QVariant claimed = database.scalar(
        QStringLiteral("insert into day_counters (day, last) values (?, ?) on conflict (day) do update set"
                       " last = case when day_counters.last + 1 > excluded.last then day_counters.last + 1"
                       " else excluded.last end returning last"),
        {day.toString(QStringLiteral("yyyyMMdd")), atLeast});
    if (!claimed.isValid() || claimed.isNull()) return std::nullopt;
    return claimed.toLongLong();
}

void TicketClaims::keep(const QDate &day, qlonglong counter) {
    if (day != m_day) {
        m_day = day;
        m_mine.clear();
    }
    m_mine.insert(counter);
}

std::optional<qlonglong> TicketClaims::next(Database &database, const QDate &day, qlonglong current) {
    if (day == m_day) {
        const auto later = m_mine.upper_bound(current);
        if (later != m_mine.end()) return *later;
    }
    const auto claimed = claim(database, day, salenumber::next(current));
    if (claimed) keep(day, *claimed);
    return claimed;
}

qlonglong TicketClaims::previous(const QDate &day, qlonglong current) {
    if (day == m_day) {
        const auto at = m_mine.lower_bound(current);
        if (at != m_mine.begin()) return *std::prev(at);
    }
    return salenumber::previous(current);
}

std::optional<qlonglong> TicketClaims::start(Database &database, const QDate &day, qlonglong atLeast) {
    const auto claimed = claim(database, day, atLeast);
    if (claimed) keep(day, *claimed);
    return claimed;
}

bool TicketClaims::owns(const QDate &day, qlonglong counter) const {
    return day == m_day && m_mine.count(counter) > 0;
}

std::optional<qlonglong> TicketClaims::own(Database &database, const QDate &day, qlonglong current) {
    if (owns(day, current)) return current;
    return start(database, day, current);
}

QString TicketClaims::text() const {
    if (!m_day.isValid() || m_mine.empty()) return {};
    QStringList counters;
    for (const qlonglong counter : m_mine)
        counters << QString::number(counter);
    return m_day.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char(':') + counters.join(QLatin1Char(','));
}

void TicketClaims::restore(const QString &text) {
    m_day = {};
    m_mine.clear();
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QDate day = QDate::fromString(text.left(colon), QStringLiteral("yyyyMMdd"));
    if (colon < 0 || !day.isValid()) return;
    std::set<qlonglong> mine;
    for (const QString &part : text.mid(colon + 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const qlonglong counter = part.trimmed().toLongLong(&ok);
        if (!ok || counter < 0) return;
        mine.insert(counter);
    }
    m_day = day;
    m_mine = std::move(mine);
}
