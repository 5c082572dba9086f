// "导出Excel" of the three lists in the assembled main window: the goods list by Ctrl+E and its menu
// item, the sales-detail list by Ctrl+E in its window, the goods summary by its menu item, each under
// its report title and the logged-in user, with only the columns that user sees.
#include "app/mainwindow.h"
#include "app/shop.h"
#include "app/shopreports.h"
#include "export/excelexport.h"
#include "reports/goodssummarywindow.h"
#include "reports/salesdetailwindow.h"
#include "stock/goodslist.h"
#include "tests/export/biffreader.h"
#include "tests/export/exportfixture.h"
#include "tests/reports/reportsfixture.h"
#include "tests/support/testenv.h"
#include "users/loginwindow.h"
#include "users/userstore.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {
class ShopExportTest : public ::testing::Test {
  protected:
    ShopExportTest() {
        Goods mouse;
        mouse.name = u("鼠标");
        mouse.model = u("无线");
        mouse.code = QStringLiteral("6902");
        insertGoods(env.database(), mouse);
        insertGoods(env.database(), {});
        Record sale;
        sale.customer = u("李四");
        insertRecord(env.database(), sale);
        UserStore(env.database()).addUser(u("张三"));
        QDir().mkpath(out());
    }
    ~ShopExportTest() override {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top != window.get() && top->parent() == window.get()) top->close();
    }

    void start(const QString &user) {
        window->show();
        LoginWindow *login = shop->login();
        login->show();
        login->findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setEditText(user);
        login->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("659"));
        login->logIn();
        ASSERT_TRUE(login->isLoggedIn());
        login->hide();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QString out() const { return env.file(QStringLiteral("out")); }
    // The next save dialog is answered with this name in the export folder.
    QString chooseFile(const char *name) {
        const QString path = out() + QLatin1Char('/') + QString::fromLatin1(name);
        env.dialogs().fileName(path);
        return path;
    }
    void pressCtrlE(QWidget *widget) {
        widget->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(widget, Qt::Key_E, Qt::ControlModifier);
    }
    QStringList row(const BiffSheet &sheet, int r) {
        QStringList texts;
        for (int c = 0; c < sheet.width(r); ++c)
            texts << sheet.text(r, c);
        return texts;
    }
    SalesDetailWindow *detail() { return shop->reports()->salesDetail(); }

    TestEnv env;
    OpeningShell shell;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(env.database());
    Shop *shop = new Shop(env.database(), *window);
};
} // namespace

TEST_F(ShopExportTest, CtrlEOnTheGoodsListExportsItUnderItsTitleWithTheTotalsText) {
    start(u("超级管理员"));
    const QString path = chooseFile("goods");
    pressCtrlE(shop->goods()->grid());

    const BiffSheet sheet = BiffSheet::fromFile(path + QStringLiteral(".xls"));
    ASSERT_TRUE(sheet.whole());
    EXPECT_EQ(sheet.text(0, 3), u("商品进货统计报表"));
    EXPECT_EQ(sheet.text(1, 0), u("制表人：超级管理员"));
    EXPECT_EQ(sheet.text(1, 5), u("制表时间：2014-08-12 10:30:00"));
    EXPECT_EQ(sheet.width(3), 15);
    EXPECT_EQ(sheet.text(3, 12), u("入库日期"));
    EXPECT_EQ(sheet.lastRow(), 6) << "two goods rows and the totals row";
    EXPECT_EQ(sheet.text(6, 0), u("总计"));
    EXPECT_EQ(shell.opened, QStringList{path + QStringLiteral(".xls")});

    // The menu item does the same; in the query box Ctrl+E stays the field's end of line.
    const QString again = chooseFile("again.xls");
    window->command(QStringLiteral("EXCEL1"))->trigger();
    EXPECT_TRUE(QFileInfo::exists(again));
    env.dialogs().clear();
    pressCtrlE(shop->goods()->queryBox()->code());
    EXPECT_TRUE(env.dialogs().shown().empty());
}

TEST_F(ShopExportTest, AnOrdinaryUserExportsOnlyTheColumnsHeSees) {
    start(u("张三"));
    const QString goodsPath = chooseFile("goods.xls");
    window->command(QStringLiteral("EXCEL1"))->trigger();
    const BiffSheet goods = BiffSheet::fromFile(goodsPath);
    EXPECT_EQ(row(goods, 3).size(), 12) << "no purchase price, purchase amount or stock amount";
    EXPECT_EQ(row(goods, 2).count(u("进 货")), 1);
    EXPECT_EQ(row(goods, 2).count(u("存 货")), 1);

    window->command(QStringLiteral("N11"))->trigger();
    const QString summaryPath = chooseFile("summary.xls");
    shop->reports()->summary()->item(QStringLiteral("Excel1"))->trigger();
    const BiffSheet summary = BiffSheet::fromFile(summaryPath);
    EXPECT_EQ(summary.text(0, 3), u("商品进销存统计报表"));
    EXPECT_EQ(row(summary, 2), QStringList({u("商 品 信 息"), u("商 品 信 息"), u("商 品 信 息"),
                                            u("商 品 信 息"), u("进 货"), u("销 售"), u("存 货")}))
        << "quantities without their amounts";
    EXPECT_EQ(summary.text(6, 0), u("总计")) << "two kinds of goods, then the totals";
    EXPECT_EQ(summary.text(4, 0), u("电脑"));
    EXPECT_EQ(summary.cell(4, 4).number, 15) << "its purchased quantity";
}

// The stock-in date dragged to the front moves every column before it, the withheld ones among them:
// what is left out is still the purchase price and the two amounts, not the columns now at their places.
TEST_F(ShopExportTest, AColumnDraggedAcrossTheWithheldOnesLeavesThemWithheld) {
    start(u("张三"));
    DataGrid *grid = shop->goods()->grid();
    QHeaderView *header = grid->horizontalHeader();
    header->moveSection(header->visualIndex(grid->columnOfField(QStringLiteral("day1"))), 0);
    ASSERT_FALSE(grid->isColumnVisible(QStringLiteral("3")));
    ASSERT_FALSE(grid->isColumnVisible(QStringLiteral("8")));

    const QString path = chooseFile("goods.xls");
    window->command(QStringLiteral("EXCEL1"))->trigger();

    const BiffSheet goods = BiffSheet::fromFile(path);
    ASSERT_TRUE(goods.whole());
    EXPECT_EQ(row(goods, 2), QStringList({u("备 注"), u("商 品 信 息"), u("商 品 信 息"), u("商 品 信 息"),
                                          u("商 品 信 息"), u("进 货"), u("销 售"), u("销 售"), u("销 售"),
                                          u("存 货"), u("备 注"), u("备 注")}));
    EXPECT_EQ(goods.text(3, 0), u("入库日期"));
    EXPECT_EQ(goods.text(4, 0), QStringLiteral("2014-08-01"));
    // Purchased 15, sold 8 at 12 for 86, 7 in stock; bought for 120 and stocked at 56, which he may not see.
    QList<double> figures;
    for (int c = 5; c <= 9; ++c)
        figures << goods.cell(4, c).number;
    EXPECT_EQ(figures, QList<double>({15, 8, 12, 86, 7}));
}

TEST_F(ShopExportTest, CtrlEInTheSalesDetailWindowExportsItsListWithoutTheHiddenSaleNumber) {
    start(u("超级管理员"));
    const QString path = chooseFile("sales.xls");
    bool ran = false;
    QTimer::singleShot(0, detail(), [&] {
        ran = true;
        detail()->activateWindow();
        // Waiting for the window itself: its owner, the active main window, counts as active for it.
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == detail(); }));
        pressCtrlE(detail()->grid());
        detail()->close();
    });
    window->command(QStringLiteral("N27"))->trigger();
    ASSERT_TRUE(ran);

    const BiffSheet sheet = BiffSheet::fromFile(path);
    EXPECT_EQ(sheet.text(0, 3), u("销 售 报 表"));
    EXPECT_EQ(sheet.width(3), 14);
    EXPECT_EQ(sheet.text(4, 0), u("电脑"));
    EXPECT_EQ(sheet.text(4, 10), u("李四")) << "the customer right after the net profit";
    EXPECT_EQ(sheet.text(5, 0), u("合计"));
}

TEST_F(ShopExportTest, AnEmptyGoodsListSaysSoInsteadOfAskingForAFile) {
    start(u("超级管理员"));
    env.database().execute(QStringLiteral("delete from data"));
    shop->goods()->showAll();
    chooseFile("nothing.xls");
    window->command(QStringLiteral("EXCEL1"))->trigger();
    EXPECT_EQ(env.dialogs().lastText(), excelexport::emptyListMessage());
    for (const auto &shown : env.dialogs().shown())
        EXPECT_NE(shown.what, ScriptedDialogs::Shown::What::SaveFile);
    EXPECT_TRUE(filesIn(out()).isEmpty());
}
