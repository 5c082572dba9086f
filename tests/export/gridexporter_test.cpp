// The grid exporter over real lists: the whole sheet of a small sales list, the columns as the grid
// shows them, each kind of cell, the overwrite question, writes that fail, the sheet's row limit, the
// progress window and the file opened afterwards.
#include "export/biffwriter.h"
#include "export/exportprogress.h"
#include "export/gridexporter.h"
#include "reports/salesdetailwindow.h"
#include "reports/salesviewprefs.h"
#include "tests/export/biffreader.h"
#include "tests/export/exportfixture.h"
#include "tests/reports/reportsfixture.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {
class GridExporterTest : public ::testing::Test {
  protected:
    GridExporterTest() {
        QDir().mkpath(out());
        Record computer;
        computer.customer = u("李四");
        computer.remark = QStringLiteral("");
        insertRecord(env.database(), computer);
        Record mouse; // no customer: a NULL name and remark
        mouse.name = u("鼠标");
        mouse.model = u("无线");
        mouse.code = QStringLiteral("6902");
        mouse.price = 35;
        mouse.quantity = 2;
        mouse.amount = 70;
        mouse.profit = 30;
        mouse.debt = 10;
        mouse.date = QStringLiteral("2014-08-06");
        insertRecord(env.database(), mouse);
        Record back = computer; // a return
        back.quantity = -1;
        back.amount = -12;
        back.profit = -4;
        back.date = QStringLiteral("2014-08-07");
        back.customer = u("王五");
        insertRecord(env.database(), back);
    }

    GridExporter::Result exportTo(const DataGrid &grid, const QString &file,
                                  const QString &title = u("销 售 报 表")) {
        GridExporter exporter;
        exporter.setTitleName(title);
        exporter.setUserName(u("超级管理员"));
        exporter.setGrid(&grid);
        exporter.setShowProgress(false);
        exporter.setFileName(file);
        return exporter.exportGrid();
    }
    // The exports go into a folder of their own, apart from the database's files.
    QString out() const { return env.file(QStringLiteral("out")); }
    QString file(const char *name) const { return out() + QLatin1Char('/') + QString::fromUtf8(name); }
    static QByteArray contentOf(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static bool writeFile(const QString &path, const QByteArray &content) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
    }

    TestEnv env;
    OpeningShell shell;
};

// The sheet as the Part's example lays it out, record by record.
QByteArray expectedSalesSheet() {
    BiffWriter w;
    w.bof();
    w.codePage();
    w.label(0, 3, u("销 售 报 表"));
    w.label(1, 0, u("制表人：超级管理员"));
    w.label(1, 5, u("制表时间：2014-08-12 10:30:00"));
    const char *groups[] = {"商 品 信 息", "商 品 信 息", "商 品 信 息", "商 品 信 息", "销 售 信 息",
                            "销 售 信 息", "销 售 信 息", "销 售 信 息", "销 售 信 息", "销 售 信 息",
                            "客 户",       "客 户",       "客 户",       "客 户"};
    const char *titles[] = {" 名 称", "规格型号", " 编 码", "类 别", "单 价",    "数 量", "金 额",
                            "日 期",  "欠款额",   "净利润", "名 称", "联系方式", "地 址", "备 注"};
    for (int c = 0; c < 14; ++c)
        w.label(2, c, u(groups[c]));
    for (int c = 0; c < 14; ++c)
        w.label(3, c, u(titles[c]));
    struct Row {
        const char *name, *model, *code;
        double price, quantity, amount;
        const char *date;
        double debt, profit;
        const char *customer; // nullptr: NULL
        const char *remark;   // nullptr: NULL
    };
    const Row rows[] = {
        {"电脑", "联想", "6901", 12, 3, 36, "2014-08-05", 0, 12, "李四", ""},
        {"鼠标", "无线", "6902", 35, 2, 70, "2014-08-06", 10, 30, nullptr, nullptr},
        {"电脑", "联想", "6901", 12, -1, -12, "2014-08-07", 0, -4, "王五", ""},
    };
    int r = 4;
    for (const Row &row : rows) {
        w.label(r, 0, u(row.name));
        w.label(r, 1, u(row.model));
        w.label(r, 2, u(row.code));
        w.label(r, 3, u("电子"));
        w.number(r, 4, row.price);
        w.number(r, 5, row.quantity);
        w.number(r, 6, row.amount);
        w.label(r, 7, u(row.date));
        w.number(r, 8, row.debt);
        w.number(r, 9, row.profit);
        if (row.customer)
            w.label(r, 10, u(row.customer));
        else
            w.blank(r, 10);
        w.label(r, 11, QString()); // contact and address are stored empty
        w.label(r, 12, QString());
        if (row.remark)
            w.label(r, 13, u(row.remark));
        else
            w.blank(r, 13);
        ++r;
    }
    w.label(7, 0, u("合计"));
    for (int c = 1; c < 14; ++c)
        w.label(7, c, QString());
    w.eof();
    return w.buffered();
}
} // namespace

TEST_F(GridExporterTest, ASalesListOfThreeRecordsIsExactlyTheSheetOfTitleAuthorTitlesRecordsAndTotals) {
    SalesDetailWindow detail(env.database());
    detail.showAllRecords();
    ASSERT_EQ(detail.sales().rowCount(), 3);
    const QString path = file("sales.xls");

    ASSERT_EQ(exportTo(*detail.grid(), path), GridExporter::Result::Written);

    const QByteArray written = contentOf(path);
    EXPECT_EQ(written.toHex(' '), expectedSalesSheet().toHex(' '));
    const BiffSheet sheet(written);
    EXPECT_EQ(sheet.width(3), 14) << "the hidden sale number is left out without a gap";
    EXPECT_EQ(sheet.text(3, 9), u("净利润"));
    EXPECT_EQ(sheet.text(3, 10), u("名 称"));
    EXPECT_EQ(sheet.text(2, 10), u("客 户"));
    EXPECT_EQ(shell.opened, QStringList{path}) << "opened with the desktop's program";
    EXPECT_TRUE(env.dialogs().shown().empty());
}

TEST_F(GridExporterTest, TheColumnsAreTheOnesTheGridShowsInTheOrderItShowsThem) {
    struct Case {
        const char *what;
        std::function<void(SalesDetailWindow &)> change;
        std::vector<const char *> titles;
    };
    const Case cases[] = {
        {"the sale number shown by its item",
         [](SalesDetailWindow &d) { d.viewPreferences()->toggle(QStringLiteral("N10")); },
         {" 名 称", "规格型号", " 编 码", "类 别", "单 价", "数 量", "金 额", "日 期", "欠款额", "净利润",
          "单 号", "名 称", "联系方式", "地 址", "备 注"}},
        {"the customer columns hidden",
         [](SalesDetailWindow &d) { d.viewPreferences()->toggle(QStringLiteral("N6")); },
         {" 名 称", "规格型号", " 编 码", "类 别", "单 价", "数 量", "金 额", "日 期", "欠款额", "净利润"}},
        {"net profit withheld from a user",
         [](SalesDetailWindow &d) { d.grid()->withholdColumn(QStringLiteral("a5")); },
         {" 名 称", "规格型号", " 编 码", "类 别", "单 价", "数 量", "金 额", "日 期", "欠款额", "名 称",
          "联系方式", "地 址", "备 注"}},
        {"the date dragged to the front",
         [](SalesDetailWindow &d) {
             QHeaderView *header = d.grid()->horizontalHeader();
             header->moveSection(header->visualIndex(d.grid()->columnOfField(QStringLiteral("day1"))), 0);
         },
         {"日 期", " 名 称", "规格型号", " 编 码", "类 别", "单 价", "数 量", "金 额", "欠款额", "净利润",
          "名 称", "联系方式", "地 址", "备 注"}},
    };
    for (const Case &c : cases) {
        SalesDetailWindow detail(env.database());
        detail.showAllRecords();
        c.change(detail);
        const QString path = file("columns.xls");
        ASSERT_EQ(exportTo(*detail.grid(), path), GridExporter::Result::Written) << c.what;
        const BiffSheet sheet = BiffSheet::fromFile(path);
        QStringList titles, expected;
        for (int column = 0; column < sheet.width(3); ++column)
            titles << sheet.text(3, column);
        for (const char *title : c.titles)
            expected << u(title);
        EXPECT_EQ(titles, expected) << c.what;
        EXPECT_EQ(sheet.width(4), expected.size()) << c.what << ": the records have as many cells";
        const int dateColumn = static_cast<int>(expected.indexOf(u("日 期")));
        EXPECT_EQ(sheet.text(4, dateColumn), QStringLiteral("2014-08-05")) << c.what;
        QFile::remove(path);
    }
}

// Name, quantity, customer, remark and a whole number.
std::vector<GridColumn> kindColumns(const char *quantity) {
    return {GridColumn::make("a", "", "名称", 80), GridColumn::make(quantity, "", "数量", 40),
            GridColumn::make("g", "", "客户", 60), GridColumn::make("j", "", "备注", 60),
            GridColumn::make("k", "", "整数", 40)};
}

TEST_F(GridExporterTest, CellsFollowTheKindOfTheirField) {
    // `k` is a whole-number field, quantity `3` a floating one.
    List list(env.database(), QStringLiteral("select a, [3], g, j, 7 as k from data1 order by ID"),
              kindColumns("3"));
    const QString path = file("kinds.xls");
    ASSERT_EQ(exportTo(list.grid, path), GridExporter::Result::Written);
    const BiffSheet sheet = BiffSheet::fromFile(path);
    ASSERT_TRUE(sheet.whole());

    // One title level: the records start in row 3; no totals row without footers.
    EXPECT_EQ(sheet.lastRow(), 5);
    const BiffCell quantity = sheet.cell(3, 1);
    EXPECT_EQ(quantity.type, BiffWriter::NumberType) << "a whole value in a float field";
    EXPECT_EQ(quantity.number, 3);
    const BiffCell whole = sheet.cell(3, 4);
    EXPECT_EQ(whole.type, BiffWriter::RkType);
    EXPECT_EQ(whole.rk, 30u) << "7 * 4 + 2";
    const BiffCell noCustomer = sheet.cell(4, 2);
    EXPECT_EQ(noCustomer.type, BiffWriter::BlankType) << "NULL";
    EXPECT_EQ(noCustomer.format, BiffWriter::BlankFormat);
    const BiffCell emptyRemark = sheet.cell(3, 3);
    EXPECT_EQ(emptyRemark.type, BiffWriter::LabelType) << "an empty text";
    EXPECT_EQ(emptyRemark.text, QString());
    EXPECT_EQ(sheet.cell(5, 1).number, -1);
}

TEST_F(GridExporterTest, ALongListWithThousandsOfTextsComesOutCellForCell) {
    // More records than are read at a time, more Chinese texts than the first table of encoded texts
    // holds, texts repeated far apart, long ones, NULLs and empty texts between them.
    constexpr int Records = 3000;
    List list(env.database(),
              QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<%1) "
                             "select '商品'||i as a, case when i%7=0 then null else i*0.5 end as q, "
                             "'客户'||(i%50)||'号，地址在很长的一条街上' as g, "
                             "case i%3 when 0 then 'abc' when 1 then '' else null end as j, i as k from n")
                  .arg(Records),
              kindColumns("q"));
    const QString path = file("long.xls");
    ASSERT_EQ(exportTo(list.grid, path), GridExporter::Result::Written);
    const BiffSheet sheet = BiffSheet::fromFile(path);
    ASSERT_TRUE(sheet.whole());
    ASSERT_EQ(sheet.lastRow(), 3 + Records - 1);
    int wrong = 0;
    for (int i = 1; i <= Records && wrong < 5; ++i) {
        const int row = 3 + i - 1;
        const BiffCell quantity = sheet.cell(row, 1);
        const BiffCell remark = sheet.cell(row, 3);
        const bool right =
            sheet.text(row, 0) == QStringLiteral("商品%1").arg(i) &&
            (i % 7 == 0 ? quantity.type == BiffWriter::BlankType
                        : quantity.type == BiffWriter::NumberType && quantity.number == i * 0.5) &&
            sheet.text(row, 2) == QStringLiteral("客户%1号，地址在很长的一条街上").arg(i % 50) &&
            (i % 3 == 2 ? remark.type == BiffWriter::BlankType
                        : remark.type == BiffWriter::LabelType &&
                              remark.text == (i % 3 == 0 ? QStringLiteral("abc") : QString())) &&
            sheet.cell(row, 4).rk == quint32(i) * 4 + 2;
        if (!right) {
            ++wrong;
            ADD_FAILURE() << "record " << i << ": " << sheet.text(row, 0).toStdString() << " "
                          << sheet.text(row, 2).toStdString();
        }
    }
}

TEST_F(GridExporterTest, AnExistingFileIsReplacedOnlyAfterAYesToTheOneQuestion) {
    SalesDetailWindow detail(env.database());
    detail.showAllRecords();
    const QString path = file("old.xls");
    ASSERT_TRUE(writeFile(path, "the old sheet"));

    EXPECT_EQ(exportTo(*detail.grid(), path), GridExporter::Result::Declined); // no scripted answer: No
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    const auto &question = env.dialogs().shown().front();
    EXPECT_EQ(question.what, ScriptedDialogs::Shown::What::Question);
    EXPECT_EQ(question.text, u("已存在文件（") + path + u("），是否覆盖？"));
    EXPECT_EQ(question.title, u("提示"));
    EXPECT_EQ(contentOf(path), QByteArray("the old sheet"));
    EXPECT_TRUE(shell.opened.isEmpty());

    env.dialogs().answer(true);
    EXPECT_EQ(exportTo(*detail.grid(), path), GridExporter::Result::Written);
    EXPECT_EQ(contentOf(path), expectedSalesSheet());
    EXPECT_EQ(filesIn(out()), QStringList{QStringLiteral("old.xls")}) << "no temporary file left";
}

TEST_F(GridExporterTest, AWriteThatFailsIsReportedWithTheFileAndItsReasonAndLeavesNoFile) {
    SalesDetailWindow detail(env.database());
    detail.showAllRecords();
    const QString folder = out();
    const QString fresh = folder + QStringLiteral("/new.xls");
    const QString old = folder + QStringLiteral("/old.xls");
    ASSERT_TRUE(writeFile(old, "the old sheet"));

    // A file-size limit makes the disk refuse the sheet halfway, as a full disk does.
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 300;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    env.dialogs().answer(true); // replace the old file
    const GridExporter::Result onFresh = exportTo(*detail.grid(), fresh);
    const GridExporter::Result onOld = exportTo(*detail.grid(), old);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousSignal);

    EXPECT_EQ(onFresh, GridExporter::Result::Failed);
    EXPECT_EQ(onOld, GridExporter::Result::Failed);
    EXPECT_EQ(filesIn(folder), QStringList{QStringLiteral("old.xls")}) << "no new or temporary file";
    EXPECT_EQ(contentOf(old), QByteArray("the old sheet"));
    QStringList errors;
    for (const auto &shown : env.dialogs().shown())
        if (shown.what == ScriptedDialogs::Shown::What::Message) {
            EXPECT_EQ(shown.kind, Dialogs::Kind::Error);
            errors << shown.text;
        }
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[0].startsWith(u("无法导出到文件“") + fresh + u("”："))) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains(u("磁盘已满"))) << errors[0].toStdString();
    EXPECT_TRUE(errors[1].contains(old));
    EXPECT_TRUE(shell.opened.isEmpty());

    // A folder that is not there.
    env.dialogs().clear();
    const QString nowhere = file("missing/sales.xls");
    EXPECT_EQ(exportTo(*detail.grid(), nowhere), GridExporter::Result::Failed);
    EXPECT_TRUE(env.dialogs().lastText().contains(nowhere));
    EXPECT_TRUE(env.dialogs().lastText().contains(u("文件夹不存在")));
    EXPECT_FALSE(QFileInfo::exists(file("missing")));
}

TEST_F(GridExporterTest, ASheetHoldsAtMost65536RowsWithItsTitleHeadingAndTotals) {
    // Title, author and one title row take three rows: 65,533 records fill the sheet exactly, or 65,532
    // when a column is totalled, for the totals row takes the last one.
    struct Case {
        int records;
        GridColumn::Footer footer;
        GridExporter::Result result;
    };
    using F = GridColumn::Footer;
    for (const Case c : {Case{65533, F::None, GridExporter::Result::Written},
                         Case{65534, F::None, GridExporter::Result::TooMany},
                         Case{65532, F::Text, GridExporter::Result::Written},
                         Case{65533, F::Text, GridExporter::Result::TooMany}}) {
        SCOPED_TRACE(c.footer == F::Text ? "with totals" : "without totals");
        env.dialogs().clear();
        GridColumn numbered = GridColumn::make("i", "", "序号", 60);
        numbered.footer = c.footer;
        numbered.footerText = u("合计");
        List list(env.database(),
                  QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<%1) "
                                 "select i from n")
                      .arg(c.records),
                  {numbered});
        ASSERT_EQ(list.rows.rowCount(), c.records);
        const QString path = file("long.xls");
        EXPECT_EQ(exportTo(list.grid, path), c.result) << c.records;
        if (c.result == GridExporter::Result::Written) {
            const BiffSheet sheet = BiffSheet::fromFile(path);
            EXPECT_EQ(sheet.lastRow(), 65535);
            const int lastRecord = c.footer == F::Text ? 65534 : 65535;
            EXPECT_EQ(sheet.cell(lastRecord, 0).rk, quint32(c.records * 4 + 2));
            if (c.footer == F::Text) {
                EXPECT_EQ(sheet.text(65535, 0), u("合计"));
            }
            EXPECT_TRUE(env.dialogs().shown().empty());
            QFile::remove(path);
        } else {
            EXPECT_FALSE(QFileInfo::exists(path));
            EXPECT_EQ(env.dialogs().lastText(), GridExporter::tooManyRowsMessage(65537));
            EXPECT_TRUE(env.dialogs().lastText().contains(QStringLiteral("65536")));
        }
    }
}

TEST_F(GridExporterTest, TheProgressWindowRunsUpToTheRecordCountUnderTheHourglass) {
    SalesDetailWindow detail(env.database());
    detail.showAllRecords();
    struct Seen {
        QSize size;
        QString label;
        int maximum = -1;
        int last = -1;
        bool hourglass = false;
    } seen;
    GridExporter::Result result;
    {
        const ProgressWatch watch(
            [&seen](ExportProgress *progress) {
                seen.size = progress->size();
                seen.label = progress->findChild<QLabel *>()->text();
                seen.maximum = progress->bar()->maximum();
                seen.hourglass = QApplication::overrideCursor() &&
                                 QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            },
            [&seen](ExportProgress *, int value) { seen.last = value; });
        GridExporter exporter;
        exporter.setGrid(detail.grid());
        exporter.setFileName(file("progress.xls"));
        result = exporter.exportGrid();
    }

    EXPECT_EQ(result, GridExporter::Result::Written);
    EXPECT_EQ(seen.size, QSize(300, 100));
    EXPECT_EQ(seen.label, u("正在导出数据，请稍候......"));
    EXPECT_EQ(seen.maximum, 3);
    EXPECT_EQ(seen.last, 3);
    EXPECT_TRUE(seen.hourglass);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the normal cursor is back";
    bool progressLeft = false;
    for (QWidget *top : QApplication::topLevelWidgets())
        progressLeft = progressLeft || qobject_cast<ExportProgress *>(top);
    EXPECT_FALSE(progressLeft);
}

TEST_F(GridExporterTest, WithoutAProgramForTheFileTheExportStillSucceedsAndSaysWhereTheFileIs) {
    SalesDetailWindow detail(env.database());
    detail.showAllRecords();
    shell.opens = false;
    const QString path = file("sales.xls");
    EXPECT_EQ(exportTo(*detail.grid(), path), GridExporter::Result::Written);
    EXPECT_EQ(contentOf(path), expectedSalesSheet());
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_EQ(env.dialogs().shown().front().kind, Dialogs::Kind::Information);
    EXPECT_TRUE(env.dialogs().lastText().contains(path));
}

TEST_F(GridExporterTest, AnEmptyListOrABlankFileNameWritesNothingAndSaysNothing) {
    List empty(env.database(), QStringLiteral("select * from data1 where [3]>100"),
               {GridColumn::make("a", "", "名称", 80)});
    EXPECT_EQ(exportTo(empty.grid, file("empty.xls")), GridExporter::Result::Nothing);
    SalesDetailWindow detail(env.database());
    detail.showAllRecords();
    EXPECT_EQ(exportTo(*detail.grid(), QStringLiteral("  ")), GridExporter::Result::Nothing);
    EXPECT_TRUE(filesIn(out()).isEmpty());
    EXPECT_TRUE(env.dialogs().shown().empty());
}
