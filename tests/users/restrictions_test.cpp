// The reduced rights of ordinary users, applied to stand-ins of the windows they reach.
#include "tests/users/restrictionsfixture.h"
#include "users/restrictions.h"

#include <QToolButton>
#include <algorithm>
#include <gtest/gtest.h>

TEST(Restrictions, EveryoneButTheSuperAdministratorIsRestricted) {
    struct Case {
        const char *name;
        bool restricted;
    } cases[] = {
        {"超级管理员", false}, {"张三", true}, {"超级管理员 ", true}, {" 超级管理员", true}, {"", true}};
    for (const Case &c : cases)
        EXPECT_EQ(restrictions::appliesTo(QString::fromUtf8(c.name)), c.restricted) << c.name;
}

TEST(Restrictions, MainWindowLosesEditingStockInUserAdministrationAndCostColumns) {
    FakeMainWindow main;
    const FakeSalesDetail *detail = main.detail;
    EXPECT_TRUE(restrictions::apply(&main, QString::fromLatin1(restrictions::MainWindow)).isEmpty());

    for (const char *name : {"N2", "N3", "N20", "N15", "N13", "N5", "N6"})
        EXPECT_FALSE(main.action(name)->isVisible()) << name;
    for (const char *name : {"N8", "N27", "N31", "N9", "N39", "N33"})
        EXPECT_TRUE(main.action(name)->isVisible()) << name;
    EXPECT_FALSE(main.toolShown("ToolButton7"));
    EXPECT_TRUE(main.toolShown("ToolButton19"));
    EXPECT_TRUE(main.saleDate->isReadOnly());
    EXPECT_TRUE(main.saleDate->isEnabled());
    EXPECT_FALSE(main.saleDate->calendarButton()->isEnabled());
    EXPECT_FALSE(main.stockInDate->isReadOnly());
    EXPECT_TRUE(main.stockInDate->calendarButton()->isEnabled());
    // Purchase unit price, purchase amount and stock amount.
    EXPECT_EQ(hiddenColumns(main.grid), QList<int>({5, 6, 11}));

    // The sales-detail window inside the tree keeps its own items of the same names.
    for (const char *name : {"N2", "N3", "N5", "N6"})
        EXPECT_TRUE(detail->action(name)->isVisible()) << name;
    EXPECT_TRUE(hiddenColumns(detail->grid).isEmpty());
}

TEST(Restrictions, SalesDetailLosesCorrectionsDeletionAndProfit) {
    QWidget owner;
    FakeSalesDetail detail(&owner);
    EXPECT_TRUE(restrictions::apply(&detail, QString::fromLatin1(restrictions::SalesDetailWindow)).isEmpty());
    for (const char *name : {"N2", "N7", "N3", "N11"})
        EXPECT_FALSE(detail.action(name)->isVisible()) << name;
    for (const char *name : {"N5", "N6"})
        EXPECT_TRUE(detail.action(name)->isVisible()) << name;
    EXPECT_TRUE(detail.chart("DBChart1")->isHidden());
    EXPECT_TRUE(detail.chart("DBChart3")->isHidden());
    EXPECT_FALSE(detail.chart("DBChart2")->isHidden());
    EXPECT_EQ(hiddenColumns(detail.grid), QList<int>({9}));
}

TEST(Restrictions, GoodsSummaryShowsQuantitiesButNoAmounts) {
    QWidget summary;
    summary.setObjectName(QStringLiteral("TForm1"));
    DataGrid *grid = fieldGrid(&summary, summaryFields());
    EXPECT_TRUE(
        restrictions::apply(&summary, QString::fromLatin1(restrictions::GoodsSummaryWindow)).isEmpty());
    EXPECT_EQ(hiddenColumns(grid), QList<int>({5, 7, 9}));
}

TEST(Restrictions, ColumnsAreFoundByFieldWhereverALayoutMovedThem) {
    QWidget summary;
    QStringList fields = summaryFields();
    std::reverse(fields.begin(), fields.end());
    DataGrid *grid = fieldGrid(&summary, fields);
    restrictions::apply(&summary, QString::fromLatin1(restrictions::GoodsSummaryWindow));
    EXPECT_EQ(hiddenColumns(grid), QList<int>({0, 2, 4}));
}

TEST(Restrictions, AnotherGridCanBeGivenItsOwnWayOfHidingFields) {
    QWidget summary;
    fieldGrid(&summary, summaryFields());
    QStringList asked;
    restrictions::apply(&summary, QString::fromLatin1(restrictions::GoodsSummaryWindow),
                        [&](QObject *grid, const QStringList &fields) {
                            EXPECT_EQ(grid->objectName(), QStringLiteral("DBGrid1"));
                            asked += fields;
                        });
    EXPECT_EQ(asked, QString::fromUtf8("进货金额 销售金额 库存金额").split(u' '));
}

TEST(Restrictions, NamesAWindowLacksAreReported) {
    QWidget empty;
    const QStringList missing =
        restrictions::apply(&empty, QString::fromLatin1(restrictions::SalesDetailWindow));
    EXPECT_EQ(missing, QStringList({QStringLiteral("N2"), QStringLiteral("N7"), QStringLiteral("N3"),
                                    QStringLiteral("N11"), QStringLiteral("DBChart1"),
                                    QStringLiteral("DBChart3"), QStringLiteral("DBGrid1")}));
    EXPECT_TRUE(restrictions::apply(&empty, QStringLiteral("Tpos")).isEmpty());
}
