#pragma once
// The sale number: today's date and the daily ticket counter, "20140801007". All lines of one ticket
// carry it.
#include <QDate>
#include <QString>
#include <functional>
#include <optional>

class Database;
struct SessionState;

namespace salenumber {

// yyyyMMdd of the day followed by the counter, zero-padded to at least three digits.
QString make(const QDate &day, qlonglong counter);
// "+" and "-": the counter moves by one and never goes below 0.
qlonglong next(qlonglong counter);
qlonglong previous(qlonglong counter);

// The highest counter among the sale numbers stored for that day (its yyyyMMdd followed by digits
// only); 0 when the day has none, nothing when the engine failed.
std::optional<qlonglong> highestStoredCounter(Database &database, const QDate &day);

// Starts the counter again on a new day. A day counts as new when the sale date differs from the date
// of the last exit; it is started once for each such sale date during a run, so that "+" keeps working
// after the first sale of the day instead of every opening of the panel falling back to the first
// ticket. It starts after the highest counter already stored for today's sale numbers (1 when there
// is none): after an unclean exit, or a sale date switched to another day and back, the tickets
// already sold today must not take the next customer's lines.
class DailyRestart {
  public:
    // True when it set the counter; `highestStored` is asked only then.
    bool apply(SessionState &session, const QString &saleDateText,
               const std::function<qlonglong()> &highestStored);

  private:
    QString m_restartedFor;
};

} // namespace salenumber
