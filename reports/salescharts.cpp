#include "reports/salescharts.h"

#include "store/database.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>

namespace salescharts {

namespace {
std::optional<int> wholeNumber(const QString &text, int minimum, int maximum) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < minimum || value > maximum) return std::nullopt;
    return value;
}

QString dateText(int year, int month, int day) {
    return QStringLiteral("%1-%2-%3")
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'));
}

QString figureOf(Measure measure) {
    return measure == Measure::Profit ? QStringLiteral("a5") : QStringLiteral("[4]");
}

Result run(Database &database, const std::optional<SalesStatement> &statement) {
    Result result;
    if (!statement) return result;
    QSqlQuery query(database.connection());
    query.setForwardOnly(true);
    if (!query.prepare(database.toEngine(statement->text))) {
        database.setError(query.lastError().text());
        return {false, {}};
    }
    for (const QVariant &value : statement->binds)
        query.addBindValue(value);
    if (!query.exec()) {
        database.setError(query.lastError().text());
        return {false, {}};
    }
    while (query.next())
        result.points.push_back({query.value(0).toInt(), query.value(1).toDouble()});
    return result;
}
} // namespace

// Both read the day totals the database keeps beside the records (data1_days): one row per sale date
// holding what sum() gives over that day's records. A year is a few hundred rows, not every record.
std::optional<SalesStatement> monthlyStatement(const QString &year, Measure measure) {
    const auto y = wholeNumber(year, 1, 9998);
    if (!y) return std::nullopt;
    // The days are added up in date order, as the records' own sums per month would add them. A date
    // text without a month still forms its own group, as it did.
    return SalesStatement{QStringLiteral("select month([day1]) as 月份,sum(") + figureOf(measure) +
                              QStringLiteral(") as 总量 from data1_days where day1>=? and day1<? "
                                             "group by month([day1]) order by month([day1])"),
                          {dateText(*y, 1, 1), dateText(*y + 1, 1, 1)}};
}

std::optional<SalesStatement> dailyStatement(const QString &year, const QString &month, Measure measure) {
    const auto y = wholeNumber(year, 1, 9998);
    const auto m = wholeNumber(month, 1, 12);
    if (!y || !m) return std::nullopt;
    const QString end = *m == 12 ? dateText(*y + 1, 1, 1) : dateText(*y, *m + 1, 1);
    return SalesStatement{QStringLiteral("select day([day1]) as 日期,") + figureOf(measure) +
                              QStringLiteral(" as 总量 from data1_days where day1>=? and day1<? order by day1"),
                          {dateText(*y, *m, 1), end}};
}

int daysOf(const QString &year, const QString &month) {
    const auto y = wholeNumber(year, 1, 9998);
    const auto m = wholeNumber(month, 1, 12);
    return y && m ? QDate(*y, *m, 1).daysInMonth() : 31;
}

Result monthly(Database &database, const QString &year, Measure measure) {
    return run(database, monthlyStatement(year, measure));
}

Result daily(Database &database, const QString &year, const QString &month, Measure measure) {
    return run(database, dailyStatement(year, month, measure));
}

} // namespace salescharts
