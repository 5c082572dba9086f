// The goods row a stock-in writes: trimmed texts, initials, figures, and the two writes.
#include "stock/stockin.h"
#include "tests/stock/stockfixture.h"

#include <gtest/gtest.h>

namespace {
using F = StockInFigures::Field;

stockin::Descriptions descriptions() {
    return {QStringLiteral("  电脑 "), QStringLiteral("\tUSB线 "), QStringLiteral(" 690123 "),
            QStringLiteral(" 电子 "),  QStringLiteral(" 华联 "),   QStringLiteral(" 备注 "),
            QDate(2014, 8, 12)};
}

StockInFigures entered(const char *price, const char *quantity, const char *salePrice) {
    StockInFigures f;
    f.clear();
    f.set(F::PurchasePrice, QString::fromLatin1(price));
    f.set(F::Quantity, QString::fromLatin1(quantity));
    f.set(F::SalePrice, QString::fromLatin1(salePrice));
    return f;
}

TEST(StockInRow, ANewRowStartsUnsoldWithItsStockAndAmount) {
    const auto made = stockin::makeRow(descriptions(), entered("2.5", "10", "4"), stockin::Purpose::NewEntry);
    const auto *row = std::get_if<stockin::GoodsRow>(&made);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->a, QStringLiteral("电脑"));
    EXPECT_EQ(row->b, QStringLiteral("USB线"));
    EXPECT_EQ(row->c, QStringLiteral("690123"));
    EXPECT_EQ(row->d, QStringLiteral("电子"));
    EXPECT_EQ(row->g, QStringLiteral("华联"));
    EXPECT_EQ(row->z, QStringLiteral("备注"));
    EXPECT_EQ(row->e, QStringLiteral("dn"));   // of the trimmed name
    EXPECT_EQ(row->f, QStringLiteral("USBx")); // of the trimmed model
    EXPECT_EQ(row->day1, QStringLiteral("2014-08-12"));
    EXPECT_DOUBLE_EQ(row->price, 2.5);
    EXPECT_DOUBLE_EQ(row->quantity, 10);
    EXPECT_DOUBLE_EQ(row->amount, 25);
    EXPECT_DOUBLE_EQ(row->salePrice, 4);
    EXPECT_DOUBLE_EQ(row->sold, 0);
    EXPECT_DOUBLE_EQ(row->salesAmount, 0);
    EXPECT_DOUBLE_EQ(row->stock, 10);
    EXPECT_DOUBLE_EQ(row->stockAmount, 25); // 8 = 3 for a new row
}

TEST(StockInRow, AChangedRowTakesTheStockAmount) {
    StockInFigures f = entered("2", "10", "4");
    f.set(F::SoldQuantity, QStringLiteral("3"));
    ASSERT_FALSE(f.recomputeForChange());
    const auto made = stockin::makeRow(descriptions(), f, stockin::Purpose::Change);
    const auto &row = std::get<stockin::GoodsRow>(made);
    EXPECT_DOUBLE_EQ(row.stock, 7);
    EXPECT_DOUBLE_EQ(row.stockAmount, 14);
    EXPECT_DOUBLE_EQ(row.amount, 20);
    EXPECT_DOUBLE_EQ(row.salesAmount, 12);
}

TEST(StockInRow, NamesTheFirstFigureThatIsNotANumber) {
    struct Case {
        const char *price, *quantity, *salePrice;
        F bad;
    } cases[] = {
        {".", "10", "4", F::PurchasePrice},
        {"2", ".", "4", F::Quantity},
        {"2", "10", "4..", F::SalePrice},
    };
    for (const Case &c : cases) {
        const auto made = stockin::makeRow(descriptions(), entered(c.price, c.quantity, c.salePrice),
                                           stockin::Purpose::NewEntry);
        ASSERT_TRUE(std::holds_alternative<F>(made)) << c.price << c.quantity << c.salePrice;
        EXPECT_EQ(std::get<F>(made), c.bad);
    }
    EXPECT_EQ(stockin::notANumberMessage(F::Quantity), QStringLiteral("进货数量不是有效的数字！"));
}

TEST(StockInRow, InsertsOneWholeRowAndUpdatesOnlyTheRowOfItsId) {
    SKIP_ON_SERVER("joins figures into text in SQL, which each engine writes its own way (20.0 / 20)");
    TestEnv env;
    Database &db = env.database();
    const qint64 other = insertGoods(db, {.name = QStringLiteral("别的")});
    const auto made = stockin::makeRow(descriptions(), entered("2", "10", "4"), stockin::Purpose::NewEntry);
    qint64 id = -1;
    ASSERT_TRUE(stockin::insertRow(db, std::get<stockin::GoodsRow>(made), &id)) << qPrintable(db.errorText());
    EXPECT_EQ(db.scalar(QStringLiteral(
                            "select a||'|'||b||'|'||e||'|'||f||'|'||day1||'|'||[8] from data where ID=?"),
                        {id})
                  .toString(),
              QStringLiteral("电脑|USB线|dn|USBx|2014-08-12|20.0"));

    // Two were sold since the row was entered: the change keeps them whatever the panel loaded.
    ASSERT_TRUE(db.execute(QStringLiteral("update data set [5]=2,[6]=8,[7]=8 where ID=?"), {id}));
    StockInFigures f = entered("3", "10", "5");
    f.set(F::SoldQuantity, QStringLiteral("0"));
    ASSERT_FALSE(f.recomputeForChange());
    stockin::Descriptions changed = descriptions();
    changed.name = QStringLiteral("显示器");
    const auto row = std::get<stockin::GoodsRow>(stockin::makeRow(changed, f, stockin::Purpose::Change));
    EXPECT_EQ(stockin::updateRow(db, id, row), stockin::UpdateResult::Updated);
    EXPECT_EQ(db.scalar(QStringLiteral("select a||'|'||e||'|'||[7]||'|'||[8] from data where ID=?"), {id})
                  .toString(),
              QStringLiteral("显示器|xsq|8.0|24.0"));
    EXPECT_EQ(db.scalar(QStringLiteral("select a from data where ID=?"), {other}).toString(),
              QStringLiteral("别的"));

    ASSERT_TRUE(db.execute(QStringLiteral("delete from data where ID=?"), {id}));
    EXPECT_EQ(stockin::updateRow(db, id, row), stockin::UpdateResult::Missing);
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from data")).toInt(), 1);
}

} // namespace
