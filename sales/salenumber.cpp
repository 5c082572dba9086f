#include "sales/salenumber.h"

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

bool DailyRestart::apply(SessionState &session, const QString &saleDateText) {
    if (session.lastExitDate == saleDateText || m_restartedFor == saleDateText) return false;
    session.ticketCounter = 1;
    m_restartedFor = saleDateText;
    return true;
}

} // namespace salenumber
