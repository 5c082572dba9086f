// The shop's statement shapes run on the engine: #dates#, year()/month()/day(), bracketed digit
// columns, like with %.
#include "store/database.h"
#include "store/dialect.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

TEST(Dialect, RewritesDateConstantsOutsideLiteralsOnly) {
    const struct {
        const char *in;
        const char *out;
    } cases[] = {
        {"select * from data1 where day1=#2014-08-01#", "select * from data1 where day1='2014-08-01'"},
        {"day1>=#2014-8-1# and day1<=#2014-12-31#", "day1>='2014-08-01' and day1<='2014-12-31'"},
        {"where a='#2014-08-01#'", "where a='#2014-08-01#'"},
        {"where a='it''s #1#' and [7]<>0", "where a='it''s #1#' and [7]<>0"},
        {"where a like '%#%'", "where a like '%#%'"},
        {"select 5 # 3", "select 5 # 3"},
        {"jtime=#2014-08-01 10:20:30#", "jtime='2014-08-01 10:20:30'"},
        {"x=#2014-02-30#", "x=#2014-02-30#"}, // not a date: left for the engine to refuse
    };
    for (const auto &c : cases)
        EXPECT_EQ(dialect::toSqlite(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(Dialect, ShopStatementsRunOnTheEngine) {
    TestEnv env;
    Database &db = env.database();
    addGoods(db, QStringLiteral("电脑"), QStringLiteral("A"), 10, 5, 12, QStringLiteral("2014-08-01"));
    addGoods(db, QStringLiteral("鼠标"), QStringLiteral("B"), 10, 0, 12, QStringLiteral("2013-12-31"));
    addGoods(db, QStringLiteral("键盘"), QStringLiteral("C"), 10, 2, 12, QStringLiteral("2014-09-15"));
    const struct {
        const char *statement;
        int count;
    } cases[] = {
        {"select count(*) from data where day1>=#2014-08-01# and day1<=#2014-8-31#", 1},
        {"select count(*) from data where year(day1)=2014", 2},
        {"select count(*) from data where month(day1)=12 and day(day1)=31", 1},
        {"select count(*) from data where [7]<>0", 2},
        {"select count(*) from data where day1 like '2014-%'", 2},
        {"select count(*) from data where b like '%a%'", 1}, // like ignores the letters' case
    };
    for (const auto &c : cases)
        EXPECT_EQ(db.scalar(QString::fromUtf8(c.statement)).toInt(), c.count) << c.statement;
    EXPECT_TRUE(db.scalar(QStringLiteral("select year(NULL)")).isNull());
    EXPECT_TRUE(db.scalar(QStringLiteral("select month('garbage')")).isNull());
}
