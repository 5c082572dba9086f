#include "sales/salenumber.h"

#include "store/database.h"
#include "store/dataset.h"
#include "store/sessionstate.h"

#include <limits>

namespace salenumber {

QString make(const QDate &day, qlonglong counter) {
    return day.toString(QStringLiteral("yyyyMMdd")) +
           QStringLiteral("%1").arg(counter, 3, 10, QLatin1Char('0'));
}

qlonglong next(qlonglong counter) {
    return counter < std::numeric_limits<qlonglong>::max() ? counter + 1 : counter;
}

qlonglong previous(qlonglong counter) {
    return counter > 0 ? counter - 1 : 0;
}

std::optional<qlonglong> highestStoredCounter(Database &database, const QDate &day) {
    const QString prefix = day.toString(QStringLiteral("yyyyMMdd"));
    // The digits sort between "0" and ":", so the range takes the day's numbers from the index.
    Dataset numbers;
    if (!numbers.load(database, QStringLiteral("select distinct z from data1 where z>=? and z<?"),
                      QVariantList{QString(prefix + QLatin1Char('0')), QString(prefix + QLatin1Char(':'))}))
        return std::nullopt;
    qlonglong highest = 0;
    for (int row = 0; row < numbers.rowCount(); ++row) {
        const QString counter = numbers.text(row, 0).mid(prefix.size());
        bool digitsOnly = counter.size() >= 3;
        for (const QChar c : counter)
            digitsOnly = digitsOnly && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        bool ok = false;
        const qlonglong value = digitsOnly ? counter.toLongLong(&ok) : 0;
        if (ok && value > highest) highest = value;
    }
    return highest;
}

bool DailyRestart::apply(SessionState &session, const QString &saleDateText,
                         const std::function<qlonglong()> &highestStored) {
    if (session.lastExitDate == saleDateText || m_restartedFor == saleDateText) return false;
    session.ticketCounter = next(highestStored());
    m_restartedFor = saleDateText;
    return true;
}

} // namespace salenumber
