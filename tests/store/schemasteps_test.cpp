// The numbered schema steps over files of an earlier version: a file of the second version gets the
// reports' indexes in place of the plain sale-date index and keeps its rows and their date order; one
// of the third version gets the day totals of its records; a step that cannot run leaves the file at
// its version; one of the fourth gets the goods-row column of the sales records.
#include "store/database.h"
#include "tests/support/testenv.h"

#include <QSqlQuery>
#include <QStringList>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
QStringList indexesOf(Database &db) {
    QStringList names;
    QSqlQuery query(db.connection());
    // The engine's own indexes of primary keys are not the shop's.
    query.exec(QStringLiteral("select name from sqlite_master where type='index' and name not like 'sqlite_autoindex%' order by name"));
    while (query.next())
        names << query.value(0).toString();
    return names;
}

QList<qint64> idsInDateOrder(Database &db) {
    QList<qint64> ids;
    QSqlQuery query(db.connection());
    query.exec(QStringLiteral("select ID from data1 order by day1"));
    while (query.next())
        ids << query.value(0).toLongLong();
    return ids;
}

// The third version: no day totals beside the records.
#define TO_THIRD_VERSION                                                                               \
    "DROP TRIGGER data1_days_add; DROP TRIGGER data1_days_insert_between; DROP TRIGGER data1_days_remove;" \
    "DROP TRIGGER data1_days_change; DROP TABLE data1_days;"
const char *const toThirdVersion = TO_THIRD_VERSION "PRAGMA user_version=3;";
// The second version: the reports' indexes not yet there either, the sale date alone.
const char *const toSecondVersion =
    TO_THIRD_VERSION "DROP INDEX data1_day1_figures; DROP INDEX data1_d; DROP INDEX data_summary;"
                     "CREATE INDEX data1_day1 ON data1 (day1); PRAGMA user_version=2;";

// Each date's total profit and amount, as "date profit amount" lines.
QStringList dayTotals(Database &db, const char *statement) {
    QStringList lines;
    QSqlQuery query(db.connection());
    query.exec(QString::fromLatin1(statement));
    while (query.next())
        lines << query.value(0).toString() + u' ' + query.value(1).toString() + u' ' + query.value(2).toString();
    return lines;
}

void runScript(Database &db, const char *script) {
    for (const QString &statement : QString::fromLatin1(script).split(u';', Qt::SkipEmptyParts))
        ASSERT_TRUE(db.execute(statement)) << db.errorText().toStdString();
}

void addSale(Database &db, const char *date, const char *category, double profit) {
    ASSERT_TRUE(db.execute(QStringLiteral("insert into data1 (a,d,[3],[4],a5,day1) values ('x',?,1,10,?,?)"),
                           {QString::fromUtf8(category), profit, QString::fromLatin1(date)}));
}
} // namespace

TEST(SchemaSteps, ASecondVersionFileGetsTheReportIndexesAndKeepsItsRowsInTheirDateOrder) {
    SKIP_ON_SERVER("older data.mdb files");
    TestEnv env;
    const QString path = env.file(QStringLiteral("v2.mdb"));
    QList<qint64> before;
    {
        Database db;
        ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
        // Sales of one day stored apart, with the bigger profit first: the date order lists a day's
        // records in the order they were stored, whatever their figures.
        double profit = 30;
        for (const char *date : {"2014-08-05", "2014-08-01", "2014-08-05", "2014-08-03", "2014-08-05"})
            addSale(db, date, "电子", profit--);
        addSale(db, "2014-08-01", "文具", 50);
        addGoods(db, QStringLiteral("电脑"), QStringLiteral("A1"), 3000, 2, 3500);
        runScript(db, toSecondVersion);
        before = idsInDateOrder(db);
    }
    ASSERT_EQ(before, (QList<qint64>{2, 6, 4, 1, 3, 5}));

    Database db;
    ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA user_version")).toInt(), Database::SchemaVersion);
    EXPECT_EQ(indexesOf(db), (QStringList{QStringLiteral("data1_d"), QStringLiteral("data1_day1_figures"),
                                          QStringLiteral("data1_g"), QStringLiteral("data1_z"),
                                          QStringLiteral("data_day1"), QStringLiteral("data_summary")}));
    EXPECT_EQ(idsInDateOrder(db), before);
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from data1")).toInt(), 6);
    EXPECT_EQ(db.scalar(QStringLiteral("select a from data")).toString(), QStringLiteral("电脑"));
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
}

TEST(SchemaSteps, AThirdVersionFileGetsTheDayTotalsOfItsRecordsAndKeepsThemFromThenOn) {
    SKIP_ON_SERVER("older data.mdb files");
    TestEnv env;
    const QString path = env.file(QStringLiteral("v3.mdb"));
    {
        Database db;
        ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
        runScript(db, toThirdVersion);
        double profit = 30.1;
        for (const char *date : {"2014-08-05", "2014-08-01", "2014-08-05", "2014-08-03", "2014-08-05"})
            addSale(db, date, "电子", profit -= 1.7);
        ASSERT_TRUE(db.execute(QStringLiteral("insert into data1 (a,[4]) values ('no date',10)")));
    }
    const char *fromRecords =
        "select day1, sum(a5), sum([4]) from data1 where day1 is not null group by day1 order by day1";
    Database db;
    ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA user_version")).toInt(), Database::SchemaVersion);
    const char *kept = "select day1, a5, [4] from data1_days order by day1";
    EXPECT_EQ(dayTotals(db, kept).size(), 3);
    EXPECT_EQ(dayTotals(db, kept), dayTotals(db, fromRecords));
    addSale(db, "2014-08-03", "文具", 0.3);
    EXPECT_EQ(dayTotals(db, kept), dayTotals(db, fromRecords)) << "a sale stored after the step";
}

TEST(SchemaSteps, AStepThatCannotRunLeavesTheFileAtItsVersionWithItsRows) {
    SKIP_ON_SERVER("older data.mdb files");
    TestEnv env;
    const QString path = env.file(QStringLiteral("blocked.mdb"));
    {
        Database db;
        ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
        addSale(db, "2014-08-05", "电子", 12);
        runScript(db, toSecondVersion);
        // A table under the name of an index the next step makes.
        ASSERT_TRUE(db.execute(QStringLiteral("CREATE TABLE data_summary (x)")));
    }
    {
        Database db;
        EXPECT_FALSE(db.open(path));
        EXPECT_FALSE(db.errorText().isEmpty());
    }
    // Read as it is, without the program's steps.
    sqlite3 *raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const auto single = [raw](const char *sql) {
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(raw, sql, -1, &statement, nullptr);
        const QString value =
            sqlite3_step(statement) == SQLITE_ROW
                ? QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)))
                : QString();
        sqlite3_finalize(statement);
        return value;
    };
    EXPECT_EQ(single("PRAGMA user_version"), QStringLiteral("2"));
    EXPECT_EQ(single("select group_concat(name) from sqlite_master where name like 'data1_day1%'"),
              QStringLiteral("data1_day1"))
        << "the old index is still there and the new one is not";
    EXPECT_EQ(single("select count(*) from data1"), QStringLiteral("1"));
    sqlite3_close(raw);
}

// A fourth-version file (a backup from before sales named their goods row) gets the column with
// nothing in it for its records; a file whose version was set back after the step keeps the column.
TEST(SchemaSteps, AFourthVersionFileGetsTheGoodsRowColumnEmptyForItsRecords) {
    SKIP_ON_SERVER("older data.mdb files");
    for (const bool hadColumn : {false, true}) {
        TestEnv env;
        const QString path = env.file(QStringLiteral("v4.mdb"));
        {
            Database db;
            ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
            addSale(db, "2014-08-05", "电子", 12);
            if (!hadColumn) runScript(db, "ALTER TABLE data1 DROP COLUMN data_id;");
            runScript(db, "PRAGMA user_version=4;");
        }
        Database db;
        ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
        EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA user_version")).toInt(), Database::SchemaVersion);
        EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from data1 where data_id is null")).toInt(), 1)
            << hadColumn;
    }
}
