// The sales-detail statements: the month as a range lists what the month patterns list, in stored
// order; the filters go in their fixed order as bound patterns; returns and sales never mix.
#include "reports/salesqueries.h"
#include "store/dataset.h"
#include "tests/reports/reportsfixture.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

namespace {
QList<qint64> idsOf(Database &db, const QString &statement, const QVariantList &binds = {}) {
    Dataset rows;
    if (!rows.load(db, statement, binds)) throw std::runtime_error(db.errorText().toStdString());
    QList<qint64> ids;
    for (int row = 0; row < rows.rowCount(); ++row)
        ids << rows.id(row);
    return ids;
}
} // namespace

TEST(SalesQueries, TheMonthRangeListsTheRowsOfTheMonthPatternsInStoredOrder) {
    TestEnv env;
    Database &db = env.database();
    // Stored out of date order, with neighbours of August on both sides and odd date texts.
    for (const char *date : {"2014-08-20", "2014-07-31", "2014-08-01", "2014-09-01", "2013-08-15",
                             "2014-08-31", "2014-08-05", "2014-08", "2014-080", "2014-08-31 23:59"}) {
        Record r;
        r.date = QString::fromLatin1(date);
        insertRecord(db, r);
    }
    const SalesStatement month = salesqueries::month(QDate(2014, 8, 12));
    const QList<qint64> patterns = idsOf(
        db,
        QStringLiteral("select * from data1 where day1 like '2014-%' and day1 like '%-08-%' order by ID"));

    EXPECT_EQ(idsOf(db, month.text, month.binds), patterns);
    EXPECT_EQ(patterns.size(), 5);
    // December's range ends inside the same year.
    const SalesStatement december = salesqueries::month(QDate(2014, 12, 3));
    EXPECT_EQ(december.binds, (QVariantList{QStringLiteral("2014-12-"), QStringLiteral("2014-12.")}));
}

TEST(SalesQueries, SearchAppendsTheFilledFieldsInTheirFixedOrderAsBoundPatterns) {
    SalesFilter filter;
    filter.category = u("电子");
    filter.nameInitials = QStringLiteral("dn");
    filter.code = QStringLiteral("69");
    filter.modelInitials = QStringLiteral("lx");
    filter.customer = u("张");
    filter.remark = QStringLiteral("x'; drop table data1; --");
    filter.dateRange = true;
    filter.fromDate = QStringLiteral("2014-08-01");
    filter.toDate = QStringLiteral("2014-08-31");

    const auto sales = salesqueries::search(filter, salesqueries::Kind::Sales);
    ASSERT_TRUE(sales);
    EXPECT_TRUE(sales->text.startsWith(
        QStringLiteral("select ID,a,b,c,d,g,h,i,j,z,[1],[2],[3],[4],a5,[6],day1,day2 from data1 where")));
    EXPECT_EQ(sales->text.mid(sales->text.indexOf(QStringLiteral(" where"))),
              QStringLiteral(" where d like ? and e like ? and c like ? and f like ? and g like ? "
                             "and j like ? and [3]>0 and day1>=#2014-08-01# and day1<=#2014-08-31#"));
    EXPECT_EQ(sales->binds, (QVariantList{u("%电子%"), QStringLiteral("%dn%"), QStringLiteral("%69%"),
                                          QStringLiteral("%lx%"), u("%张%"),
                                          QStringLiteral("%x'; drop table data1; --%")}));

    const auto returns = salesqueries::search({}, salesqueries::Kind::Returns);
    ASSERT_TRUE(returns);
    EXPECT_TRUE(returns->text.endsWith(QStringLiteral(" from data1 where [3]<0")));
    EXPECT_TRUE(returns->binds.isEmpty());
}

TEST(SalesQueries, ADateRangeWithAFieldThatHoldsNoDateBuildsNothing) {
    SalesFilter filter;
    filter.dateRange = true;
    filter.fromDate = QStringLiteral("2014-08-01");
    filter.toDate = QStringLiteral("    -  -  ");
    salesqueries::Problem problem = salesqueries::Problem::None;
    EXPECT_FALSE(salesqueries::search(filter, salesqueries::Kind::Sales, &problem));
    EXPECT_EQ(problem, salesqueries::Problem::ToDate);
    filter.fromDate = QStringLiteral("2014-02-30");
    EXPECT_FALSE(salesqueries::search(filter, salesqueries::Kind::Sales, &problem));
    EXPECT_EQ(problem, salesqueries::Problem::FromDate);
}

TEST(SalesQueries, SalesAndReturnsSearchesSplitTheRecordsAndQuantityZeroIsInNeither) {
    TestEnv env;
    Database &db = env.database();
    Record sale, ret, zero;
    ret.quantity = -1;
    zero.quantity = 0;
    const qint64 saleId = insertRecord(db, sale);
    const qint64 returnId = insertRecord(db, ret);
    insertRecord(db, zero);
    // A typed quote is text like any other.
    SalesFilter quoted;
    quoted.nameInitials = QStringLiteral("'");

    const auto ids = [&](const SalesFilter &filter, salesqueries::Kind kind) {
        const auto statement = salesqueries::search(filter, kind);
        return idsOf(db, statement->text, statement->binds);
    };
    EXPECT_EQ(ids({}, salesqueries::Kind::Sales), QList<qint64>{saleId});
    EXPECT_EQ(ids({}, salesqueries::Kind::Returns), QList<qint64>{returnId});
    EXPECT_TRUE(ids(quoted, salesqueries::Kind::Sales).isEmpty());
    EXPECT_EQ(idsOf(db, salesqueries::allReturns()), QList<qint64>{returnId});
}
