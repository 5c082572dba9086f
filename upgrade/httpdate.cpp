#include "upgrade/httpdate.h"

#include <QStringList>
#include <QTimeZone>

namespace {
int monthNumber(const QString &text) {
    static const char *const months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                         "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    const QString head = text.left(3).toUpper();
    for (int month = 0; month < 12; ++month)
        if (head == QLatin1String(months[month])) return month + 1;
    return 0;
}

bool isWeekday(const QString &text) {
    static const char *const days[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
    const QString head = text.left(3).toUpper();
    for (const char *day : days)
        if (head == QLatin1String(day)) return true;
    return false;
}

// Walks through the text one part at a time; a part ends at the separator (which is consumed) or at
// a blank.
class Parts {
  public:
    explicit Parts(const QString &text) : m_text(text) {}
    QString next(QChar separator) {
        while (m_at < m_text.size() && m_text[m_at] == u' ')
            ++m_at;
        const qsizetype start = m_at;
        while (m_at < m_text.size() && m_text[m_at] != separator && m_text[m_at] != u' ')
            ++m_at;
        const QString part = m_text.mid(start, m_at - start);
        if (m_at < m_text.size() && m_text[m_at] == separator) ++m_at;
        return part;
    }
    QString rest() const { return m_text.mid(m_at); }

  private:
    QString m_text;
    qsizetype m_at = 0;
};

bool readTime(const QString &text, QTime *time) {
    const QStringList parts = text.split(u':');
    int values[3] = {0, 0, 0};
    for (int i = 0; i < 3 && i < parts.size(); ++i) {
        bool ok = false;
        values[i] = parts[i].toInt(&ok);
        if (!ok) return false;
    }
    *time = QTime(values[0], values[1], values[2]);
    return time->isValid();
}

// "+0800" or "-0130" in seconds east of UTC; anything else counts as 0.
int zoneOffset(const QString &text) {
    if (text.size() < 5) return 0;
    const QChar sign = text[0];
    if (sign != u'+' && sign != u'-') return 0;
    bool hoursOk = false, minutesOk = false;
    const int hours = text.mid(1, 2).toInt(&hoursOk);
    const int minutes = text.mid(3, 2).toInt(&minutesOk);
    if (!hoursOk || !minutesOk) return 0;
    const int seconds = hours * 3600 + minutes * 60;
    return sign == u'-' ? -seconds : seconds;
}
} // namespace

QDateTime parseHttpDate(const QString &input) {
    QString text = input.trimmed();
    if (isWeekday(text)) {
        const qsizetype blank = text.indexOf(u' ');
        if (blank < 0) return {};
        text = text.mid(blank + 1).trimmed();
    }
    const qsizetype blank = text.indexOf(u' ');
    const qsizetype dash = text.indexOf(u'-');
    const QChar separator = dash >= 1 && (blank < 0 || dash < blank) ? u'-' : u' ';

    Parts parts(text);
    const QString first = parts.next(separator);
    const QString second = parts.next(separator);
    int month = monthNumber(first);
    QString dayText = second;
    if (month == 0) {
        month = monthNumber(second);
        dayText = first;
    }
    bool ok = false;
    const int day = dayText.toInt(&ok);
    if (!ok || month == 0) return {};

    QString yearText = parts.next(u' ');
    QString timeText;
    int year = yearText.toInt(&ok);
    if (!ok) {
        timeText = yearText; // the time stands before the year
        yearText = parts.next(u' ');
        year = yearText.toInt(&ok);
        if (!ok) return {};
    }
    if (year < 80)
        year += 2000;
    else if (year < 100)
        year += 1900;

    if (timeText.isEmpty() && parts.rest().contains(u':')) timeText = parts.next(u' ');
    QTime time(0, 0);
    if (!timeText.isEmpty() && !readTime(timeText, &time)) return {};
    const QString zone = parts.rest().trimmed();
    const int offset = zone.size() > 4 ? zoneOffset(zone) : 0;

    const QDate date(year, month, day);
    if (!date.isValid()) return {};
    const QDateTime universal(date, time, Qt::UTC);
    return universal.addSecs(-offset).toLocalTime();
}

QString httpStatusText(int status) {
    switch (status) {
    case 10:
        return QStringLiteral("Resolving name");
    case 11:
        return QStringLiteral("Name resolved");
    case 20:
        return QStringLiteral("Connecting to server");
    case 21:
        return QStringLiteral("Connected");
    case 30:
        return QStringLiteral("Sending Request");
    case 31:
        return QStringLiteral("Request sent");
    case 40:
        return QStringLiteral("Receiving response");
    case 41:
        return QStringLiteral("Response received");
    case 42:
        return QStringLiteral("CTL Response received");
    case 43:
        return QStringLiteral("Prefetch");
    case 50:
        return QStringLiteral("Closing connection");
    case 51:
        return QStringLiteral("Connection closed");
    case 60:
        return QStringLiteral("Handle created");
    case 70:
        return QStringLiteral("Handle closing");
    case 100:
        return QStringLiteral("Request complete");
    case 110:
        return QStringLiteral("Redirect");
    case 120:
        return QStringLiteral("Intermediate response");
    case 200:
        return QStringLiteral("State change");
    default:
        return QStringLiteral("Unknown status");
    }
}
