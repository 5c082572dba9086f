#pragma once
// What one run of the program remembers between its windows: the ticket counter and the date of the
// last exit, read from the settings each time the main window is shown; the sale panel reads and moves
// the counter.
#include <QString>
#include <limits>

struct SessionState {
    // The daily number of the next ticket; starts at 1.
    qlonglong ticketCounter = 1;
    // The sale date at the last exit ("yyyy-mm-dd"); empty when no exit was recorded, so that it
    // equals no sale date.
    QString lastExitDate;

    QString ticketCounterText() const { return QString::number(ticketCounter); }

    // The counter continues after the stored one. A value that is empty or not a whole number counts as
    // absent and leaves the counter as it is.
    void continueFromStoredCounter(const QString &stored) {
        bool ok = false;
        const qlonglong value = stored.trimmed().toLongLong(&ok);
        if (ok && value < std::numeric_limits<qlonglong>::max()) ticketCounter = value + 1;
    }

    // An empty stored date leaves the last-exit date as it is.
    void takeStoredExitDate(const QString &stored) {
        if (!stored.isEmpty()) lastExitDate = stored;
    }
};
