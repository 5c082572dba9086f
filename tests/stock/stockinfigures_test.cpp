// The computations of the stock-in panel as its fields change.
#include "stock/stockinfigures.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using F = StockInFigures::Field;

QString t(const char *text) {
    return QString::fromLatin1(text);
}

struct Recorder {
    StockInFigures figures;
    std::vector<F> changes;
    Recorder() {
        figures.setChangeListener([this](F f) { changes.push_back(f); });
    }
};

TEST(StockInFigures, QuantityFillsStockAndTheAmountOnceThePriceIsThereToo) {
    StockInFigures f;
    f.set(F::Quantity, t("10"));
    EXPECT_EQ(f.text(F::StockQuantity), t("10"));
    EXPECT_EQ(f.text(F::PurchaseAmount), QString()); // no price yet
    // Typing the price afterwards fills the amount and the stock amount at once.
    f.set(F::PurchasePrice, t("2.5"));
    EXPECT_EQ(f.text(F::PurchaseAmount), t("25"));
    EXPECT_EQ(f.text(F::StockAmount), t("25"));
    f.set(F::Quantity, t("4"));
    EXPECT_EQ(f.text(F::StockQuantity), t("4"));
    EXPECT_EQ(f.text(F::PurchaseAmount), t("10"));
    EXPECT_EQ(f.text(F::StockAmount), t("10"));
}

TEST(StockInFigures, SalesAmountFollowsSalePriceAndSoldQuantity) {
    StockInFigures f;
    f.set(F::SoldQuantity, t("3"));
    EXPECT_EQ(f.text(F::SalesAmount), QString());
    f.set(F::SalePrice, t("4.2"));
    EXPECT_EQ(f.text(F::SalesAmount), t("12.6"));
    f.set(F::SoldQuantity, t("0"));
    EXPECT_EQ(f.text(F::SalesAmount), t("0"));
}

TEST(StockInFigures, FiguresAreWrittenInTheGeneralFormat) {
    StockInFigures f;
    f.set(F::PurchasePrice, t("0.1"));
    f.set(F::Quantity, t("3"));
    EXPECT_EQ(f.text(F::PurchaseAmount), t("0.3")); // not 0.30000000000000004
    f.set(F::Quantity, t("1000000"));
    EXPECT_EQ(f.text(F::PurchaseAmount), t("100000"));
    f.set(F::PurchasePrice, t("12"));
    EXPECT_EQ(f.text(F::PurchaseAmount), t("12000000"));
}

TEST(StockInFigures, SettingTheSameTextChangesNothing) {
    Recorder r;
    r.figures.set(F::PurchasePrice, t("2"));
    r.figures.set(F::Quantity, t("10"));
    r.changes.clear();
    r.figures.set(F::Quantity, t("10"));
    r.figures.set(F::PurchasePrice, t("2"));
    EXPECT_TRUE(r.changes.empty());
    // A change that computes the figures they already hold reports only the field itself.
    r.figures.set(F::PurchasePrice, t("2.0"));
    EXPECT_EQ(r.changes, std::vector<F>{F::PurchasePrice});
}

TEST(StockInFigures, ATextThatIsNotANumberComputesNothingUntilItIsOne) {
    StockInFigures f;
    f.set(F::Quantity, t("10"));
    f.set(F::PurchasePrice, t("."));
    EXPECT_EQ(f.text(F::PurchaseAmount), QString());
    f.set(F::PurchasePrice, t(".5"));
    EXPECT_EQ(f.text(F::PurchaseAmount), t("5"));
    f.set(F::Quantity, t("."));
    EXPECT_EQ(f.text(F::StockQuantity), t(".")); // copied as text
    EXPECT_EQ(f.text(F::PurchaseAmount), t("5"));
    EXPECT_FALSE(f.number(F::Quantity));
}

TEST(StockInFigures, ClearEmptiesTheEntryAndZeroesTheSales) {
    StockInFigures f;
    f.set(F::PurchasePrice, t("2"));
    f.set(F::Quantity, t("10"));
    f.set(F::SalePrice, t("3"));
    f.set(F::SoldQuantity, t("4"));
    f.clear();
    for (F field : {F::PurchasePrice, F::Quantity, F::SalePrice, F::StockQuantity, F::StockAmount})
        EXPECT_EQ(f.text(field), QString()) << field;
    EXPECT_EQ(f.text(F::SoldQuantity), t("0"));
    EXPECT_EQ(f.text(F::SalesAmount), t("0"));
    EXPECT_EQ(f.text(F::PurchaseAmount), t("20")); // left as it was
}

TEST(StockInFigures, ChangeRecomputesStockFromQuantityLessSold) {
    struct Case {
        const char *price, *quantity, *sold;
        const char *amount, *stock, *stockAmount;
    } cases[] = {
        {"2", "10", "3", "20", "7", "14"},
        {"1.5", "4", "4", "6", "0", "0"},
        {"2", "10", "12", "20", "-2", "-4"},
    };
    for (const Case &c : cases) {
        StockInFigures f;
        f.set(F::PurchasePrice, t(c.price));
        f.set(F::Quantity, t(c.quantity));
        f.set(F::SoldQuantity, t(c.sold));
        EXPECT_FALSE(f.recomputeForChange());
        EXPECT_EQ(f.text(F::PurchaseAmount), t(c.amount));
        EXPECT_EQ(f.text(F::StockQuantity), t(c.stock));
        EXPECT_EQ(f.text(F::StockAmount), t(c.stockAmount));
    }
}

TEST(StockInFigures, ChangeRecomputeNamesTheFieldThatIsNotANumber) {
    StockInFigures f;
    f.set(F::PurchasePrice, t("."));
    f.set(F::Quantity, t("10"));
    EXPECT_EQ(f.recomputeForChange(), F::PurchasePrice);
    f.set(F::PurchasePrice, t("2"));
    f.set(F::Quantity, t("1.2.3"));
    EXPECT_EQ(f.recomputeForChange(), F::Quantity);
    // Without price or quantity nothing is recomputed and nothing is wrong yet.
    f.set(F::Quantity, QString());
    EXPECT_FALSE(f.recomputeForChange());
}

} // namespace
