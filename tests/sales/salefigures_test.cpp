// The arithmetic of a sale line, the discount, the amount while typing and the "退" toggle.
#include "sales/salefigures.h"

#include <gtest/gtest.h>

namespace {
QString t(const char *text) {
    return QString::fromUtf8(text);
}
sale::BaseTexts in(const char *p, const char *q, const char *s, const char *n, const char *m, const char *c) {
    return {t(p), t(q), t(s), t(n), t(m), t(c)};
}
sale::FigureTexts out(const char *amount, const char *salesAmount, const char *stock, const char *stockAmount,
                      const char *sold, const char *profit) {
    return {t(amount), t(salesAmount), t(stock), t(stockAmount), t(sold), t(profit)};
}

TEST(SaleFigures, ASaleAndAReturnComeToTheFiguresOfTheGoodsRowAndTheRecord) {
    struct Case {
        const char *what;
        sale::BaseTexts in;
        sale::FigureTexts out;
    } cases[] = {
        {"sale of 3", in("12", "3", "10", "5", "50", "8"), out("36", "86", "7.00", "56", "8", "12.00")},
        {"return of 2", in("12", "-2", "10", "5", "50", "8"), out("-24", "26", "12.00", "96", "3", "-8.00")},
        {"all of the stock", in("12", "10", "10", "5", "50", "8"),
         out("120", "170", "0.00", "0", "15", "40.00")},
        {"decimal figures", in("0.1", "3", "0.35", "0", "0", "0.05"),
         out("0.3", "0.3", "-2.65", "-0.1325", "3", "0.15")},
        {"figures of a row stored without them", in("12", "3", "", "", "", ""),
         out("36", "36", "-3.00", "0", "3", "36.00")},
    };
    for (const Case &c : cases) {
        const auto result = sale::compute(c.in);
        ASSERT_TRUE(std::holds_alternative<sale::Figures>(result)) << c.what;
        const sale::FigureTexts texts = sale::texts(std::get<sale::Figures>(result));
        EXPECT_EQ(texts.saleAmount, c.out.saleAmount) << c.what;
        EXPECT_EQ(texts.newSalesAmount, c.out.newSalesAmount) << c.what;
        EXPECT_EQ(texts.newStock, c.out.newStock) << c.what;
        EXPECT_EQ(texts.newStockAmount, c.out.newStockAmount) << c.what;
        EXPECT_EQ(texts.newSold, c.out.newSold) << c.what;
        EXPECT_EQ(texts.profit, c.out.profit) << c.what;
    }
}

TEST(SaleFigures, TheStoredFiguresAreThoseOfTheirTexts) {
    // 0.1 × 3 is 0.30000000000000004 in binary; what is stored is what the field shows.
    const sale::Figures f = sale::compute(sale::Base{0.1, 3, 1.005, 0, 0, 0.7});
    EXPECT_EQ(f.saleAmount, 0.3);
    EXPECT_EQ(f.newStock, -1.995); // shown as "-2.00" but stored whole
    EXPECT_EQ(f.profit, -1.8);     // -1.7999999999999998
}

TEST(SaleFigures, GoodsSoldByWeightKeepSoldAndStockAddingUpToThePurchase) {
    // 10.125 kg bought; each sale starts from the stored figures of the one before.
    const double purchased = 10.125;
    sale::Base base{4, 0, purchased, 0, 0, 3};
    for (const double quantity : {1.0, 0.333, 2.5, 0.042}) {
        base.quantity = quantity;
        const sale::Figures f = sale::compute(base);
        base.stock = f.newStock;
        base.sold = f.newSold;
        EXPECT_NEAR(base.sold + base.stock, purchased, 1e-9) << quantity;
        EXPECT_NEAR(f.newStockAmount, base.stock * 3, 1e-9) << quantity;
    }
    EXPECT_EQ(base.stock, 6.25);
}

TEST(SaleFigures, NothingIsComputedWithoutPriceAndQuantityAndAFieldThatIsNoNumberIsNamed) {
    EXPECT_TRUE(std::holds_alternative<std::monostate>(sale::compute(in("", "3", "10", "5", "50", "8"))));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(sale::compute(in("12", "", "10", "5", "50", "8"))));
    struct Case {
        sale::BaseTexts in;
        sale::Field bad;
    } cases[] = {
        {in(".", "3", "10", "5", "50", "8"), sale::Field::Price},
        {in("12", ".", "10", "5", "50", "8"), sale::Field::Quantity},
        {in("12", "3", "x", "5", "50", "8"), sale::Field::Stock},
        {in("12", "3", "10", "5", "50", "1.2.3"), sale::Field::PurchasePrice},
    };
    for (const Case &c : cases) {
        const auto result = sale::compute(c.in);
        ASSERT_TRUE(std::holds_alternative<sale::Field>(result));
        EXPECT_EQ(std::get<sale::Field>(result), c.bad);
    }
    EXPECT_EQ(sale::notANumberMessage(sale::Field::Price), QStringLiteral("实际销售价不是有效的数字！"));
}

TEST(SaleFigures, TheDiscountSetsThePriceFromTheSuggestedOne) {
    EXPECT_EQ(sale::discountedPriceText(QStringLiteral("85"), QStringLiteral("20")), QStringLiteral("17"));
    EXPECT_EQ(sale::discountedPriceText(QStringLiteral("95"), QStringLiteral("3.3")),
              QStringLiteral("3.135"));
    EXPECT_EQ(sale::discountedPriceText(QStringLiteral("0"), QStringLiteral("20")), QStringLiteral("0"));
    for (const char *discount : {"", "."})
        EXPECT_FALSE(sale::discountedPriceText(QString::fromLatin1(discount), QStringLiteral("20")));
    EXPECT_FALSE(sale::discountedPriceText(QStringLiteral("85"), QString()));
}

TEST(SaleFigures, TheAmountFollowsPriceAndQuantityWhileTheyAreNumbers) {
    EXPECT_EQ(sale::saleAmountText(QStringLiteral("12"), QStringLiteral("3")), QStringLiteral("36"));
    EXPECT_EQ(sale::saleAmountText(QStringLiteral("12"), QStringLiteral("-2")), QStringLiteral("-24"));
    EXPECT_FALSE(sale::saleAmountText(QStringLiteral("."), QStringLiteral("3")));
    EXPECT_FALSE(sale::saleAmountText(QStringLiteral("12"), QString()));
}

TEST(SaleFigures, ReturnFlipsTheSignOfAWholeQuantity) {
    const std::pair<const char *, const char *> flips[] = {{"2", "-2"}, {"-2", "2"}, {"0", "0"}, {"-0", "0"}};
    for (const auto &[from, to] : flips)
        EXPECT_EQ(sale::toggledReturnText(QString::fromLatin1(from)), QString::fromLatin1(to)) << from;
    EXPECT_EQ(sale::toggledReturnText(*sale::toggledReturnText(QStringLiteral("2"))), QStringLiteral("2"));
    for (const char *notWhole : {"2.5", "", ".", "x"})
        EXPECT_FALSE(sale::toggledReturnText(QString::fromLatin1(notWhole))) << notWhole;
}

} // namespace
