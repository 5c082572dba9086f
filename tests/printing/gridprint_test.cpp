// The grid print read back from its PDF: the page setup, "Page. n" above the double line, the title,
// the visible columns under their two-level titles, the totals row and the line below the grid.
#include "printing/gridprint.h"
#include "store/dataset.h"
#include "tests/printing/pdftext.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "widgets/datagrid.h"
#include "widgets/datasetmodel.h"

#include <QDir>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
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

    void addRows(int more) {
        ASSERT_TRUE(db.begin());
        for (int i = rows + 1; i <= rows + more; ++i)
            db.execute(QStringLiteral("insert into data (a,b,[7],[8]) values (?,?,?,?)"),
                       {u("商品%1").arg(i), QStringLiteral("hidden%1").arg(i), i, 2.5});
        ASSERT_TRUE(db.commit());
        rows += more;
        dataset.load(db, QStringLiteral("select * from data order by ID"));
        grid.reload();
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

// A list still being read when it is printed is printed whole, with the totals of the whole list.
TEST_F(GridPrintTest, AListStillBeingReadIsPrintedWholeWithItsTotals) {
    ASSERT_TRUE(dataset.startLoading(db, QStringLiteral("select * from data order by ID"), {}, 50));
    grid.reload();
    ASSERT_TRUE(grid.isLoading());
    ASSERT_EQ(grid.datasetModel()->rowCount(), 50);
    const auto words = printThroughPreview();
    ASSERT_FALSE(words.empty());
    for (int i = 1; i <= rows; ++i) {
        const QString name = u("商品%1").arg(i);
        EXPECT_EQ(std::count_if(words.begin(), words.end(), [&](const PdfWord &w) { return w.text == name; }),
                  1)
            << name.toStdString();
    }
    EXPECT_TRUE(std::any_of(words.begin(), words.end(),
                            [](const PdfWord &w) { return w.text == QStringLiteral("7260"); }));
    EXPECT_FALSE(std::any_of(words.begin(), words.end(), [](const PdfWord &w) { return w.text == u("…"); }));
}

namespace {
// Watches for the progress window of a print while it runs (the print lets the program answer
// between its pages) and presses 取消 once `cancelAfter` pages are done; never, with 0.
class ProgressWatch {
  public:
    explicit ProgressWatch(int cancelAfter) {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this, cancelAfter] {
            for (QWidget *top : QApplication::topLevelWidgets()) {
                auto *progress = qobject_cast<QProgressDialog *>(top);
                if (!progress || progress->objectName() != QStringLiteral("printProgress") ||
                    !progress->isVisible())
                    continue;
                title = progress->windowTitle();
                label = progress->labelText();
                maximum = progress->maximum();
                values.push_back(progress->value());
                if (cancelAfter > 0 && progress->value() >= cancelAfter) {
                    auto *cancel = progress->findChild<QPushButton *>();
                    ASSERT_NE(cancel, nullptr);
                    button = cancel->text();
                    QTest::mouseClick(cancel, Qt::LeftButton);
                    m_timer.stop();
                }
            }
        });
        m_timer.start();
    }

    QString title, label, button;
    int maximum = 0;
    std::vector<int> values;

  private:
    QTimer m_timer;
};

bool anyProgressWindow() {
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->objectName() == QStringLiteral("printProgress")) return true;
    return false;
}
} // namespace

TEST_F(GridPrintTest, ALongPrintShowsItsProgressAndCancelLeavesTheFileAsItWas) {
    addRows(1400);
    const QString pdf = env.file(QStringLiteral("grid.pdf"));
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the print of yesterday");
    }
    const auto printToPdf = [&] {
        gridprint::setPreviewRunner([&](QPrintPreviewDialog &dialog) {
            dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog.printer()->setOutputFileName(pdf);
            dialog.findChild<QPrintPreviewWidget *>()->print();
        });
        gridprint::preview(grid, {u("商 品 统 计"), gridprint::makerLine(u("张三"), QDate(2014, 8, 12))},
                           nullptr);
    };

    ProgressWatch cancelled(3);
    printToPdf();
    EXPECT_EQ(cancelled.button, u("取消"));
    EXPECT_EQ(cancelled.title, u("打印"));
    EXPECT_TRUE(cancelled.label.startsWith(u("正在打印…"))) << cancelled.label.toStdString();
    EXPECT_GE(cancelled.maximum, 20);
    EXPECT_LT(cancelled.values.back(), cancelled.maximum) << "stopped before the end";
    QFile kept(pdf);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("the print of yesterday")) << "a cancelled print replaces nothing";
    EXPECT_EQ(QDir(env.dir()).entryList({QStringLiteral("*grid*")}, QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("grid.pdf")})
        << "no half-written file left beside it";
    EXPECT_EQ(env.dialogs().lastText(), u("打印已取消，没有写出文件。"));
    EXPECT_FALSE(anyProgressWindow());

    // Not cancelled: the progress goes page by page to the end, and the file is the whole print.
    env.dialogs().clear();
    ProgressWatch whole(0);
    printToPdf();
    EXPECT_GE(whole.values.size(), 2u);
    EXPECT_TRUE(std::is_sorted(whole.values.begin(), whole.values.end()));
    const auto words = pdfWords(pdf);
    int pages = 0;
    for (const PdfWord &word : words)
        pages = std::max(pages, word.page);
    EXPECT_EQ(pages, whole.maximum);
    EXPECT_NE(findWord(words, u("商品%1").arg(rows), pages), nullptr);
    EXPECT_TRUE(env.dialogs().texts().isEmpty()) << env.dialogs().lastText().toStdString();
    EXPECT_FALSE(anyProgressWindow());
}

TEST_F(GridPrintTest, CancellingALongPreviewClosesItAndPrintsNothing) {
    addRows(1400);
    bool rejected = false;
    ProgressWatch watch(2);
    gridprint::setPreviewRunner([&](QPrintPreviewDialog &dialog) {
        QSignalSpy closed(&dialog, &QDialog::rejected);
        dialog.findChild<QPrintPreviewWidget *>()->updatePreview();
        QCoreApplication::processEvents();
        rejected = closed.size() == 1;
    });
    gridprint::preview(grid, {u("商 品 统 计"), gridprint::makerLine(u("张三"), QDate(2014, 8, 12))},
                       nullptr);
    EXPECT_EQ(watch.button, u("取消"));
    EXPECT_TRUE(rejected) << "the preview closes: back to the list";
    EXPECT_TRUE(env.dialogs().texts().isEmpty());
}
