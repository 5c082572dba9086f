// The write of a sale: goods figures and sales record together, from the figures stored at the time.
#include "sales/salegoods.h"
#include "sales/salerecord.h"
#include "store/pinyin.h"
#include "tests/sales/salefixture.h"
#include "tests/support/failingwrite.h"

#include <gtest/gtest.h>

namespace {

class SaleRecordTest : public ::testing::Test {
  protected:
    TestEnv env;
    Database &db = env.database();
    qint64 goodsId = insertSaleGoods(db);

    sale::Entry entry(double quantity, double price = 12) {
        sale::Entry e;
        e.goodsId = goodsId;
        e.price = price;
        e.quantity = quantity;
        e.debt = 0;
        e.saleDate = QDate(2014, 8, 12);
        e.saleNumber = QStringLiteral("20140812001");
        e.customer = QStringLiteral("张三");
        return e;
    }
    double goods(const char *column) { return storedValue(db, "data", goodsId, column).toDouble(); }
    QVariant record(qint64 id, const char *column) { return storedValue(db, "data1", id, column); }
    void expectGoods(double sold, double salesAmount, double stock, double stockAmount) {
        EXPECT_DOUBLE_EQ(goods("[5]"), sold);
        EXPECT_DOUBLE_EQ(goods("[6]"), salesAmount);
        EXPECT_DOUBLE_EQ(goods("[7]"), stock);
        EXPECT_DOUBLE_EQ(goods("[8]"), stockAmount);
    }
};

TEST_F(SaleRecordTest, ASaleOfThreeWritesTheGoodsRowAndOneRecord) {
    sale::Entry e = entry(3);
    e.debt = 6;
    e.customer = QStringLiteral(" 张三 ");
    e.address = QStringLiteral("北街 ");
    e.contact = QStringLiteral("\t139");
    e.remark = QStringLiteral("常客");
    e.saleNumber = QStringLiteral(" 20140812001");
    const sale::Recorded done = sale::record(db, e);
    ASSERT_EQ(done.status, sale::Recorded::Status::Saved) << done.reason.toStdString();
    expectGoods(8, 86, 7, 56);
    ASSERT_EQ(countOf(db, "data1"), 1);
    const struct {
        const char *column;
        QVariant value;
    } expected[] = {
        {"a", QStringLiteral("电脑")},
        {"b", QStringLiteral("USB线")},
        {"c", QStringLiteral("6901")},
        {"d", QStringLiteral("电子")},
        {"e", pinyinInitials(QStringLiteral("电脑"))},
        {"f", pinyinInitials(QStringLiteral("USB线"))},
        {"g", QStringLiteral("张三")},
        {"h", QStringLiteral("北街")},
        {"i", QStringLiteral("139")},
        {"j", QStringLiteral("常客")},
        {"z", QStringLiteral("20140812001")},
        {"[1]", 8.0},
        {"[2]", 12.0},
        {"[3]", 3.0},
        {"[4]", 36.0},
        {"a5", 12.0},
        {"[6]", 6.0},
        {"day1", QStringLiteral("2014-08-12")},
        {"day2", QStringLiteral("2014-08-01")},
    };
    for (const auto &[column, value] : expected)
        EXPECT_EQ(record(done.recordId, column), value) << column;
    EXPECT_EQ(pinyinInitials(QStringLiteral("电脑")), QStringLiteral("dn"));
}

TEST_F(SaleRecordTest, AReturnRaisesTheStockAndRecordsNegativeFigures) {
    const sale::Recorded done = sale::record(db, entry(-2));
    ASSERT_EQ(done.status, sale::Recorded::Status::Saved);
    expectGoods(3, 26, 12, 96);
    EXPECT_DOUBLE_EQ(record(done.recordId, "[3]").toDouble(), -2);
    EXPECT_DOUBLE_EQ(record(done.recordId, "[4]").toDouble(), -24);
    EXPECT_DOUBLE_EQ(record(done.recordId, "a5").toDouble(), -8);
}

TEST_F(SaleRecordTest, TheWholeStockCanBeSoldButNotMore) {
    EXPECT_EQ(sale::record(db, entry(11)).status, sale::Recorded::Status::StockShort);
    EXPECT_EQ(sale::record(db, entry(11)).storedStock, QStringLiteral("10"));
    expectGoods(5, 50, 10, 80);
    EXPECT_EQ(countOf(db, "data1"), 0);
    ASSERT_EQ(sale::record(db, entry(10)).status, sale::Recorded::Status::Saved);
    expectGoods(15, 170, 0, 0);
}

TEST_F(SaleRecordTest, AFailedRecordLeavesTheGoodsRowAsItWas) {
    ASSERT_TRUE(failingwrite::refuse(db, QStringLiteral("data1"), failingwrite::Change::Insert,
                                     QStringLiteral("data1 is read-only")))
        << db.errorText().toStdString();
    const sale::Recorded done = sale::record(db, entry(3));
    EXPECT_EQ(done.status, sale::Recorded::Status::Failed);
    EXPECT_TRUE(done.reason.contains(QStringLiteral("data1 is read-only"))) << done.reason.toStdString();
    expectGoods(5, 50, 10, 80);
    EXPECT_EQ(countOf(db, "data1"), 0);
    // The connection is usable again afterwards.
    ASSERT_TRUE(failingwrite::allow(db, QStringLiteral("data1"), failingwrite::Change::Insert));
    EXPECT_EQ(sale::record(db, entry(3)).status, sale::Recorded::Status::Saved);
    expectGoods(8, 86, 7, 56);
}

TEST_F(SaleRecordTest, AStockInChangeMadeMeanwhileIsKept) {
    // The panel was opened at stock 10; the stock-in then raised the purchase to 25 at price 9.
    ASSERT_TRUE(
        db.execute(QStringLiteral("update data set [1]=9,[2]=25,[7]=20,[8]=180 where ID=?"), {goodsId}));
    const sale::Recorded done = sale::record(db, entry(3));
    ASSERT_EQ(done.status, sale::Recorded::Status::Saved);
    expectGoods(8, 86, 17, 153);
    EXPECT_DOUBLE_EQ(record(done.recordId, "[1]").toDouble(), 9);
    EXPECT_DOUBLE_EQ(record(done.recordId, "a5").toDouble(), 9);
}

TEST_F(SaleRecordTest, AVanishedGoodsRowIsRefused) {
    ASSERT_TRUE(db.execute(QStringLiteral("delete from data where ID=?"), {goodsId}));
    EXPECT_EQ(sale::record(db, entry(1)).status, sale::Recorded::Status::GoodsMissing);
    EXPECT_EQ(countOf(db, "data1"), 0);
}

TEST_F(SaleRecordTest, QuotesInTheTextsAreStoredAsTyped) {
    sale::Entry e = entry(1);
    e.customer = QStringLiteral("O'Brien");
    e.saleNumber = QStringLiteral("2014'08");
    e.remark = QStringLiteral("'); drop table data; --");
    const sale::Recorded done = sale::record(db, e);
    ASSERT_EQ(done.status, sale::Recorded::Status::Saved);
    EXPECT_EQ(record(done.recordId, "g").toString(), QStringLiteral("O'Brien"));
    EXPECT_EQ(record(done.recordId, "z").toString(), QStringLiteral("2014'08"));
    EXPECT_EQ(record(done.recordId, "j").toString(), QStringLiteral("'); drop table data; --"));
    EXPECT_EQ(countOf(db, "data"), 1);
}

TEST_F(SaleRecordTest, AGoodsRowWithoutStockInDateIsSoldWithoutOne) {
    ASSERT_TRUE(db.execute(QStringLiteral("update data set day1=null where ID=?"), {goodsId}));
    const sale::Recorded done = sale::record(db, entry(1));
    ASSERT_EQ(done.status, sale::Recorded::Status::Saved);
    EXPECT_TRUE(record(done.recordId, "day2").isNull());
}

TEST_F(SaleRecordTest, TheGoodsRowIsHandedOverAsTexts) {
    const SaleGoods listed = listedGoods(db, goodsId);
    EXPECT_EQ(listed.id, goodsId);
    EXPECT_EQ(listed.name, QStringLiteral("电脑"));
    EXPECT_EQ(listed.model, QStringLiteral("USB线"));
    EXPECT_EQ(listed.code, QStringLiteral("6901"));
    EXPECT_EQ(listed.category, QStringLiteral("电子"));
    const QString figures[] = {listed.purchasePrice, listed.salePrice, listed.sold,
                               listed.salesAmount,   listed.stock,     listed.stockAmount};
    const char *expected[] = {"8", "12", "5", "50", "10", "80"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(figures[i], QString::fromLatin1(expected[i]));
    EXPECT_EQ(listed.stockInDate, QStringLiteral("2014-08-01"));
    EXPECT_EQ(listed.remark, QStringLiteral("新到"));
    Dataset empty;
    EXPECT_TRUE(saleGoodsFromRow(empty, 0).name.isEmpty());

    const StoredGoods stored = readStoredGoods(db, goodsId);
    ASSERT_EQ(stored.status, StoredGoods::Status::Found);
    EXPECT_EQ(stored.goods.stock, QStringLiteral("10"));
    EXPECT_EQ(readStoredGoods(db, goodsId + 1).status, StoredGoods::Status::Missing);
}

} // namespace
