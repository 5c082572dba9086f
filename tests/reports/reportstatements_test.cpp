// The reports' statements as they are run give what the shapes they replace gave, row for row and in
// the same order, and the engine serves them from the indexes made for them rather than by reading
// and sorting every record.
#include "reports/goodssummary.h"
#include "reports/salescharts.h"
#include "reports/salesqueries.h"
#include "store/dataset.h"
#include "tests/reports/reportsfixture.h"
#include "tests/support/testenv.h"

#include <QSqlError>
#include <QSqlQuery>
#include <cmath>
#include <gtest/gtest.h>

namespace {
using salescharts::Measure;

QList<qint64> idsOf(Database &db, const QString &statement, const QVariantList &binds = {}) {
    Dataset rows;
    if (!rows.load(db, statement, binds)) throw std::runtime_error(db.errorText().toStdString());
    QList<qint64> ids;
    for (int row = 0; row < rows.rowCount(); ++row)
        ids << rows.id(row);
    return ids;
}

// The engine's plan for a statement, its steps joined by " / ".
QString planOf(Database &db, const QString &statement, const QVariantList &binds = {}) {
    QSqlQuery query(db.connection());
    query.prepare(QStringLiteral("explain query plan ") + Database::toEngine(statement));
    for (const QVariant &value : binds)
        query.addBindValue(value);
    if (!query.exec()) return query.lastError().text();
    QStringList steps;
    while (query.next())
        steps << query.value(3).toString();
    return steps.join(QStringLiteral(" / "));
}

// The "查 询" as first written: the quantity first, then the patterns, then the dates.
QString formerSearch(const SalesFilter &filter, salesqueries::Kind kind, QVariantList *binds) {
    QString text = QStringLiteral("select ID,a,b,c,d,g,h,i,j,z,[1],[2],[3],[4],a5,[6],day1,day2 from data1") +
                   (kind == salesqueries::Kind::Sales ? QStringLiteral(" where [3]>0 ")
                                                      : QStringLiteral(" where [3]<0 "));
    const auto like = [&](const QString &value, const char *column) {
        if (value.isEmpty()) return;
        text += QStringLiteral(" and ") + QLatin1String(column) + QStringLiteral(" like ?");
        *binds << QVariant(QStringLiteral("%") + value + QStringLiteral("%"));
    };
    like(filter.category, "d");
    like(filter.nameInitials, "e");
    like(filter.code, "c");
    like(filter.modelInitials, "f");
    like(filter.customer, "g");
    like(filter.remark, "j");
    if (filter.dateRange)
        text += QStringLiteral(" and day1>=#") + filter.fromDate + QStringLiteral("# and day1<=#") +
                filter.toDate + QStringLiteral("#");
    return text;
}

// The monthly chart grouped by month straight away.
QString formerMonthly(Measure measure) {
    return QStringLiteral("select month([day1]) as 月份,") +
           (measure == Measure::Profit ? QStringLiteral("sum(a5)") : QStringLiteral("sum([4])")) +
           QStringLiteral(" as 总量 from data1 where day1>=? and day1<? group by month([day1]) order by "
                          "month([day1])");
}

std::vector<std::pair<QVariant, QVariant>> rowsOf(Database &db, const QString &statement,
                                                  const QVariantList &binds) {
    QSqlQuery query(db.connection());
    query.prepare(Database::toEngine(statement));
    for (const QVariant &value : binds)
        query.addBindValue(value);
    EXPECT_TRUE(query.exec()) << query.lastError().text().toStdString();
    std::vector<std::pair<QVariant, QVariant>> rows;
    while (query.next())
        rows.emplace_back(query.value(0), query.value(1));
    return rows;
}

// Records of several days, some of one day stored apart, with odd date texts, empty and missing
// initials, missing quantities and figures. Figures are quarters, which add up exactly in any order.
void storeMixedRecords(Database &db) {
    const struct {
        const char *date;
        const char *initials; // nullptr: NULL
        double quantity;      // NaN: NULL
        double profit;        // NaN: NULL
    } rows[] = {
        {"2014-08-05", "dn", 3, 12.25}, {"2014-08-01", "dnj", 1, 4.5}, {"2014-08-05", "sb", -1, -3.75},
        {"2014-07-31", "dn", 2, 8},     {"2014-08-05", "dn", 0, 0},    {"2014-08-05", nullptr, 2, 7.25},
        {"2014-8-05", "dn", 1, 2.5},    {"2014-08", "xdn", 1, 1.25},   {"2014-08-31 23:59", "dn", 1, 3},
        {"2014-12-31", "", 1, 9.5},     {"2014-08-05", "DN", 4, NAN},  {"2014-09-01", "dn", NAN, 6},
        {"2013-08-05", "dn", 1, 100},   {"2015-01-01", "dn", 1, 200},  {"2014-08-01", "dn_x", 1, 0.75},
        {"2014-08-05", "d%n", 1, 1.5},
    };
    for (const auto &r : rows)
        ASSERT_TRUE(
            db.execute(QStringLiteral("insert into data1 (a,e,[3],[4],a5,day1) values ('x',?,?,?,?,?)"),
                       {r.initials ? QVariant(QString::fromLatin1(r.initials)) : QVariant(),
                        std::isnan(r.quantity) ? QVariant() : QVariant(r.quantity),
                        std::isnan(r.profit) ? QVariant() : QVariant(r.profit * 3),
                        std::isnan(r.profit) ? QVariant() : QVariant(r.profit), QString::fromLatin1(r.date)}))
            << db.errorText().toStdString();
}
} // namespace

TEST(ReportStatements, TheSearchListsWhatTheQuantityFirstShapeListedInTheSameOrder) {
    TestEnv env;
    Database &db = env.database();
    storeMixedRecords(db);
    const auto filter = [](const char *initials, bool range = false) {
        SalesFilter f;
        f.nameInitials = QString::fromLatin1(initials);
        f.dateRange = range;
        f.fromDate = QStringLiteral("2014-08-01");
        f.toDate = QStringLiteral("2014-08-05");
        return f;
    };
    const SalesFilter filters[] = {filter(""),  filter("d"), filter("dn"),       filter("n"),     filter("_"),
                                   filter("%"), filter(""),  filter("dn", true), filter("", true)};
    int nonEmpty = 0;
    for (const SalesFilter &f : filters) {
        for (const auto kind : {salesqueries::Kind::Sales, salesqueries::Kind::Returns}) {
            SCOPED_TRACE(f.nameInitials.toStdString() + (f.dateRange ? " with dates" : "") +
                         (kind == salesqueries::Kind::Sales ? " sales" : " returns"));
            QVariantList formerBinds;
            const QString former = formerSearch(f, kind, &formerBinds);
            const auto now = salesqueries::search(f, kind);
            ASSERT_TRUE(now);
            const QList<qint64> listed = idsOf(db, now->text, now->binds);
            EXPECT_EQ(listed, idsOf(db, former, formerBinds));
            nonEmpty += listed.isEmpty() ? 0 : 1;
        }
    }
    EXPECT_GE(nonEmpty, 10) << "the cases list records";
    // The dates' index lists one day's records in the order they were stored.
    const auto dated = salesqueries::search(filter("", true), salesqueries::Kind::Sales);
    EXPECT_EQ(idsOf(db, dated->text, dated->binds), (QList<qint64>{2, 15, 1, 6, 11, 16}));
}

TEST(ReportStatements, TheMonthlyChartAddsUpWhatGroupingByMonthAddedUp) {
    TestEnv env;
    Database &db = env.database();
    storeMixedRecords(db);
    for (const char *year : {"2014", "2013", "2015", "2016"}) {
        for (const Measure measure : {Measure::Profit, Measure::Amount}) {
            SCOPED_TRACE(year);
            const auto now = salescharts::monthlyStatement(QString::fromLatin1(year), measure);
            ASSERT_TRUE(now);
            const auto rows = rowsOf(db, now->text, now->binds);
            EXPECT_EQ(rows, rowsOf(db, formerMonthly(measure), now->binds));
        }
    }
    // The month-less "2014-8-05" in a group of its own, July, August, September, December.
    const auto year = salescharts::monthlyStatement(QStringLiteral("2014"), Measure::Profit);
    EXPECT_EQ(rowsOf(db, year->text, year->binds).size(), 5u);
}

TEST(ReportStatements, TheChartsSummaryAndCategoriesReadTheirIndexesAloneAndSortNothing) {
    TestEnv env;
    Database &db = env.database();
    const auto monthly = salescharts::monthlyStatement(QStringLiteral("2014"), Measure::Amount);
    const auto daily =
        salescharts::dailyStatement(QStringLiteral("2014"), QStringLiteral("8"), Measure::Profit);
    // Sorting is left only to the days of the monthly chart (a few hundred rows, not a year of
    // records) and to the categories stored since the list was read.
    struct Case {
        const char *what;
        QString statement;
        QVariantList binds;
        const char *plan;
        bool sortsRows;
    } cases[] = {
        {"monthly chart", monthly->text, monthly->binds,
         "SEARCH data1 USING COVERING INDEX data1_day1_figures (day1>? AND day1<?)", true},
        {"daily chart", daily->text, daily->binds,
         "SEARCH data1 USING COVERING INDEX data1_day1_figures (day1>? AND day1<?)", false},
        {"goods summary",
         goodssummary::statement(),
         {},
         "SCAN data USING COVERING INDEX data_summary",
         false},
        {"all categories",
         QStringLiteral("select distinct d from data1 order by d"),
         {},
         "SCAN data1 USING COVERING INDEX data1_d",
         false},
        {"categories stored since",
         QStringLiteral("select distinct d from data1 where ID>? and ID<=? order by d"),
         {1, 2},
         "SEARCH data1 USING INTEGER PRIMARY KEY (rowid>? AND rowid<?)",
         true},
        {"all records", salesqueries::allRecords(), {}, "SCAN data1 USING INDEX data1_day1_figures", false},
    };
    for (const Case &c : cases) {
        const QString plan = planOf(db, c.statement, c.binds);
        EXPECT_TRUE(plan.contains(QString::fromLatin1(c.plan))) << c.what << ": " << plan.toStdString();
        if (!c.sortsRows) {
            EXPECT_FALSE(plan.contains(QStringLiteral("TEMP B-TREE")))
                << c.what << ": " << plan.toStdString();
        }
    }
}
