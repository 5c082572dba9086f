// The goods summary: one row per name, model, code and category with the sums, the totals row, the
// title-click sort and the refresh.
#include "printing/gridprint.h"
#include "reports/goodssummarywindow.h"
#include "tests/printing/pdftext.h"
#include "tests/reports/reportsfixture.h"
#include "tests/support/testenv.h"
#include "widgets/datagrid.h"
#include "widgets/datasetmodel.h"

#include <QAction>
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <gtest/gtest.h>

namespace {
Goods kind(const char *name, const char *code, double purchased, double stockAmount = 10) {
    Goods g;
    g.name = u(name);
    g.model = QStringLiteral("1");
    g.code = QString::fromLatin1(code);
    g.category = QStringLiteral("X");
    g.purchaseQuantity = purchased;
    g.purchaseAmount = purchased * 8;
    g.stockAmount = stockAmount;
    return g;
}
} // namespace

TEST(GoodsSummary, GroupsByNameModelCodeAndCategoryAndTotalsTheListedRows) {
    TestEnv env;
    Database &db = env.database();
    Goods second = kind("A", "001", 5);
    second.date = QStringLiteral("2014-08-09"); // another stock-in of the same kind
    insertGoods(db, kind("A", "001", 10));
    insertGoods(db, second);
    insertGoods(db, kind("A", "002", 7)); // differs only in the code
    GoodsSummaryWindow window(db);
    window.refresh();

    const Dataset &rows = window.summary();
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_DOUBLE_EQ(rows.number(0, u("进货数量")), 15);
    EXPECT_DOUBLE_EQ(rows.number(0, u("进货金额")), 120);
    EXPECT_DOUBLE_EQ(rows.number(0, u("库存金额")), 20);
    EXPECT_DOUBLE_EQ(rows.number(1, u("进货数量")), 7);
    EXPECT_EQ(window.grid()->currentRow(), 1) << "the cursor on the last row";

    DatasetModel *model = window.grid()->datasetModel();
    EXPECT_EQ(model->footerText(0), u("总计"));
    EXPECT_EQ(model->footerText(4), QStringLiteral("22"));
    EXPECT_EQ(model->headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(), u("金 额"));
    EXPECT_EQ(model->headerData(5, Qt::Horizontal, DatasetModel::GroupTitleRole).toString(), u("进 货"));
    EXPECT_EQ(Qt::Alignment(model->data(model->index(0, 4), Qt::TextAlignmentRole).toInt()) &
                  Qt::AlignHCenter,
              Qt::AlignHCenter);

    // A sort on the rows loaded, then a refresh that lists them in the query's order again.
    emit window.grid()->sortRequested(u("进货数量"));
    EXPECT_DOUBLE_EQ(rows.number(0, u("进货数量")), 7);
    insertGoods(db, kind("B", "003", 1));
    window.refresh();
    EXPECT_EQ(rows.rowCount(), 3);
    EXPECT_EQ(rows.text(0, QStringLiteral("c")), QStringLiteral("001"));
}

// Two stock-ins of one kind with six different figures each: every column shows its own sum under its
// own titles, and the totals row the same.
TEST(GoodsSummary, EachFigureStandsUnderItsOwnTitles) {
    TestEnv env;
    Database &db = env.database();
    Goods first = kind("A", "001", 15);
    first.sold = 8;
    first.salesAmount = 86;
    first.stock = 7;
    first.stockAmount = 56;
    Goods second = kind("A", "001", 5);
    second.date = QStringLiteral("2014-08-09");
    second.sold = 1;
    second.salesAmount = 30;
    second.stock = 4;
    second.stockAmount = 24;
    insertGoods(db, first);
    insertGoods(db, second);
    GoodsSummaryWindow window(db);
    window.refresh();

    DatasetModel *model = window.grid()->datasetModel();
    ASSERT_EQ(model->rowCount(), 1);
    const struct {
        const char *group, *title, *figure;
    } columns[] = {{"进 货", "数 量", "20"},  {"进 货", "金 额", "160"}, {"销 售", "数 量", "9"},
                   {"销 售", "金 额", "116"}, {"存 货", "数 量", "11"},  {"存 货", "金 额", "80"}};
    int column = 4;
    for (const auto &c : columns) {
        SCOPED_TRACE(std::string(c.group) + " " + c.title);
        EXPECT_EQ(model->headerData(column, Qt::Horizontal, DatasetModel::GroupTitleRole).toString(),
                  u(c.group));
        EXPECT_EQ(model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), u(c.title));
        EXPECT_EQ(model->data(model->index(0, column), Qt::DisplayRole).toString(),
                  QString::fromLatin1(c.figure));
        EXPECT_EQ(model->footerText(column), QString::fromLatin1(c.figure));
        ++column;
    }
}

TEST(GoodsSummary, AnEmptyGoodsTableGivesNoRowsAndTotalsOfZero) {
    TestEnv env;
    GoodsSummaryWindow window(env.database());
    window.refresh();
    EXPECT_EQ(window.summary().rowCount(), 0);
    EXPECT_EQ(window.grid()->datasetModel()->footerText(9), QStringLiteral("0"));
}

TEST(GoodsSummary, PrintsUnderItsOwnTitle) {
    TestEnv env;
    insertGoods(env.database(), kind("A", "001", 10));
    GoodsSummaryWindow window(env.database());
    window.setUserName([] { return u("张三"); });
    window.refresh();
    const QString pdf = env.file(QStringLiteral("summary.pdf"));
    gridprint::setPreviewRunner([&](QPrintPreviewDialog &dialog) {
        dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog.printer()->setOutputFileName(pdf);
        dialog.findChild<QPrintPreviewWidget *>()->print();
    });
    window.item(QStringLiteral("N1"))->trigger();
    gridprint::setPreviewRunner({});
    const auto words = pdfWords(pdf);
    EXPECT_EQ(lineOf(words, u("进")).join(QLatin1Char(' ')), u("商 品 进 销 存 统 计 报 表"));
    // The totals: the text, then the sums of the columns in their order.
    EXPECT_EQ(lineOf(words, u("总计")).mid(0, 3).join(QLatin1Char(' ')), u("总计 10 80"));
    EXPECT_NE(findWord(words, u("制表人：张三")), nullptr);
}

// A summary longer than a screen is drawn from its first rows while the rest is read; the cursor goes
// to the last row when it has come, unless the user chose a row meanwhile.
TEST(GoodsSummary, ALongSummaryEndsOnItsLastRowUnlessTheUserChoseOne) {
    TestEnv env;
    Database &db = env.database();
    ASSERT_TRUE(db.begin());
    for (int i = 0; i < 500; ++i)
        insertGoods(db, kind("A", QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')).toLatin1().constData(), i));
    ASSERT_TRUE(db.commit());
    GoodsSummaryWindow window(db);
    window.show();
    auto *grid = window.findChild<DataGrid *>(QStringLiteral("DBGrid1"));
    const auto readToTheEnd = [&] {
        while (grid->isLoading())
            QApplication::processEvents();
    };

    window.refresh();
    EXPECT_TRUE(grid->isLoading());
    EXPECT_LT(window.summary().rowCount(), 500);
    readToTheEnd();
    EXPECT_EQ(window.summary().rowCount(), 500);
    EXPECT_EQ(grid->currentRow(), 499);
    EXPECT_DOUBLE_EQ(window.summary().total(QStringLiteral("进货数量")), 499 * 500 / 2);

    window.refresh();
    ASSERT_TRUE(grid->isLoading());
    grid->setCurrentRow(3);
    emit grid->rowClicked(3);
    readToTheEnd();
    EXPECT_EQ(window.summary().rowCount(), 500);
    EXPECT_EQ(grid->currentRow(), 3) << "the row the user chose";
}
