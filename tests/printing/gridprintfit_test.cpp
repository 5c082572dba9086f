// The grid print never cuts a figure, a date or a code: the sales-detail list with wide figures,
// 13-digit codes and dates, printed through its preview to PDF and read back by the words' boxes
// (pdftotext gives a clipped word whole, its box reaching past the clip): every such word whole,
// inside its column and inside the page; the page turned and the font made smaller as the list needs.
#include "printing/gridprint.h"
#include "reports/salescolumns.h"
#include "store/dataset.h"
#include "tests/printing/pdftext.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "widgets/datagrid.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <gtest/gtest.h>
#include <numeric>

namespace {
constexpr double Margin = 2.0 * 72 / 25.4; // the grid print's margins, in points

struct Sale {
    const char *name, *model, *code, *category;
    double price, quantity, amount;
    const char *date;
    double debt, profit;
    const char *number, *customer, *phone, *address, *remark;
};

const Sale Sales[] = {
    {"联想笔记本电脑", "ThinkPad X1 Carbon", "6902847102971", "本月", 1121975.15, 1, 1121975.15, "2026-12-01",
     72532.2, -99999999.99, "20261201001", "王五", "13800000000", "青岚路8号", "无"},
    {"钢笔", "英雄616", "6901234567892", "办公用品", 36, 3, 108, "2026-12-31", 0, 12.5, "20261231002", "李四",
     "0571-88888888", "城东大街128号", "月底结清"},
    {"打印纸", "A4 70g", "6920000000017", "耗材", 23.5, -2, -47, "2014-08-12", -99999999.99, 99999999.99,
     "20140812003", "", "", "", ""},
};

class GridPrintFitTest : public ::testing::Test {
  protected:
    explicit GridPrintFitTest(int copies = 20) {
        Database &db = env.database();
        EXPECT_TRUE(db.begin());
        for (int copy = 0; copy < copies; ++copy)
            for (const Sale &s : Sales)
                db.execute(QStringLiteral("insert into data1 (a,b,c,d,[2],[3],[4],day1,[6],a5,z,g,i,h,j) "
                                          "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                           {u(s.name), u(s.model), u(s.code), u(s.category), s.price, s.quantity, s.amount,
                            u(s.date), s.debt, s.profit, u(s.number), u(s.customer), u(s.phone), u(s.address),
                            u(s.remark)});
        EXPECT_TRUE(db.commit());
        grid.setColumns(salescolumns::columns());
        grid.setDataset(&dataset);
        dataset.load(db, QStringLiteral("select * from data1 order by ID"));
        grid.reload();
        grid.resize(900, 400);
    }
    ~GridPrintFitTest() override {
        gridprint::setPreviewRunner({});
        grid.setDataset(nullptr);
    }

    // Prints through the preview as the user does; the plan is the one of the previewed page.
    std::vector<PdfWord> print() {
        gridprint::setPreviewRunner([&](QPrintPreviewDialog &dialog) {
            QPrinter *printer = dialog.printer();
            plan = gridprint::layOut(grid, *printer);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            dialog.findChild<QPrintPreviewWidget *>()->print();
        });
        gridprint::preview(
            grid, {u("销 售 统 计 报 表"), gridprint::makerLine(u("张三"), QDate(2014, 8, 12))}, nullptr);
        sizes = pdfPageSizes(pdf);
        return pdfWords(pdf);
    }

    // The printed column of a field: its left and right edge on the page, in points.
    std::pair<double, double> columnOf(const char *field) const {
        const std::vector<int> visible = grid.visibleColumnsInOrder();
        const int logical = grid.columnOfField(QString::fromLatin1(field));
        const auto at = std::find(visible.begin(), visible.end(), logical);
        if (at == visible.end() || plan.widths.size() != visible.size()) return {0, 0};
        const auto i = static_cast<std::size_t>(at - visible.begin());
        const double left = Margin + std::accumulate(plan.widths.begin(), plan.widths.begin() + i, 0.0);
        return {left, left + plan.widths[i]};
    }

    // Every word `text` printed whole inside the page and inside the column of one of `fields`
    // (those that hold it); the count.
    int expectInside(const std::vector<PdfWord> &words, const QString &text,
                     std::initializer_list<const char *> fields) const {
        int count = 0;
        for (const PdfWord &word : words) {
            if (word.text != text) continue;
            ++count;
            const bool inColumn = std::any_of(fields.begin(), fields.end(), [&](const char *field) {
                const auto [left, right] = columnOf(field);
                return word.xMin >= left && word.xMax <= right;
            });
            EXPECT_TRUE(inColumn) << text.toStdString() << " at " << word.xMin << ".." << word.xMax
                                  << " on page " << word.page << ", first column "
                                  << columnOf(*fields.begin()).first << ".."
                                  << columnOf(*fields.begin()).second;
            EXPECT_LE(word.xMax, sizes[word.page - 1].first - Margin + 0.5) << "inside the page";
        }
        return count;
    }

    TestEnv env;
    Dataset dataset;
    DataGrid grid;
    QString pdf = env.file(QStringLiteral("sales.pdf"));
    gridprint::Plan plan;
    std::vector<std::pair<double, double>> sizes;
};
} // namespace

TEST_F(GridPrintFitTest, EveryFigureDateAndCodeOfTheSalesDetailIsPrintedWholeInsideItsColumn) {
    const auto words = print();
    ASSERT_FALSE(words.empty()) << "no PDF was written";
    ASSERT_EQ(plan.widths.size(), grid.visibleColumnsInOrder().size());
    // Each text with the columns it stands in and how often it is printed (20 copies of three sales).
    const struct {
        QString text;
        std::initializer_list<const char *> fields;
        int count;
    } texts[] = {
        {QStringLiteral("1121975.15"), {"2", "4"}, 40},
        {QStringLiteral("72532.2"), {"6"}, 20},
        {QStringLiteral("-99999999.99"), {"6", "a5"}, 40},
        {QStringLiteral("99999999.99"), {"a5"}, 20},
        {QStringLiteral("2026-12-01"), {"day1"}, 20},
        {QStringLiteral("2026-12-31"), {"day1"}, 20},
        {QStringLiteral("2014-08-12"), {"day1"}, 20},
        {QStringLiteral("6902847102971"), {"c"}, 20},
        {QStringLiteral("6920000000017"), {"c"}, 20},
        {QStringLiteral("13800000000"), {"i"}, 20},
        {QStringLiteral("0571-88888888"), {"i"}, 20},
        {QStringLiteral("-47"), {"4"}, 20},
        // The totals: amounts 20 x (1121975.15 + 108 - 47) = 22440723, debts 20 x (72532.2 - 99999999.99).
        {QStringLiteral("22440723"), {"4"}, 1},
        {QStringLiteral("-1998549355.8"), {"6"}, 1},
        // Names and categories on one line: sixty rows are not sixty pages.
        {u("办公用品"), {"d"}, 20},
    };
    for (const auto &t : texts)
        EXPECT_EQ(expectInside(words, t.text, t.fields), t.count) << t.text.toStdString() << " printed whole";
    EXPECT_LE(sizes.size(), 3u);
}

TEST_F(GridPrintFitTest, AWideListTurnsThePageAndANarrowOneKeepsPortraitAtNinePoints) {
    auto words = print();
    ASSERT_FALSE(sizes.empty());
    EXPECT_GT(sizes.front().first, sizes.front().second) << "fourteen columns of wide figures: landscape";
    EXPECT_EQ(plan.orientation, QPageLayout::Landscape);

    // The customer columns and the code hidden: the rest fits a portrait page at the body size.
    for (const char *field : {"g", "i", "h", "j", "b", "c", "a5", "6"})
        grid.setColumnVisible(QString::fromLatin1(field), false);
    words = print();
    ASSERT_FALSE(sizes.empty());
    EXPECT_LT(sizes.front().first, sizes.front().second);
    EXPECT_EQ(plan.points, gridprint::BodyPoints);
    EXPECT_EQ(expectInside(words, QStringLiteral("1121975.15"), {"2", "4"}), 40);
}

TEST_F(GridPrintFitTest, WhenEvenLandscapeIsTooNarrowTheFontShrinksAndStillNothingIsCut) {
    // The sale number shown as well and long remarks: more than a landscape page holds at 9 points.
    grid.setColumnVisible(QStringLiteral("z"), true);
    env.database().execute(QStringLiteral("update data1 set j = ?"),
                           {u("客户要求送货上门，周末不收货，请提前电话联系")});
    dataset.load(env.database(), QStringLiteral("select * from data1 order by ID"));
    grid.reload();
    const auto words = print();
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(plan.orientation, QPageLayout::Landscape);
    EXPECT_LT(plan.points, gridprint::BodyPoints);
    EXPECT_GE(plan.points, gridprint::FloorPoints);
    // The words of the cells are smaller than the page header's 9 points, in proportion.
    const PdfWord *header = findWord(words, QStringLiteral("Page."));
    const PdfWord *date = findWord(words, QStringLiteral("2026-12-01"));
    ASSERT_TRUE(header && date);
    EXPECT_NEAR((date->yMax - date->yMin) / (header->yMax - header->yMin), plan.points / 9, 0.08);
    EXPECT_EQ(expectInside(words, QStringLiteral("-99999999.99"), {"6", "a5"}), 40);
    EXPECT_EQ(expectInside(words, QStringLiteral("6902847102971"), {"c"}), 20);
    EXPECT_EQ(expectInside(words, QStringLiteral("20261201001"), {"z"}), 20);
    EXPECT_EQ(expectInside(words, QStringLiteral("2026-12-31"), {"day1"}), 20);
}
