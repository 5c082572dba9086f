// The shop's statement shapes give the same rows, in the same order, on data.mdb and on the server.
#include "store/database.h"
#include "store/dataset.h"
#include "store/dialect.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

TEST(DialectEngines, StatementsBecomeTheServersSql) {
    const struct {
        const char *in;
        const char *out;
    } cases[] = {
        {"select [7],a from data where [2]>0", "select \"7\",a from data where \"2\">0"},
        {"where day1>=#2014-8-1# and a='#2014-08-01#'", "where day1>='2014-08-01' and a='#2014-08-01#'"},
        {"where e like ? and c like '%x%'", "where e ILIKE ? ESCAPE '' and c ILIKE '%x%' ESCAPE ''"},
        {"where a='like [7]'", "where a='like [7]'"},
        {"select ifnull(c,'') from data", "select coalesce(c,'') from data"},
        {"select * from data order by day1", "select * from data order by day1 NULLS FIRST"},
        {"select * from data order by day1 desc, ID", "select * from data order by day1 desc NULLS LAST, ID NULLS FIRST"},
        {"order by case when [1]=? then 0 else 1 end, ID limit 1 for update",
         "order by case when \"1\"=? then 0 else 1 end NULLS FIRST, ID NULLS FIRST limit 1 for update"},
        {"select g from data1 where z=?\n group by g order by g", "select g from data1 where z=?\n group by g order by g NULLS FIRST"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(dialect::toPostgres(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
    EXPECT_EQ(dialect::toSqlite(QStringLiteral("select * from data where ID=? for update")),
              QStringLiteral("select * from data where ID=?"));
    EXPECT_EQ(dialect::numberedPlaceholders(QStringLiteral("a=? and b='?' and c=?")),
              QStringLiteral("a=$1 and b='?' and c=$2"));
}

namespace {
void fill(Database &db) {
    const struct {
        const char *name;
        const char *model;
        const char *code;
        double stock;
        const char *date;
    } rows[] = {
        {"电脑", "ThinkPad", "6901", 5, "2014-08-01"},  {"鼠标", nullptr, "69\\02", 0, "2013-12-31"},
        {"键盘", "abc%", nullptr, 2, nullptr},          {"Cable", "ABC_1", "A_1", -1, "2014-08-01"},
        {"cable", "", "a%1", 3.25, "2014-02-28"},
    };
    for (const auto &r : rows)
        ASSERT_TRUE(db.execute(QStringLiteral("insert into data (a,b,c,[2],[7],day1) values (?,?,?,1,?,?)"),
                               {QString::fromUtf8(r.name), r.model ? QVariant(QString::fromUtf8(r.model)) : QVariant(),
                                r.code ? QVariant(QString::fromUtf8(r.code)) : QVariant(), r.stock,
                                r.date ? QVariant(QString::fromLatin1(r.date)) : QVariant()}))
            << db.errorText().toStdString();
}

QStringList rowsOf(Database &db, const QString &statement, const QVariantList &binds) {
    Dataset set;
    if (!set.load(db, statement, binds)) return {QStringLiteral("failed: ") + db.errorText()};
    QStringList rows;
    for (int r = 0; r < set.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < set.columnCount(); ++c)
            cells << (set.isNull(r, c) ? QStringLiteral("<null>") : set.text(r, c));
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}
} // namespace

TEST(DialectEngines, TheSameStatementsGiveTheSameRowsOnBothEngines) {
    if (!testserver::active()) GTEST_SKIP() << "needs the server";
    TestEnv env;
    Database &server = env.database();
    Database file;
    ASSERT_TRUE(file.open(env.file(QStringLiteral("file.mdb"))));
    fill(server);
    fill(file);
    const struct {
        const char *statement;
        QVariantList binds;
    } cases[] = {
        {"select ID,a,b,c,[7],day1 from data order by ID", {}},
        {"select a,b from data order by b, ID", {}},
        {"select a from data order by day1 desc, ID", {}},
        {"select a from data where b like ? order by ID", {QStringLiteral("%abc%")}},
        {"select a from data where c like ? order by ID", {QStringLiteral("%\\%")}},
        {"select a from data where c like ? order by ID", {QStringLiteral("%9\\0%")}},
        {"select a from data where a like ? order by ID", {QStringLiteral("cab%")}},
        {"select count(*) from data where [7]<>0", {}},
        {"select count(*) from data where day1>=#2014-01-01# and day1<=#2014-8-31#", {}},
        {"select month([day1]) as 月份, sum([7]) as 总量 from data where day1>=? group by month([day1]) order by "
         "month([day1])",
         {QStringLiteral("2014-01-01")}},
        {"select year(day1), day(day1) from data order by ID", {}},
        {"select distinct day1 from data order by day1", {}},
        {"select ifnull(c,'-') from data order by ID", {}},
        {"select a from data where ID=? for update", {2}},
    };
    for (const auto &c : cases) {
        const QString statement = QString::fromUtf8(c.statement);
        const QStringList onFile = rowsOf(file, statement, c.binds);
        EXPECT_FALSE(onFile.isEmpty()) << c.statement;
        EXPECT_EQ(rowsOf(server, statement, c.binds), onFile) << c.statement;
    }
}
