// Deleting a sales record gives its goods back to exactly the row it was sold from, in one
// transaction; a correction changes only the debt and the customer data.
#include "reports/salesrecordwrite.h"
#include "sales/salerecord.h"
#include "store/dataset.h"
#include "tests/reports/reportsfixture.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

namespace {
struct Figures {
    double sold, salesAmount, stock, stockAmount;
};

Figures figuresOf(Database &db, qint64 id) {
    return {goodsFigure(db, id, "5"), goodsFigure(db, id, "6"), goodsFigure(db, id, "7"),
            goodsFigure(db, id, "8")};
}
} // namespace

TEST(SalesRecordDeletion, GivesTheSaleBackToItsGoodsRowAndRemovesTheRecord) {
    TestEnv env;
    Database &db = env.database();
    // The goods row at 8 / 86 / 7 / 56; a record of 3 pieces for 36 at a purchase price of 8.
    const qint64 goods = insertGoods(db, {});
    const qint64 record = insertRecord(db, {});

    const auto deletion = salesrecord::remove(db, record);

    EXPECT_EQ(deletion.status, salesrecord::Deletion::Status::Deleted);
    EXPECT_EQ(deletion.goodsId, goods);
    const Figures after = figuresOf(db, goods);
    EXPECT_DOUBLE_EQ(after.sold, 5);
    EXPECT_DOUBLE_EQ(after.salesAmount, 50);
    EXPECT_DOUBLE_EQ(after.stock, 10);
    EXPECT_DOUBLE_EQ(after.stockAmount, 80);
    EXPECT_EQ(recordCount(db), 0);
}

// The pieces go back into stock at what they were bought for, which the record keeps: the goods row's
// purchase price may have changed since the sale (here it is 8, the record's 6), named row or not.
TEST(SalesRecordDeletion, TheStockAmountGoesBackAtTheRecordsPurchasePrice) {
    for (const bool named : {true, false}) {
        SCOPED_TRACE(named ? "the record names its goods row" : "a record from before rows were named");
        TestEnv env;
        Database &db = env.database();
        const qint64 goods = insertGoods(db, {});
        Record r;
        r.purchasePrice = 6;
        r.profit = 18;
        const qint64 record = insertRecord(db, r);
        if (named) {
            ASSERT_TRUE(db.execute(QStringLiteral("update data1 set data_id=? where ID=?"), {goods, record}));
        }

        ASSERT_EQ(salesrecord::remove(db, record).goodsId, goods);

        const Figures after = figuresOf(db, goods);
        EXPECT_DOUBLE_EQ(after.stock, 10);
        EXPECT_DOUBLE_EQ(after.stockAmount, 74) << "56 + 3 × 6";
        EXPECT_DOUBLE_EQ(after.salesAmount, 50);
    }
}

TEST(SalesRecordDeletion, ADeletedReturnTakesTheReturnedPiecesOutOfStockAgain) {
    TestEnv env;
    Database &db = env.database();
    const qint64 goods = insertGoods(db, {});
    Record ret;
    ret.quantity = -2;
    ret.amount = -24;
    ret.profit = -8;
    insertRecord(db, ret);
    const qint64 record = db.lastInsertId();

    ASSERT_EQ(salesrecord::remove(db, record).status, salesrecord::Deletion::Status::Deleted);

    const Figures after = figuresOf(db, goods);
    EXPECT_DOUBLE_EQ(after.stock, 5);
    EXPECT_DOUBLE_EQ(after.sold, 10);
    EXPECT_DOUBLE_EQ(after.salesAmount, 110);
    EXPECT_DOUBLE_EQ(after.stockAmount, 40);
}

// Rows whose texts contain the record's, or that differ in one of the five keys, keep their figures;
// the row that matches exactly gets the goods back even when it comes after them.
TEST(SalesRecordDeletion, MatchesTheGoodsRowExactlyNotBySubstrings) {
    TestEnv env;
    Database &db = env.database();
    const auto variant = [](auto change) {
        Goods g;
        change(g);
        return g;
    };
    const std::vector<Goods> others{
        variant([](Goods &g) { g.name = u("电脑包"); }),
        variant([](Goods &g) { g.model = u("联想X"); }),
        variant([](Goods &g) { g.code = QStringLiteral("69012"); }),
        variant([](Goods &g) { g.category = u("电子产品"); }),
        variant([](Goods &g) { g.date = QStringLiteral("2014-08-02"); }),
    };
    std::vector<qint64> otherIds;
    for (const Goods &g : others)
        otherIds.push_back(insertGoods(db, g));
    const qint64 exact = insertGoods(db, {});
    const qint64 second = insertGoods(db, {}); // an equal row later in the table stays as it is
    const qint64 record = insertRecord(db, {});

    EXPECT_EQ(salesrecord::remove(db, record).goodsId, exact);
    for (qint64 id : otherIds)
        EXPECT_DOUBLE_EQ(goodsFigure(db, id, "7"), 7) << id;
    EXPECT_DOUBLE_EQ(goodsFigure(db, exact, "7"), 10);
    EXPECT_DOUBLE_EQ(goodsFigure(db, second, "7"), 7);
}

// The same goods stocked twice on one day: the two rows differ in nothing the record keeps, so a sale
// names its row and the deletion gives the pieces back to that one.
TEST(SalesRecordDeletion, ASaleGoesBackToTheBatchItWasSoldFrom) {
    TestEnv env;
    Database &db = env.database();
    const qint64 first = insertGoods(db, {});
    const qint64 second = insertGoods(db, {});
    sale::Entry entry;
    entry.goodsId = second;
    entry.price = 12;
    entry.quantity = 2;
    entry.saleDate = QDate(2014, 8, 12);
    const sale::Recorded sold = sale::record(db, entry);
    ASSERT_EQ(sold.status, sale::Recorded::Status::Saved) << sold.reason.toStdString();
    ASSERT_DOUBLE_EQ(goodsFigure(db, second, "7"), 5);

    EXPECT_EQ(salesrecord::remove(db, sold.recordId).goodsId, second);
    EXPECT_DOUBLE_EQ(goodsFigure(db, second, "7"), 7);
    EXPECT_DOUBLE_EQ(goodsFigure(db, first, "7"), 7);
}

// A record whose named row holds other goods now (that row was deleted and its ID given to new
// goods), and a record stored before rows were named: both go to the row alike in every key, and of
// two such rows to the one bought at the record's purchase price.
TEST(SalesRecordDeletion, WithoutItsOwnRowARecordGoesToTheRowAlikeBoughtAtItsPrice) {
    TestEnv env;
    Database &db = env.database();
    Goods other;
    other.name = u("鼠标");
    const qint64 otherGoods = insertGoods(db, other);
    const qint64 atEight = insertGoods(db, {});
    const qint64 atNine = insertGoods(db, {});
    ASSERT_TRUE(db.execute(QStringLiteral("update data set [1]=9 where ID=?"), {atNine}));
    Record r;
    r.purchasePrice = 9;
    const qint64 named = insertRecord(db, r);
    ASSERT_TRUE(db.execute(QStringLiteral("update data1 set data_id=? where ID=?"), {otherGoods, named}));
    const qint64 unnamed = insertRecord(db, r);

    EXPECT_EQ(salesrecord::remove(db, named).goodsId, atNine);
    EXPECT_EQ(salesrecord::remove(db, unnamed).goodsId, atNine);
    EXPECT_DOUBLE_EQ(goodsFigure(db, atNine, "7"), 13);
    EXPECT_DOUBLE_EQ(goodsFigure(db, atEight, "7"), 7);
    EXPECT_DOUBLE_EQ(goodsFigure(db, otherGoods, "7"), 7);
}

// A key left empty is stored as NULL in one table and as an empty text in the other (goods entered
// without a model, code or stock-in date): they are the same goods.
TEST(SalesRecordDeletion, AnEmptyKeyMatchesWhetherStoredAsNullOrAsEmptyText) {
    struct Case {
        const char *what;
        const char *goodsChange;  // on the goods row
        const char *recordChange; // on the record
    };
    const Case cases[] = {
        {"model NULL / empty", "update data set b=NULL", "update data1 set b=''"},
        {"model empty / NULL", "update data set b=''", "update data1 set b=NULL"},
        {"code NULL / NULL", "update data set c=NULL", "update data1 set c=NULL"},
        {"stock-in date NULL / NULL", "update data set day1=NULL", "update data1 set day2=NULL"},
        {"stock-in date empty / NULL", "update data set day1=''", "update data1 set day2=NULL"},
        {"stock-in date NULL / empty", "update data set day1=NULL", "update data1 set day2=''"},
    };
    for (const Case &c : cases) {
        TestEnv env;
        Database &db = env.database();
        Goods dated;
        dated.date = QStringLiteral("2014-08-03"); // a row with every key filled stays out of it
        const qint64 filled = insertGoods(db, dated);
        const qint64 goods = insertGoods(db, {});
        ASSERT_TRUE(db.execute(QString::fromLatin1(c.goodsChange) + QStringLiteral(" where ID=?"), {goods}));
        const qint64 record = insertRecord(db, {});
        ASSERT_TRUE(db.execute(QString::fromLatin1(c.recordChange)));

        EXPECT_EQ(salesrecord::remove(db, record).goodsId, goods) << c.what;
        EXPECT_DOUBLE_EQ(goodsFigure(db, goods, "7"), 10) << c.what;
        EXPECT_DOUBLE_EQ(goodsFigure(db, filled, "7"), 7) << c.what;
    }
}

TEST(SalesRecordDeletion, WithoutAMatchingGoodsRowOnlyTheRecordGoesAndAGoneRecordWritesNothing) {
    TestEnv env;
    Database &db = env.database();
    Goods other;
    other.name = u("鼠标");
    const qint64 goods = insertGoods(db, other);
    const qint64 record = insertRecord(db, {});

    const auto deletion = salesrecord::remove(db, record);
    EXPECT_EQ(deletion.status, salesrecord::Deletion::Status::Deleted);
    EXPECT_EQ(deletion.goodsId, -1);
    EXPECT_EQ(recordCount(db), 0);
    EXPECT_DOUBLE_EQ(goodsFigure(db, goods, "7"), 7);

    EXPECT_EQ(salesrecord::remove(db, record).status, salesrecord::Deletion::Status::Missing);
}

// The goods row is updated and the record deleted together: when the deletion fails, the goods row
// keeps its figures.
TEST(SalesRecordDeletion, AFailedDeletionLeavesTheGoodsRowUnchanged) {
    TestEnv env;
    Database &db = env.database();
    const qint64 goods = insertGoods(db, {});
    const qint64 record = insertRecord(db, {});
    if (testserver::active()) {
        ASSERT_TRUE(db.execute(QStringLiteral("create function refuse() returns trigger language plpgsql as "
                                              "$$begin raise exception 'refused'; end$$")));
        ASSERT_TRUE(db.execute(
            QStringLiteral("create trigger refuse before delete on data1 for each row execute function refuse()")));
    } else {
        ASSERT_TRUE(db.execute(QStringLiteral("create trigger refuse before delete on data1 begin "
                                              "select raise(abort, 'refused'); end")));
    }

    const auto deletion = salesrecord::remove(db, record);

    EXPECT_EQ(deletion.status, salesrecord::Deletion::Status::Failed);
    EXPECT_TRUE(deletion.reason.contains(QStringLiteral("refused"))) << deletion.reason.toStdString();
    EXPECT_DOUBLE_EQ(goodsFigure(db, goods, "7"), 7);
    EXPECT_DOUBLE_EQ(goodsFigure(db, goods, "8"), 56);
    EXPECT_EQ(recordCount(db), 1);
}

TEST(SalesRecordCorrection, WritesDebtAndCustomerDataTrimmedAndLeavesTheFiguresAlone) {
    TestEnv env;
    Database &db = env.database();
    Record r;
    r.customer = u("张三");
    const qint64 id = insertRecord(db, r);
    Dataset sales;
    ASSERT_TRUE(sales.load(db, QStringLiteral("select * from data1")));

    ASSERT_TRUE(salesrecord::correct(db, sales, 0,
                                     {5.5, QStringLiteral(" 20140805002 "), QString(), u(" 北京路1号"),
                                      QStringLiteral("1390000"), u("月底结")}));

    const auto stored = [&](const char *column) {
        return db.scalar(QStringLiteral("select ") + QString::fromLatin1(column) +
                             QStringLiteral(" from data1 where ID=?"),
                         {id});
    };
    EXPECT_DOUBLE_EQ(stored("[6]").toDouble(), 5.5);
    EXPECT_EQ(stored("z").toString(), QStringLiteral("20140805002"));
    EXPECT_EQ(stored("g").toString(), QString()) << "an empty customer name is written empty";
    EXPECT_EQ(stored("h").toString(), u("北京路1号"));
    EXPECT_EQ(stored("j").toString(), u("月底结"));
    EXPECT_DOUBLE_EQ(stored("[4]").toDouble(), 36);
    EXPECT_DOUBLE_EQ(stored("a5").toDouble(), 12);
    // The listed row shows the change without a reload.
    EXPECT_EQ(sales.text(0, QStringLiteral("z")), QStringLiteral("20140805002"));
    EXPECT_EQ(sales.text(0, QStringLiteral("g")), QString());
}
