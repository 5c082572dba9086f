// The grid print read back from its PDF: the page setup, "Page. n" above the double line, the title,
// the visible columns under their two-level titles, the totals row and the line below the grid.
#include "printing/gridprint.h"
#include "store/dataset.h"
#include "tests/printing/pdftext.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "widgets/datagrid.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <gtest/gtest.h>

namespace {
GridColumn column(const char *field, const char *group, const char *title, GridColumn::Footer footer) {
    GridColumn c =
        GridColumn::fromCaption(QString::fromLatin1(field), u(group) + QLatin1Char('|') + u(title));
    if (!*group) c = GridColumn::fromCaption(QString::fromLatin1(field), u(title));
    c.footer = footer;
    return c;
}

class GridPrintTest : public ::testing::Test {
  protected:
    GridPrintTest() {
        for (int i = 1; i <= rows; ++i)
            db.execute(QStringLiteral("insert into data (a,b,[7],[8]) values (?,?,?,?)"),
                       {u("商品%1").arg(i), QStringLiteral("hidden%1").arg(i), i, 2.5});
        std::vector<GridColumn> columns{
            column("a", "", "名 称", GridColumn::Footer::Text),
            column("b", "", "型号", GridColumn::Footer::None),
            column("7", "存 货", "数 量", GridColumn::Footer::Sum),
            column("8", "存 货", "金 额", GridColumn::Footer::Sum),
        };
        columns[0].footerText = u("总计");
        grid.setColumns(columns);
        grid.setDataset(&dataset);
        dataset.load(db, QStringLiteral("select * from data order by ID"));
        grid.reload();
        grid.setColumnVisible(QStringLiteral("b"), false);
        grid.resize(600, 300);
    }
    ~GridPrintTest() override {
        gridprint::setPreviewRunner({});
        grid.setDataset(nullptr);
    }

    // Prints through the preview, as the user's print button does, into a PDF.
    std::vector<PdfWord> printThroughPreview(int *previewPages = nullptr) {
        const QString pdf = env.file(QStringLiteral("grid.pdf"));
        gridprint::setPreviewRunner([&](QPrintPreviewDialog &dialog) {
            auto *preview = dialog.findChild<QPrintPreviewWidget *>();
            ASSERT_NE(preview, nullptr);
            preview->updatePreview();
            if (previewPages) *previewPages = preview->pageCount();
            QPrinter *printer = dialog.printer();
            const QPageLayout layout = printer->pageLayout();
            EXPECT_EQ(layout.units(), QPageLayout::Millimeter);
            EXPECT_EQ(layout.margins(), QMarginsF(2, 2, 2, 2));
            EXPECT_EQ(layout.pageSize().id(), QPageSize::A4);
            EXPECT_EQ(printer->colorMode(), QPrinter::Color);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            preview->print();
        });
        gridprint::preview(grid, {u("商 品 统 计"), gridprint::makerLine(u("张三"), QDate(2014, 8, 12))},
                           nullptr);
        return pdfWords(pdf);
    }

    static const PdfWord *find(const std::vector<PdfWord> &words, const QString &text, int page = 1) {
        for (const PdfWord &word : words)
            if (word.page == page && word.text == text) return &word;
        return nullptr;
    }

    TestEnv env;
    Database &db = env.database();
    Dataset dataset;
    DataGrid grid;
    int rows = 120;
};
} // namespace

TEST_F(GridPrintTest, PrintsHeaderTitleTwoLevelTitlesRowsTotalsAndTheMakerLine) {
    int previewPages = 0;
    const auto words = printThroughPreview(&previewPages);
    ASSERT_FALSE(words.empty()) << "no PDF was written";
    int pages = 0;
    for (const PdfWord &word : words)
        pages = std::max(pages, word.page);
    EXPECT_GE(pages, 2) << "120 rows need more than one page";
    EXPECT_EQ(previewPages, pages);

    const PdfWord *header = find(words, QStringLiteral("Page."));
    const PdfWord *title = find(words, u("商"));
    const PdfWord *group = find(words, u("存"));
    const PdfWord *first = find(words, u("商品1"));
    ASSERT_TRUE(header && title && group && first);
    EXPECT_LT(header->yMax, title->yMin) << "the page header stands above the title";
    EXPECT_LT(title->yMax, group->yMin);
    EXPECT_LT(group->yMax, first->yMin);
    // Centred on the A4 page (595 points wide).
    EXPECT_NEAR((header->xMin + find(words, QStringLiteral("1"))->xMax) / 2, 297.6, 30);

    // The hidden column is not printed; the totals and the maker line close the last page.
    for (const PdfWord &word : words)
        EXPECT_FALSE(word.text.startsWith(QLatin1String("hidden"))) << word.text.toStdString();
    EXPECT_EQ(find(words, QStringLiteral("Page."), 2) != nullptr, true);
    EXPECT_NE(find(words, u("存"), 2), nullptr) << "titles again on the next page";
    const PdfWord *totals = find(words, u("总计"), pages);
    const PdfWord *sum = find(words, QStringLiteral("7260"), pages); // 1 + 2 + ... + 120
    const PdfWord *maker = find(words, u("制表人：张三"), pages);
    const PdfWord *date = find(words, u("日期：2014-08-12"), pages);
    ASSERT_TRUE(totals && sum && maker && date) << pdfPageText(words, pages).toStdString();
    EXPECT_LT(totals->yMax, maker->yMin);
    EXPECT_NEAR(date->xMax, 595.3 - 5.7, 12) << "right-aligned at the right margin";
    EXPECT_NE(find(words, QStringLiteral("300"), pages), nullptr) << "120 x 2.5";
}

TEST_F(GridPrintTest, MakerLineReadsUserAndDate) {
    EXPECT_EQ(gridprint::makerLine(u("超级管理员"), QDate(2014, 8, 1)),
              u("制表人：超级管理员    日期：2014-08-01"));
}
