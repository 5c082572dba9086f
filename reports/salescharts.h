#pragma once
// The four chart queries of the sales statistics: the profit or the sales amount of each month of a
// year, and of each day of a month, over all sales records (returns lower their month and day).
#include "reports/salesqueries.h"

#include <optional>
#include <vector>

class Database;

namespace salescharts {

enum class Measure { Profit, Amount }; // sum of a5, sum of [4]

struct Point {
    int x = 0; // month 1..12 or day 1..31
    double total = 0;
};

struct Result {
    bool ok = true; // false: the engine's message is in database.errorText()
    std::vector<Point> points;
};

// The year and month are the drop-downs' texts as they stand; a text that is no number selects no
// records (nothing is built). Statements are ranges on the dates of the day totals.
std::optional<SalesStatement> monthlyStatement(const QString &year, Measure measure);
std::optional<SalesStatement> dailyStatement(const QString &year, const QString &month, Measure measure);

// How many days the daily chart names: those of the month the texts give, 31 when they give none.
int daysOf(const QString &year, const QString &month);

// One point per result row, ascending.
Result monthly(Database &database, const QString &year, Measure measure);
Result daily(Database &database, const QString &year, const QString &month, Measure measure);

} // namespace salescharts
