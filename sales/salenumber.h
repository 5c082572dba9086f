#pragma once
// The sale number: today's date and the daily ticket counter, "20140801007". All lines of one ticket
// carry it.
#include <QDate>
#include <QString>

struct SessionState;

namespace salenumber {

// yyyyMMdd of the day followed by the counter, zero-padded to at least three digits.
QString make(const QDate &day, qlonglong counter);
// "+" and "-": the counter moves by one and never goes below 0.
qlonglong next(qlonglong counter);
qlonglong previous(qlonglong counter);

// Starts the counter again at 1 on a new day. A day counts as new when the sale date differs from
// the date of the last exit; it is started once for each such sale date during a run, so that "+"
// keeps working after the first sale of the day instead of every opening of the panel falling back
// to ticket 1 and adding the next customer's lines to the first ticket.
class DailyRestart {
  public:
    // True when it set the counter to 1.
    bool apply(SessionState &session, const QString &saleDateText);

  private:
    QString m_restartedFor;
};

} // namespace salenumber
