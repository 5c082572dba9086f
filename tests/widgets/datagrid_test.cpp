// The data grid over a goods dataset: cells and totals in their display formats, title-click sort
// markers, the row colour hook, the current row, fitting to the width and the totals row's place.
#include "tests/widgets/goodsgrid.h"
#include "widgets/datagridwidths.h"
#include "widgets/datasetmodel.h"
#include "widgets/gridfooter.h"
#include "widgets/gridheader.h"

#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {
void clickTitle(DataGrid &grid, int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QHeaderView *header = grid.horizontalHeader();
    const QPoint point(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                       header->height() * 3 / 4);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers, point);
}

int shownTotal(const DataGrid &grid) {
    int total = 0;
    for (int column : grid.visibleColumnsInOrder())
        total += grid.horizontalHeader()->sectionSize(column);
    return total;
}
} // namespace

TEST(DataGrid, CellsAndTotalsFollowTheDisplayFormats) {
    GoodsGrid g;
    ASSERT_EQ(g.grid->datasetModel()->rowCount(), 3);
    EXPECT_EQ(g.cell(0, "a"), QStringLiteral("鼠标"));
    EXPECT_EQ(g.cell(0, "2"), QStringLiteral("2"));     // 2.0004 shown with up to three decimals
    EXPECT_EQ(g.cell(0, "3"), QStringLiteral("4"));     // 4.0008 with up to two
    EXPECT_EQ(g.cell(2, "3"), QStringLiteral("13.13")); // 13.125
    EXPECT_EQ(g.cell(2, "1"), QStringLiteral("10.5"));  // no format: the general text
    EXPECT_EQ(g.cell(2, "day1"), QStringLiteral("2014-08-03"));

    EXPECT_EQ(g.footer("a"), QStringLiteral("总计"));
    EXPECT_EQ(g.footer("b"), QString());
    EXPECT_EQ(g.footer("1"), QString());               // a column without a total
    EXPECT_EQ(g.footer("2"), QStringLiteral("10.25")); // 10.2504
    EXPECT_EQ(g.footer("3"), QStringLiteral("24.13")); // 24.1258
    EXPECT_EQ(g.footer("5"), QStringLiteral("0"));
    EXPECT_EQ(g.footer("8"), QStringLiteral("24.13"));

    // The totals follow the rows listed: a narrower list, a deleted row, a changed row.
    g.load(QStringLiteral("select * from data where a like '%标%'"));
    EXPECT_EQ(g.footer("2"), QStringLiteral("2"));
    g.load();
    ASSERT_TRUE(g.goods.remove(g.db, QStringLiteral("data"), g.goods.id(2)));
    g.grid->reload();
    EXPECT_EQ(g.grid->datasetModel()->rowCount(), 2);
    EXPECT_EQ(g.footer("3"), QStringLiteral("11"));
    ASSERT_TRUE(g.goods.post(g.db, QStringLiteral("data"), g.goods.id(0), {QStringLiteral("3")}, {100.004}));
    g.grid->refreshRow(0);
    EXPECT_EQ(g.cell(0, "3"), QStringLiteral("100"));
    EXPECT_EQ(g.footer("3"), QStringLiteral("107"));
}

TEST(DataGrid, TitlesAreSplitIntoGroupAndTitle) {
    DataGrid grid;
    grid.setColumns({GridColumn::fromCaption(QStringLiteral("a"), QStringLiteral("商 品 信 息| 名 称")),
                     GridColumn::fromCaption(QStringLiteral("z"), QStringLiteral("单号"))});
    const DatasetModel *model = grid.datasetModel();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal, DatasetModel::GroupTitleRole).toString(),
              QStringLiteral("商 品 信 息"));
    EXPECT_EQ(model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral(" 名 称"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal, DatasetModel::GroupTitleRole).toString(), QString());
    EXPECT_EQ(grid.columns()[0].caption(), QStringLiteral("商 品 信 息| 名 称"));

    // Two title levels need twice the height of one.
    DataGrid single;
    single.setColumns({GridColumn::fromCaption(QStringLiteral("a"), QStringLiteral("名称"))});
    EXPECT_EQ(grid.horizontalHeader()->sizeHint().height(),
              2 * single.horizontalHeader()->sizeHint().height());
}

TEST(DataGrid, TitleClicksCycleTheSortMarkers) {
    using M = SortMarker;
    const auto N = M::None, D = M::Down, U = M::Up;
    const struct Case {
        const char *name;
        std::vector<M> before; // markers of columns 0, 1, 2
        int clicked;
        bool ctrl;
        std::vector<M> after;
        const char *sort;
    } cases[] = {
        {"none becomes down", {N, N, N}, 1, false, {N, D, N}, "b DESC"},
        {"down becomes up", {N, D, N}, 1, false, {N, U, N}, "b"},
        {"up becomes down again", {N, U, N}, 1, false, {N, D, N}, "b DESC"},
        {"other markers go", {U, N, D}, 1, false, {N, D, N}, "b DESC"},
        {"other markers go on a marked column", {D, D, U}, 0, false, {U, N, N}, "a"},
        {"ctrl: none becomes down, others stay", {U, N, D}, 1, true, {U, D, D}, "b DESC"},
        {"ctrl: down becomes up", {U, D, N}, 1, true, {U, U, N}, "b"},
        {"ctrl: up becomes none", {D, U, U}, 1, true, {D, N, U}, "b DESC"},
    };
    GoodsGrid g;
    for (const Case &c : cases) {
        for (int column = 0; column < g.grid->columnCountDefined(); ++column)
            g.grid->setSortMarker(column, column < 3 ? c.before[column] : N);
        QSignalSpy sorts(g.grid.get(), &DataGrid::sortRequested);
        QSignalSpy titles(g.grid.get(), &DataGrid::titleClicked);
        clickTitle(*g.grid, c.clicked, c.ctrl ? Qt::ControlModifier : Qt::NoModifier);
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(g.grid->sortMarker(column), c.after[column]) << c.name << ", column " << column;
        ASSERT_EQ(sorts.size(), 1) << c.name;
        EXPECT_EQ(sorts.at(0).at(0).toString(), QString::fromLatin1(c.sort)) << c.name;
        ASSERT_EQ(titles.size(), 1) << c.name;
        EXPECT_EQ(titles.at(0).at(0).toInt(), c.clicked) << c.name;
        EXPECT_EQ(titles.at(0).at(1).value<SortMarker>(), c.before[c.clicked]) << c.name;
    }
}

TEST(DataGrid, CtrlClicksKeepTheOrderOfTheSortKeys) {
    GoodsGrid g;
    const int quantity = g.column("2"), name = g.column("a"), date = g.column("day1");
    clickTitle(*g.grid, quantity);
    clickTitle(*g.grid, name, Qt::ControlModifier);
    clickTitle(*g.grid, date, Qt::ControlModifier);
    auto fields = [&] {
        QStringList list;
        for (const auto &key : g.grid->sortKeys())
            list << key.field + QLatin1Char(':') + QString::number(key.sortIndex);
        return list;
    };
    EXPECT_EQ(fields(),
              (QStringList{QStringLiteral("2:1"), QStringLiteral("a:2"), QStringLiteral("day1:3")}));
    clickTitle(*g.grid, name, Qt::ControlModifier); // down to up
    clickTitle(*g.grid, name, Qt::ControlModifier); // up to none: the later key moves up
    EXPECT_EQ(fields(), (QStringList{QStringLiteral("2:1"), QStringLiteral("day1:2")}));
    clickTitle(*g.grid, date);
    EXPECT_EQ(fields(), QStringList{QStringLiteral("day1:1")});
}

TEST(DataGrid, TitleClicksSortTheLoadedRowsAlternately) {
    GoodsGrid g;
    QObject::connect(g.grid.get(), &DataGrid::sortRequested, g.grid.get(), [&](const QString &order) {
        g.goods.sort(order);
        g.grid->reload();
    });
    g.grid->setCurrentRow(1); // 键盘
    const int price = g.column("1");
    clickTitle(*g.grid, price); // first click: descending
    EXPECT_EQ(g.cell(0, "1"), QStringLiteral("10.5"));
    EXPECT_EQ(g.cell(2, "1"), QStringLiteral("1"));
    EXPECT_EQ(g.cell(g.grid->currentRow(), "a"),
              QStringLiteral("键盘")); // the current row stays with its goods
    clickTitle(*g.grid, price);        // second: ascending
    EXPECT_EQ(g.cell(0, "1"), QStringLiteral("1"));
    clickTitle(*g.grid, price); // third: descending again
    EXPECT_EQ(g.cell(0, "1"), QStringLiteral("10.5"));
}

TEST(DataGrid, RowColourIsAskedOnlyForRowsDrawn) {
    GoodsGrid g(500);
    std::set<int> asked;
    g.grid->setRowColour([&](int row) {
        asked.insert(row);
        return g.goods.number(row, QStringLiteral("7")) <= 5 ? QColor(255, 0, 0) : QColor();
    });
    g.load(QStringLiteral("select * from data order by [7] desc"));
    g.grid->setCurrentRow(0);
    g.grid->viewport()->repaint();
    ASSERT_FALSE(asked.empty());
    EXPECT_LT(*asked.rbegin(), 60) << "rows far below the view were touched";

    const DatasetModel *model = g.grid->datasetModel();
    EXPECT_FALSE(model->data(model->index(0, 0), Qt::ForegroundRole).isValid()); // stock 7
    EXPECT_EQ(model->data(model->index(1, 3), Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
}

TEST(DataGrid, CurrentRowFollowsClicksAndReloads) {
    GoodsGrid g;
    QSignalSpy changed(g.grid.get(), &DataGrid::currentRowChanged);
    QSignalSpy clicked(g.grid.get(), &DataGrid::rowClicked);
    QSignalSpy doubleClicked(g.grid.get(), &DataGrid::rowDoubleClicked);
    const QRect row2 = g.grid->visualRect(g.grid->datasetModel()->index(2, 1));
    QTest::mouseClick(g.grid->viewport(), Qt::LeftButton, {}, row2.center());
    EXPECT_EQ(g.grid->currentRow(), 2);
    EXPECT_EQ(g.goods.currentRow(), 2);
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 2);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 2);
    QTest::mouseDClick(g.grid->viewport(), Qt::LeftButton, {}, row2.center());
    ASSERT_EQ(doubleClicked.size(), 1);
    EXPECT_EQ(doubleClicked.at(0).at(0).toInt(), 2);
    EXPECT_EQ(changed.size(), 1); // the same row again is no change

    // The whole row is selected.
    EXPECT_EQ(g.grid->selectionModel()->selectedIndexes().size(), g.grid->columnCountDefined());

    // The owner moves the dataset to the last row and reloads.
    g.goods.load(g.db, QStringLiteral("select * from data order by day1 desc"));
    g.goods.setCurrentRow(g.goods.rowCount() - 1);
    g.grid->reload();
    EXPECT_EQ(g.grid->currentRow(), 2);
    EXPECT_EQ(changed.size(), 1); // still row 2
    g.load(QStringLiteral("select * from data where a='none'"));
    EXPECT_EQ(g.grid->currentRow(), -1);
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed.at(1).at(0).toInt(), -1);
}

TEST(DataGrid, ReloadKeepsTheColumnLayout) {
    GoodsGrid g;
    QHeaderView *header = g.grid->horizontalHeader();
    g.grid->setFitColumnsToWidth(false);
    g.grid->setColumnVisible(QStringLiteral("g"), false);
    header->moveSection(header->visualIndex(g.column("z")), 0);
    g.grid->setShownWidth(g.column("c"), 133);
    g.load(QStringLiteral("select * from data where a like '%标%'"));
    EXPECT_FALSE(g.grid->isColumnVisible(QStringLiteral("g")));
    EXPECT_EQ(header->logicalIndex(0), g.column("z"));
    EXPECT_EQ(header->sectionSize(g.column("c")), 133);
}

TEST(DataGrid, ColumnsFillTheWidthInProportion) {
    GoodsGrid g;
    DataGrid &grid = *g.grid;
    EXPECT_EQ(shownTotal(grid), grid.viewport()->width());
    // Equal definitions stay equal (give or take the pixel the last column takes up).
    EXPECT_NEAR(grid.horizontalHeader()->sectionSize(0), grid.horizontalHeader()->sectionSize(1), 1);

    grid.setColumnVisible(QStringLiteral("day1"), false);
    EXPECT_FALSE(grid.isColumnVisible(QStringLiteral("day1")));
    EXPECT_EQ(shownTotal(grid), grid.viewport()->width());
    grid.resize(1200, 300);
    EXPECT_EQ(shownTotal(grid), grid.viewport()->width());
    grid.setColumnVisible(QStringLiteral("day1"), true);
    EXPECT_EQ(shownTotal(grid), grid.viewport()->width());

    // A column the user widens keeps its width; the others make room.
    grid.horizontalHeader()->resizeSection(2, 200);
    EXPECT_EQ(grid.horizontalHeader()->sectionSize(2), 200);
    EXPECT_EQ(shownTotal(grid), grid.viewport()->width());
    grid.resize(1000, 300);
    EXPECT_EQ(shownTotal(grid), grid.viewport()->width());
    EXPECT_GT(grid.horizontalHeader()->sectionSize(2), 2 * grid.horizontalHeader()->sectionSize(1));

    // Switched off, widths stay as set and a scroll bar takes over.
    grid.setFitColumnsToWidth(false);
    grid.setShownWidth(0, 500);
    EXPECT_EQ(grid.horizontalHeader()->sectionSize(0), 500);
    EXPECT_GT(shownTotal(grid), grid.viewport()->width());
}

TEST(DataGrid, TotalsRowStaysUnderItsColumns) {
    GoodsGrid g;
    DataGrid &grid = *g.grid;
    QHeaderView *header = grid.horizontalHeader();
    const GridFooter *footer = grid.totalsRow();
    ASSERT_TRUE(footer->isVisible());
    // Between the rows and the bottom edge, as wide as the rows.
    EXPECT_EQ(footer->geometry().top(), grid.viewport()->geometry().bottom() + 1);
    EXPECT_EQ(footer->width(), grid.viewport()->width());
    EXPECT_LE(footer->geometry().bottom(), grid.height());

    auto aligned = [&](int column) {
        const QRect cell = footer->cellRect(column);
        const int headerLeft = header->mapTo(&grid, QPoint(header->sectionViewportPosition(column), 0)).x();
        return footer->mapTo(&grid, cell.topLeft()).x() == headerLeft &&
               cell.width() == header->sectionSize(column);
    };
    const int amount = g.column("3");
    EXPECT_TRUE(aligned(amount));
    grid.setFitColumnsToWidth(false);
    header->resizeSection(amount, 250);
    header->moveSection(header->visualIndex(amount), 0);
    EXPECT_TRUE(aligned(amount));
    EXPECT_TRUE(aligned(g.column("a")));
    QApplication::processEvents();
    grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
    QApplication::processEvents();
    ASSERT_GT(grid.horizontalScrollBar()->maximum(), 0);
    EXPECT_TRUE(aligned(g.column("z")));
    EXPECT_TRUE(footer->geometry().bottom() < grid.horizontalScrollBar()->mapTo(&grid, QPoint(0, 0)).y());
    grid.setColumnVisible(QStringLiteral("a"), false);
    EXPECT_TRUE(footer->cellRect(g.column("a")).isEmpty());
}

namespace {
// Every figure and date of the listed rows and every total fits in its cell; the failures name what
// is cut.
std::vector<std::string> cutFigures(const GoodsGrid &g) {
    std::vector<std::string> cut;
    const QHeaderView *header = g.grid->horizontalHeader();
    const QFontMetrics cells = g.grid->fontMetrics();
    const QFontMetrics totals = g.grid->totalsRow()->fontMetrics();
    for (const char *field : {"c", "2", "1", "3", "5", "4", "6", "7", "8", "day1"}) {
        const int column = g.column(field);
        if (header->isSectionHidden(column)) continue;
        const int width = header->sectionSize(column);
        const QString total = g.footer(field);
        // The totals row draws 4 pixels in from each side.
        if (totals.horizontalAdvance(total) > width - 8)
            cut.push_back(std::string("total of ") + field + ": " + total.toStdString());
        for (int row = 0; row < g.goods.rowCount(); ++row) {
            const QString text = g.cell(row, field);
            QStyleOptionViewItem option;
            option.initFrom(g.grid.get());
            option.rect = QRect(0, 0, width, 20);
            option.text = text;
            option.features |= QStyleOptionViewItem::HasDisplay;
            option.font = g.grid->font();
            option.fontMetrics = cells;
            const QRect textRect =
                g.grid->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, g.grid.get());
            const int margin =
                g.grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g.grid.get()) + 1;
            if (cells.horizontalAdvance(text) > textRect.width() - 2 * margin)
                cut.push_back(std::string("row ") + std::to_string(row) + " of " + field + ": " +
                              text.toStdString());
        }
    }
    return cut;
}
} // namespace

TEST(DataGrid, NoFigureOrTotalIsShownCut) {
    GoodsGrid g;
    g.grid->resize(1031, 300);
    // A large shop's figures: seven-digit stock and ten-digit amounts, a price with fifteen digits, a
    // return that leaves a negative sold quantity.
    ASSERT_TRUE(g.db.execute(QStringLiteral(
        "update data set [2]=340661.125, [3]=88942529.53, [7]=340661.125, [8]=88942529.53, [6]=-1234.5,"
        " [5]=-12.375, [1]=3.33333333333333, [4]=99999.99, c='6902847102135'")));
    g.load();
    EXPECT_EQ(g.footer("7"), QStringLiteral("1021983.375"));
    EXPECT_EQ(g.footer("8"), QStringLiteral("266827588.59"));
    EXPECT_EQ(cutFigures(g), std::vector<std::string>());

    // Still when a single row grows, and when the grid is narrower than all the figures: then it
    // scrolls sideways instead.
    ASSERT_TRUE(
        g.goods.post(g.db, QStringLiteral("data"), g.goods.id(0), {QStringLiteral("6")}, {-12345678.25}));
    g.grid->refreshRow(0);
    EXPECT_EQ(cutFigures(g), std::vector<std::string>());
    g.grid->resize(400, 300);
    QTest::qWait(10);
    EXPECT_EQ(cutFigures(g), std::vector<std::string>());
    EXPECT_GT(shownTotal(*g.grid), g.grid->viewport()->width());
    EXPECT_TRUE(g.grid->horizontalScrollBar()->isVisible());

    // Small figures leave the columns their shares of the width, filling it exactly.
    g.grid->resize(1031, 300);
    ASSERT_TRUE(
        g.db.execute(QStringLiteral("update data set [1]=1,[2]=1,[3]=1,[4]=1,[5]=1,[6]=1,[7]=1,[8]=1")));
    g.load();
    QTest::qWait(10);
    EXPECT_EQ(shownTotal(*g.grid), g.grid->viewport()->width());
}

TEST(DataGridWidths, AFiguresShapeFollowsItsDisplayFormat) {
    using gridwidths::shapeOf;
    struct Case {
        double value;
        DisplayFormat format;
        int digits;
        bool point, minus;
    } cases[] = {
        {0, DisplayFormat::Decimals3, 1, false, false},
        {1021983.375, DisplayFormat::Decimals3, 10, true, false},
        {266827588.594, DisplayFormat::Decimals2, 11, true, false},
        {2.0004, DisplayFormat::Decimals3, 1, false, false},
        {13.125, DisplayFormat::Decimals2, 4, true, false},
        {9.999, DisplayFormat::Decimals2, 2, false, false}, // "10"
        {-12.375, DisplayFormat::Decimals3, 5, true, true},
        {3.33333333333333, DisplayFormat::None, 15, true, false},
        {0.1 + 0.2, DisplayFormat::None, 2, true, false}, // "0.3"
        {3500, DisplayFormat::None, 4, false, false},
        {-0.05, DisplayFormat::None, 3, true, true},
    };
    for (const Case &c : cases) {
        const auto shape = shapeOf(c.value, c.format);
        EXPECT_EQ(shape.digits, c.digits) << c.value;
        EXPECT_EQ(shape.point, c.point) << c.value;
        EXPECT_EQ(shape.minus, c.minus) << c.value;
        const QString shown = formatNumber(c.value, c.format);
        EXPECT_EQ(shown.count(QRegularExpression(QStringLiteral("\\d"))), c.digits) << shown.toStdString();
    }
    EXPECT_EQ(shapeOf(0.00001234, DisplayFormat::None).exponentText, QStringLiteral("1.234E-05"));
}

// A profit is stored as the program works it out (21.9 as 21.899999999999999); the totals row of
// thousands of them shows what the figures shown add up to, not 2188521.80000001.
TEST(DataGrid, TheTotalOfManyFiguresShowsWhatTheShownFiguresAddUpTo) {
    TestEnv env;
    Database &db = env.database();
    ASSERT_TRUE(db.execute(QStringLiteral("create table t (ID INTEGER PRIMARY KEY, n REAL)")));
    ASSERT_TRUE(db.begin());
    std::vector<qint64> tenthsUpTo; // the exact sum in tenths after each row
    qint64 tenths = 0;
    for (int i = 0; i < 20000; ++i) {
        const int sale = 1 + (i * 7919) % 6007, purchase = 1 + (i * 104729) % 5003, quantity = 1 + i % 3;
        tenths += qint64(sale - purchase) * quantity;
        tenthsUpTo.push_back(tenths);
        db.execute(QStringLiteral("insert into t (n) values (?)"),
                   {sale / 10.0 * quantity - purchase / 10.0 * quantity});
    }
    ASSERT_TRUE(db.commit());
    const auto decimal = [](qint64 t) -> QString {
        const QString sign = t < 0 ? QStringLiteral("-") : QString();
        t = std::llabs(t);
        return sign + QString::number(t / 10) + (t % 10 ? QStringLiteral(".%1").arg(t % 10) : QString());
    };
    Dataset set;
    DataGrid grid;
    GridColumn profit = GridColumn::make("n", "", "净利润", 80, DisplayFormat::None, GridColumn::Footer::Sum);
    grid.setColumns({profit});
    grid.setDataset(&set);
    for (const int rows : {33, 20000}) {
        SCOPED_TRACE(rows);
        ASSERT_TRUE(set.load(db, QStringLiteral("select * from t where ID<=?"), {rows}));
        grid.reload();
        EXPECT_EQ(grid.datasetModel()->footerText(0), decimal(tenthsUpTo[rows - 1]));
    }
    // Rows taken out and a changed figure keep it so.
    set.dropRow(1);
    ASSERT_TRUE(set.post(db, QStringLiteral("t"), 2, {QStringLiteral("n")}, {0.3}));
    const qint64 first = tenthsUpTo[0], second = tenthsUpTo[1] - tenthsUpTo[0];
    EXPECT_EQ(grid.datasetModel()->footerText(0), decimal(tenths - first - second + 3));
    grid.setDataset(nullptr);
}
