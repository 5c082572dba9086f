// The statements of the goods list: the order of the "查询" conditions, the bound texts, the date range,
// the zero-stock choice, and what they find in a real database.
#include "stock/goodsquery.h"
#include "store/dataset.h"
#include "tests/stock/stockfixture.h"

#include <gtest/gtest.h>

namespace {

TEST(GoodsQuery, StartsWithTheListStatementAndBaseConditionForAllGoods) {
    GoodsQuery query;
    EXPECT_EQ(query.listStatement(), QStringLiteral("select * from data order by day1"));
    EXPECT_EQ(query.baseCondition(), QStringLiteral("where [2]>0 "));
    const auto plain = query.search({});
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->text, QStringLiteral("select * from data where [2]>0 "));
    EXPECT_TRUE(plain->binds.isEmpty());
}

TEST(GoodsQuery, ZeroStockChoiceOfTheCheckboxAndOfTheLogin) {
    struct Case {
        bool login;
        bool hidden;
        const char *list;
        const char *base;
    } cases[] = {
        {false, true, "select * from data where [7]<>0 order by day1", "where [7]<>0"},
        {false, false, "select * from data order by day1", "where [2]>0"},
        {true, true, "select * from data where [7]<>0 order by day1", "where [7]<>0 "},
        {true, false, "select * from data order by day1", "where [2]>0 "},
    };
    for (const Case &c : cases) {
        GoodsQuery query;
        query.setZeroStockHidden(!c.hidden); // from the other state
        if (c.login)
            query.applyLoginPreference(c.hidden);
        else
            query.setZeroStockHidden(c.hidden);
        EXPECT_EQ(query.listStatement(), QString::fromLatin1(c.list)) << c.login << c.hidden;
        EXPECT_EQ(query.baseCondition(), QString::fromLatin1(c.base)) << c.login << c.hidden;
        EXPECT_EQ(query.zeroStockHidden(), c.hidden);
    }
}

TEST(GoodsQuery, AppendsEveryConditionInItsFixedOrderWithTheTextsBound) {
    GoodsQuery query;
    GoodsFilter filter;
    filter.category = QStringLiteral("文具");
    filter.nameInitials = QStringLiteral("dn");
    filter.modelInitials = QStringLiteral("bz");
    filter.code = QStringLiteral("690");
    filter.remark = QStringLiteral("促销");
    filter.supplier = QStringLiteral("华联");
    filter.dateRange = true;
    filter.fromDate = QStringLiteral("2014-08-01");
    filter.toDate = QStringLiteral("2014-08-31");
    const auto statement = query.search(filter);
    ASSERT_TRUE(statement);
    EXPECT_EQ(statement->text,
              QStringLiteral("select * from data where [2]>0  and d like ? and e like ? and f like ? "
                             "and c like ? and z like ? and g like ? and day1>=#2014-08-01# and "
                             "day1<=#2014-08-31#"));
    const QVariantList expected{QStringLiteral("%文具%"), QStringLiteral("%dn%"),   QStringLiteral("%bz%"),
                                QStringLiteral("%690%"),  QStringLiteral("%促销%"), QStringLiteral("%华联%")};
    EXPECT_EQ(statement->binds, expected);
}

TEST(GoodsQuery, LeavesOutEmptyFieldsAndAnUntickedDateRange) {
    GoodsQuery query;
    query.setZeroStockHidden(true);
    GoodsFilter filter;
    filter.code = QStringLiteral("12");
    filter.supplier = QStringLiteral("宏达");
    filter.fromDate = QStringLiteral("not a date"); // not looked at while the box is clear
    const auto statement = query.search(filter);
    ASSERT_TRUE(statement);
    EXPECT_EQ(statement->text, QStringLiteral("select * from data where [7]<>0 and c like ? and g like ?"));
    EXPECT_EQ(statement->binds, (QVariantList{QStringLiteral("%12%"), QStringLiteral("%宏达%")}));
}

TEST(GoodsQuery, RefusesADateRangeThatIsNotMadeOfDates) {
    struct Case {
        const char *from;
        const char *to;
        GoodsQuery::Problem problem;
    } cases[] = {
        {"    -  -  ", "2014-08-31", GoodsQuery::Problem::FromDate},
        {"2014-08-01", "", GoodsQuery::Problem::ToDate},
        {"2014-02-30", "2014-03-01", GoodsQuery::Problem::FromDate},
        {"2014-08-01", "2014-8-3", GoodsQuery::Problem::ToDate},
        {"2014-08-01'", "2014-08-03", GoodsQuery::Problem::FromDate},
    };
    for (const Case &c : cases) {
        GoodsFilter filter;
        filter.dateRange = true;
        filter.fromDate = QString::fromLatin1(c.from);
        filter.toDate = QString::fromLatin1(c.to);
        GoodsQuery::Problem problem = GoodsQuery::Problem::None;
        EXPECT_FALSE(GoodsQuery().search(filter, &problem)) << c.from << " " << c.to;
        EXPECT_EQ(problem, c.problem) << c.from << " " << c.to;
    }
}

class GoodsQueryOnData : public ::testing::Test {
  protected:
    TestEnv env;
    Database &db = env.database();

    QStringList namesFound(const GoodsQuery &query, const GoodsFilter &filter) {
        const auto statement = query.search(filter);
        Dataset rows;
        EXPECT_TRUE(statement && rows.load(db, statement->text, statement->binds))
            << qPrintable(db.errorText());
        QStringList names;
        for (int r = 0; r < rows.rowCount(); ++r)
            names << rows.text(r, QStringLiteral("a"));
        names.sort();
        return names;
    }
};

TEST_F(GoodsQueryOnData, FindsByInitialsAnywhereAndIgnoresLetterCase) {
    insertGoods(db, {.name = QStringLiteral("电脑")});
    insertGoods(db, {.name = QStringLiteral("笔记本电脑")});
    insertGoods(db, {.name = QStringLiteral("鼠标")});
    GoodsFilter filter;
    filter.nameInitials = QStringLiteral("dn");
    EXPECT_EQ(namesFound(GoodsQuery(), filter),
              (QStringList{QStringLiteral("电脑"), QStringLiteral("笔记本电脑")}));
    filter.nameInitials = QStringLiteral("DN");
    EXPECT_EQ(namesFound(GoodsQuery(), filter).size(), 2);
}

TEST_F(GoodsQueryOnData, AQuoteTypedIntoAFilterIsSearchedFor) {
    insertGoods(db, {.name = QStringLiteral("O'Neil扳手"), .code = QStringLiteral("A'1")});
    insertGoods(db, {.name = QStringLiteral("扳手"), .code = QStringLiteral("A1")});
    GoodsFilter filter;
    filter.code = QStringLiteral("'");
    EXPECT_EQ(namesFound(GoodsQuery(), filter), QStringList{QStringLiteral("O'Neil扳手")});
    filter.code = QStringLiteral("' or ''='");
    EXPECT_TRUE(namesFound(GoodsQuery(), filter).isEmpty());
}

TEST_F(GoodsQueryOnData, PurchaseQuantityZeroIsListedOnlyWhenZeroStockIsHiddenAndItHasStock) {
    insertGoods(db, {.name = QStringLiteral("零进货有库存"), .quantity = 0, .stock = 3});
    insertGoods(db, {.name = QStringLiteral("零进货零库存"), .quantity = 0, .stock = 0});
    insertGoods(db, {.name = QStringLiteral("正常"), .quantity = 5, .stock = 5});
    insertGoods(db, {.name = QStringLiteral("卖完"), .quantity = 5, .stock = 0});
    GoodsQuery query;
    EXPECT_EQ(namesFound(query, {}), (QStringList{QStringLiteral("卖完"), QStringLiteral("正常")}));
    query.setZeroStockHidden(true);
    EXPECT_EQ(namesFound(query, {}), (QStringList{QStringLiteral("正常"), QStringLiteral("零进货有库存")}));
}

TEST_F(GoodsQueryOnData, DateRangeIncludesBothEnds) {
    insertGoods(db, {.name = QStringLiteral("七月"), .date = QStringLiteral("2014-07-31")});
    insertGoods(db, {.name = QStringLiteral("八月一"), .date = QStringLiteral("2014-08-01")});
    insertGoods(db, {.name = QStringLiteral("八月十"), .date = QStringLiteral("2014-08-10")});
    insertGoods(db, {.name = QStringLiteral("八月十一"), .date = QStringLiteral("2014-08-11")});
    GoodsFilter filter;
    filter.dateRange = true;
    filter.fromDate = QStringLiteral("2014-08-01");
    filter.toDate = QStringLiteral("2014-08-10");
    EXPECT_EQ(namesFound(GoodsQuery(), filter),
              (QStringList{QStringLiteral("八月一"), QStringLiteral("八月十")}));
}

} // namespace
