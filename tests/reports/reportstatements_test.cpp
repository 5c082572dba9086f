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
    query.prepare(QStringLiteral("explain query plan ") + db.toEngine(statement));
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

// The monthly chart added up from the records themselves, a day at a time, then the days of each month.
QString recordsMonthly(Measure measure) {
    return QStringLiteral("select month([day1]) as 月份,sum(当日总量) as 总量 from (select day1,") +
           (measure == Measure::Profit ? QStringLiteral("sum(a5)") : QStringLiteral("sum([4])")) +
           QStringLiteral(" as 当日总量 from data1 where day1>=? and day1<? group by day1) "
                          "group by month([day1]) order by month([day1])");
}

// The daily chart added up from the records themselves.
QString recordsDaily(Measure measure) {
    return QStringLiteral("select day([day1]) as 日期,") +
           (measure == Measure::Profit ? QStringLiteral("sum(a5)") : QStringLiteral("sum([4])")) +
           QStringLiteral(" as 总量 from data1 where day1>=? and day1<? group by day1 order by day1");
}

std::vector<std::pair<QVariant, QVariant>> rowsOf(Database &db, const QString &statement,
                                                  const QVariantList &binds) {
    QSqlQuery query(db.connection());
    query.prepare(db.toEngine(statement));
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

namespace {
// Every chart of the given years and months, side by side with the same figures added up from the
// records; the figures must be equal to the last bit.
void expectChartsAddUpTheRecords(Database &db, std::initializer_list<const char *> years, const char *when) {
    SCOPED_TRACE(when);
    for (const char *year : years) {
        for (const Measure measure : {Measure::Profit, Measure::Amount}) {
            const auto monthly = salescharts::monthlyStatement(QString::fromLatin1(year), measure);
            const auto rows = rowsOf(db, monthly->text, monthly->binds);
            EXPECT_EQ(rows, rowsOf(db, recordsMonthly(measure), monthly->binds)) << year;
            for (int month = 1; month <= 12; ++month) {
                const auto daily =
                    salescharts::dailyStatement(QString::fromLatin1(year), QString::number(month), measure);
                EXPECT_EQ(rowsOf(db, daily->text, daily->binds), rowsOf(db, recordsDaily(measure), daily->binds))
                    << year << "-" << month;
            }
        }
    }
}

qint64 countOf(Database &db, const char *statement) {
    return db.scalar(QString::fromLatin1(statement)).toLongLong();
}
} // namespace

TEST(ReportStatements, TheChartsShowWhatTheRecordsAddUpToAfterEveryKindOfWrite) {
    SKIP_ON_SERVER("checks the file's day-total triggers; the server adds the days up in a view");
    TestEnv env;
    Database &db = env.database();
    storeMixedRecords(db);
    expectChartsAddUpTheRecords(db, {"2013", "2014", "2015"}, "stored one after another");

    // A record put between those stored before it on its day (an ID below theirs).
    ASSERT_TRUE(db.execute(QStringLiteral("delete from data1 where ID=2")));
    expectChartsAddUpTheRecords(db, {"2014"}, "a record deleted");
    ASSERT_TRUE(db.execute(
        QStringLiteral("insert into data1 (ID,a,[4],a5,day1) values (2,'x',0.7,0.1,'2014-08-05')")));
    expectChartsAddUpTheRecords(db, {"2014"}, "a record stored under a lower ID");

    ASSERT_TRUE(db.execute(QStringLiteral("update data1 set a5=a5+0.3 where day1='2014-08-05'")));
    expectChartsAddUpTheRecords(db, {"2014"}, "profits changed");
    ASSERT_TRUE(db.execute(QStringLiteral("update data1 set day1='2014-09-01' where ID=1")));
    expectChartsAddUpTheRecords(db, {"2014"}, "a record moved to another day");
    ASSERT_TRUE(db.execute(QStringLiteral("update data1 set [4]=NULL, a5=NULL where day1='2014-07-31'")));
    expectChartsAddUpTheRecords(db, {"2014"}, "a day without figures");
    ASSERT_TRUE(db.execute(QStringLiteral("update data1 set ID=100 where ID=3")));
    expectChartsAddUpTheRecords(db, {"2014"}, "a record renumbered");
    ASSERT_TRUE(db.execute(QStringLiteral("update data1 set g='张三' where day1='2014-08-05'")));
    expectChartsAddUpTheRecords(db, {"2014"}, "a change of other columns");

    // A day whose last record goes is no longer listed; records without a date are in no chart.
    ASSERT_TRUE(db.execute(QStringLiteral("delete from data1 where day1 in ('2013-08-05', '2014-12-31')")));
    ASSERT_TRUE(db.execute(QStringLiteral("insert into data1 (a,[4],a5) values ('x',5,1)")));
    expectChartsAddUpTheRecords(db, {"2013", "2014"}, "days emptied");
    EXPECT_EQ(countOf(db, "select count(*) from data1_days"),
              countOf(db, "select count(distinct day1) from data1"));

    // Figures that carry a binary error, many to a day, as a busy shop stores them.
    ASSERT_TRUE(db.begin());
    for (int i = 0; i < 3000; ++i) {
        const double price = 0.1 * (i % 97) + 21.9;
        ASSERT_TRUE(db.execute(QStringLiteral("insert into data1 (a,[4],a5,day1) values ('x',?,?,?)"),
                               {price * (1 + i % 3), price / 7, QStringLiteral("2014-10-%1").arg(1 + i % 4, 2, 10,
                                                                                                  QLatin1Char('0'))}));
    }
    ASSERT_TRUE(db.commit());
    expectChartsAddUpTheRecords(db, {"2014"}, "many inexact figures");
    ASSERT_TRUE(db.execute(QStringLiteral("delete from data1 where ID % 5 = 0 and day1 like '2014-10%'")));
    expectChartsAddUpTheRecords(db, {"2014"}, "many inexact figures, some deleted");
}

TEST(ReportStatements, TheChartsSummaryAndCategoriesReadTheirIndexesAloneAndSortNothing) {
    SKIP_ON_SERVER("reads the file engine's query plans");
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
         "SEARCH data1_days USING PRIMARY KEY (day1>? AND day1<?)", true},
        {"daily chart", daily->text, daily->binds, "SEARCH data1_days USING PRIMARY KEY (day1>? AND day1<?)",
         false},
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
