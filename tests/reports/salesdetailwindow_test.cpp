// The sales-detail window on its own: the lists and their orders, filtering while typing, the red
// returns, the title-click sort, the panel's change and deletion, and the column items.
#include "printing/gridprint.h"
#include "reports/saleschartstab.h"
#include "reports/salescolumns.h"
#include "reports/salesdetailwindow.h"
#include "reports/salesfilterbox.h"
#include "reports/salesviewprefs.h"
#include "store/settingsstore.h"
#include "tests/printing/pdftext.h"
#include "tests/reports/reportsfixture.h"
#include "tests/support/testenv.h"
#include "widgets/datagrid.h"
#include "widgets/datasetmodel.h"
#include "widgets/datefield.h"
#include "widgets/gridheader.h"
#include "widgets/numberfield.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class SalesDetailTest : public ::testing::Test {
  protected:
    TestEnv env;
    Database &db = env.database();
    std::unique_ptr<SalesDetailWindow> window;

    SalesDetailWindow &open() {
        window = std::make_unique<SalesDetailWindow>(db);
        window->show();
        return *window;
    }
    Dataset &sales() { return window->sales(); }
    QList<qint64> listedIds() {
        QList<qint64> ids;
        for (int row = 0; row < sales().rowCount(); ++row)
            ids << sales().id(row);
        return ids;
    }
    QStringList column(const char *field) {
        QStringList texts;
        for (int row = 0; row < sales().rowCount(); ++row)
            texts << sales().text(row, QString::fromLatin1(field));
        return texts;
    }
    bool visible(const char *field) { return window->grid()->isColumnVisible(QString::fromLatin1(field)); }
    void clickTitle(const char *field) {
        GridHeader *header = window->grid()->gridHeader();
        const int c = window->grid()->columnOfField(QString::fromLatin1(field));
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(c) + header->sectionSize(c) / 2, header->height() / 2));
    }
    qint64 record(double quantity, const char *date, double amount = 36, const char *initials = "dn") {
        Record r;
        r.quantity = quantity;
        r.amount = amount;
        r.date = QString::fromLatin1(date);
        r.initials = QString::fromLatin1(initials);
        return insertRecord(db, r);
    }
};
} // namespace

TEST_F(SalesDetailTest, ShowsFifteenColumnsWithTitlesFormatsAndTheTotalsOfTheListedRows) {
    record(3, "2014-08-05", 36.456);
    record(1.2345, "2014-08-06", 10);
    record(5, "2014-07-01", 60); // another month
    open();

    const auto &columns = window->grid()->columns();
    ASSERT_EQ(columns.size(), 15u);
    QStringList captions;
    for (const GridColumn &c : columns)
        captions << c.field + QLatin1Char('=') + c.caption();
    EXPECT_EQ(captions.join(QLatin1Char(',')),
              u("a=商 品 信 息| 名 称,b=商 品 信 息|规格型号,c=商 品 信 息| 编 码,d=商 品 信 息|类 别,"
                "2=销 售 信 息|单 价,3=销 售 信 息|数 量,4=销 售 信 息|金 额,day1=销 售 信 息|日 期,"
                "6=销 售 信 息|欠款额,a5=销 售 信 息|净利润,z=销 售 信 息|单 号,g=客 户|名 称,"
                "i=客 户|联系方式,h=客 户|地 址,j=客 户|备 注"));
    EXPECT_FALSE(visible("z")) << "the sale number starts hidden";

    DatasetModel *model = window->grid()->datasetModel();
    const int quantity = window->grid()->columnOfField(QStringLiteral("3"));
    const int amount = window->grid()->columnOfField(QStringLiteral("4"));
    EXPECT_EQ(model->footerText(0), u("合计"));
    EXPECT_EQ(model->footerText(quantity), QStringLiteral("4.235")) << "August only, #0.###";
    EXPECT_EQ(model->footerText(amount), QStringLiteral("46.46"));
    EXPECT_EQ(model->cellText(1, quantity), QStringLiteral("1.235"));
}

TEST_F(SalesDetailTest, RowsWhoseQuantityRoundsToZeroOrLessAreRed) {
    const qint64 small = record(0.4, "2014-08-05");
    const qint64 larger = record(0.6, "2014-08-05");
    const qint64 ret = record(-2, "2014-08-05");
    open();
    DatasetModel *model = window->grid()->datasetModel();
    const auto red = [&](qint64 id) {
        const QVariant colour = model->data(model->index(sales().rowOfId(id), 0), Qt::ForegroundRole);
        return colour.isValid() && colour.value<QColor>() == QColor(Qt::red);
    };
    EXPECT_TRUE(red(small));
    EXPECT_FALSE(red(larger));
    EXPECT_TRUE(red(ret));
}

TEST_F(SalesDetailTest, SearchWithEmptyFiltersAndAllRecordsListDifferentRowsInDifferentOrders) {
    const qint64 late = record(1, "2014-08-20");
    const qint64 ret = record(-1, "2014-08-02");
    const qint64 early = record(2, "2014-06-01");
    const qint64 zero = record(0, "2014-05-01");
    open();
    window->filterBox()->searchButton()->click();
    EXPECT_EQ(listedIds(), (QList<qint64>{late, early})) << "positive quantities in stored order";
    EXPECT_EQ(window->grid()->currentRow(), 0);

    window->filterBox()->allButton()->click();
    EXPECT_EQ(listedIds(), (QList<qint64>{zero, early, ret, late})) << "everything, by sale date";
    EXPECT_EQ(window->grid()->currentRow(), 3);

    window->filterBox()->allReturns()->click();
    EXPECT_EQ(listedIds(), QList<qint64>{ret});
    window->filterBox()->monthButton()->click();
    EXPECT_EQ(listedIds(), (QList<qint64>{late, ret})) << "August, with its return";
    EXPECT_EQ(window->grid()->currentRow(), 1);
}

TEST_F(SalesDetailTest, EachKeystrokeInAFilterFieldRunsOneQueryWithTheTextSoFar) {
    const qint64 ab = record(1, "2014-08-05", 10, "xab");
    const qint64 a = record(1, "2014-08-05", 10, "xa");
    record(1, "2014-08-05", 10, "zz");
    open();
    QSignalSpy loads(window->grid()->datasetModel(), &QAbstractItemModel::modelReset);
    typeText(window->filterBox()->nameInitials(), QStringLiteral("ab"));

    EXPECT_EQ(loads.size(), 2);
    EXPECT_EQ(listedIds(), QList<qint64>{ab});
    window->filterBox()->nameInitials()->backspace();
    EXPECT_EQ(listedIds(), (QList<qint64>{ab, a}));
}

TEST_F(SalesDetailTest, ClearingTheConditionsQueriesOncePerEmptiedFieldWithTheConditionsLeft) {
    Record kept;
    kept.category = u("文具");
    kept.code = QStringLiteral("777");
    const qint64 keptId = insertRecord(db, kept);
    const qint64 other = record(1, "2014-08-05", 10, "dn");
    open();
    SalesFilterBox *box = window->filterBox();
    box->nameInitials()->setText(QStringLiteral("dn"));
    box->code()->setText(QStringLiteral("69"));
    box->category()->setEditText(u("电子"));
    box->dateRange()->setChecked(true);
    box->fromDate()->setText(QStringLiteral("2014-08-01"));
    QSignalSpy loads(window->grid()->datasetModel(), &QAbstractItemModel::modelReset);

    box->clearButton()->click();

    EXPECT_EQ(loads.size(), 2) << "the name and the code field; the drop-down and the box run nothing";
    EXPECT_TRUE(window->lastStatement().contains(QStringLiteral("d like ?")))
        << window->lastStatement().toStdString();
    EXPECT_EQ(listedIds(), QList<qint64>{other});
    EXPECT_FALSE(box->dateRange()->isChecked());
    EXPECT_TRUE(box->category()->currentText().isEmpty());
    Q_UNUSED(keptId);
}

TEST_F(SalesDetailTest, TodayTicksTheDateRangeAndListsTodaysSales) {
    const qint64 today = record(1, "2014-08-12");
    record(1, "2014-08-11");
    open();
    window->filterBox()->todayButton()->click();
    EXPECT_TRUE(window->filterBox()->dateRange()->isChecked());
    EXPECT_EQ(listedIds(), QList<qint64>{today});
}

TEST_F(SalesDetailTest, TheFirstTitleClickSortsDescendingTheSecondAscending) {
    record(1, "2014-08-05", 20);
    record(1, "2014-08-06", 50);
    record(1, "2014-08-07", 5);
    open();
    clickTitle("4");
    EXPECT_EQ(column("4"), (QStringList{QStringLiteral("50"), QStringLiteral("20"), QStringLiteral("5")}));
    clickTitle("4");
    EXPECT_EQ(column("4"), (QStringList{QStringLiteral("5"), QStringLiteral("20"), QStringLiteral("50")}));
}

TEST_F(SalesDetailTest, ARowClickFillsTheSlipNumberAndCustomerAndClosesAnOpenPanel) {
    Record r;
    r.customer = u("张三");
    r.saleNumber = QStringLiteral("20140805007");
    insertRecord(db, r);
    record(1, "2014-08-06");
    open();
    QSignalSpy remembered(window.get(), &SalesDetailWindow::rememberedCustomerChanged);
    window->grid()->setCurrentRow(1);
    window->item(QStringLiteral("N7"))->trigger();
    ASSERT_TRUE(window->panel()->isVisible());

    window->grid()->setCurrentRow(0);
    emit window->grid()->rowClicked(0);
    EXPECT_FALSE(window->panel()->isVisible());
    EXPECT_EQ(window->slipSaleNumber()->text(), QStringLiteral("20140805007"));
    EXPECT_EQ(window->customerField()->text(), u("张三"));
    ASSERT_EQ(remembered.size(), 1);
    EXPECT_EQ(remembered.at(0).at(0).toString(), u("张三"));
}

TEST_F(SalesDetailTest, ChangeWritesTheFieldsOfThePanelAndADebtThatIsNoNumberWritesNothing) {
    Record r;
    r.customer = u("张三");
    const qint64 id = insertRecord(db, r);
    open();
    window->item(QStringLiteral("N7"))->trigger();
    SalesRecordPanel *panel = window->panel();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->changeButton()->isVisible());
    EXPECT_FALSE(panel->deleteButton()->isVisible());
    EXPECT_EQ(panel->customer()->text(), u("张三"));
    EXPECT_EQ(panel->label("Label26")->text(), QStringLiteral("3"));

    panel->debt()->setText(QStringLiteral("."));
    panel->changeButton()->click();
    EXPECT_EQ(env.dialogs().lastText(), u("欠款金额不是有效的数字！"));
    EXPECT_TRUE(panel->isVisible());

    panel->debt()->setText(QStringLiteral("6.5"));
    panel->customer()->clear();
    panel->remark()->setText(u(" 月底结 "));
    panel->changeButton()->click();
    EXPECT_EQ(env.dialogs().lastText(), u("修改记录成功！"));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_DOUBLE_EQ(db.scalar(QStringLiteral("select [6] from data1 where ID=?"), {id}).toDouble(), 6.5);
    EXPECT_EQ(db.scalar(QStringLiteral("select g from data1 where ID=?"), {id}).toString(), QString());
    EXPECT_EQ(db.scalar(QStringLiteral("select j from data1 where ID=?"), {id}).toString(), u("月底结"));
    EXPECT_EQ(sales().text(0, QStringLiteral("j")), u("月底结"));
}

TEST_F(SalesDetailTest, DeleteGivesTheGoodsBackListsTheMonthAndRedrawsTheCharts) {
    const qint64 goods = insertGoods(db, {});
    record(3, "2014-08-05", 36);
    const qint64 kept = record(1, "2014-08-06", 12);
    open();
    QSignalSpy changed(window.get(), &SalesDetailWindow::goodsRowChanged);
    ASSERT_EQ(window->charts()->dailyPoints().size(), 2u);
    window->grid()->setCurrentRow(0);
    window->item(QStringLiteral("N2"))->trigger();
    ASSERT_TRUE(window->panel()->deleteButton()->isVisible());
    EXPECT_FALSE(window->panel()->changeButton()->isVisible());

    window->panel()->deleteButton()->click();

    EXPECT_EQ(env.dialogs().lastText(), u("删除销售记录成功！"));
    EXPECT_DOUBLE_EQ(goodsFigure(db, goods, "7"), 10);
    EXPECT_DOUBLE_EQ(goodsFigure(db, goods, "8"), 80);
    EXPECT_EQ(listedIds(), QList<qint64>{kept});
    EXPECT_FALSE(window->panel()->isVisible());
    EXPECT_EQ(window->charts()->dailyPoints().size(), 1u);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.at(0).at(0).toLongLong(), goods);
}

TEST_F(SalesDetailTest, ThePanelOpensOnlyOnARowWithAGoodsName) {
    Record nameless;
    nameless.name = QString();
    insertRecord(db, nameless);
    open();
    window->item(QStringLiteral("N7"))->trigger();
    window->item(QStringLiteral("N2"))->trigger();
    EXPECT_FALSE(window->panel()->isVisible());
}

TEST_F(SalesDetailTest, ColumnFlagsAtStartTheSingleCustomerFlagsWinningOverTheGroupOne) {
    SettingsStore &store = SettingsStore::instance();
    ASSERT_TRUE(store.write(QStringLiteral("xiaoshouyin5"), QStringLiteral("yes")));
    ASSERT_TRUE(store.write(QStringLiteral("xiaoshouyin8"), QStringLiteral("no")));
    ASSERT_TRUE(store.write(QStringLiteral("xiaoshouyin6"), QStringLiteral("yes")));
    ASSERT_TRUE(store.write(QStringLiteral("xiaoshouyin4"), QStringLiteral("maybe")));
    open();
    window->viewPreferences()->applyRemembered();

    EXPECT_FALSE(visible("g"));
    EXPECT_TRUE(visible("i")) << "xiaoshouyin8 no comes after xiaoshouyin5 yes";
    EXPECT_FALSE(visible("h"));
    EXPECT_FALSE(visible("j"));
    EXPECT_TRUE(visible("z"));
    EXPECT_TRUE(visible("a5"));
    EXPECT_TRUE(window->item(QStringLiteral("N6"))->isChecked());
    EXPECT_TRUE(window->item(QStringLiteral("N10"))->isChecked());
    EXPECT_FALSE(window->item(QStringLiteral("N8"))->isChecked());
}

TEST_F(SalesDetailTest, ColumnItemsToggleAndStoreTheirFlagsAndShowAllKeepsMarksAndTheSaleNumber) {
    open();
    QAction *profit = window->item(QStringLiteral("N11"));
    profit->trigger();
    EXPECT_FALSE(visible("a5"));
    EXPECT_TRUE(profit->isChecked());
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("xiaoshouyin4")), QStringLiteral("yes"));
    profit->trigger();
    EXPECT_TRUE(visible("a5"));
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("xiaoshouyin4")), QStringLiteral("no"));

    window->item(QStringLiteral("N10"))->trigger();
    EXPECT_TRUE(visible("z"));
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("xiaoshouyin6")), QStringLiteral("yes"));

    window->item(QStringLiteral("N6"))->trigger();
    window->item(QStringLiteral("N5"))->trigger();
    window->item(QStringLiteral("N3"))->trigger();
    for (const char *field : {"b", "c", "d", "2", "3", "4", "day1", "6", "a5", "g", "i", "h", "j", "z"})
        EXPECT_TRUE(visible(field)) << field;
    EXPECT_TRUE(window->item(QStringLiteral("N6"))->isChecked()) << "marks stay";
    window->item(QStringLiteral("N10"))->trigger();
    window->item(QStringLiteral("N3"))->trigger();
    EXPECT_FALSE(visible("z")) << "the sale number keeps its state";
}

TEST_F(SalesDetailTest, ASavedLayoutDecidesTheColumnsAtEveryShowWhileTheMarksStay) {
    open();
    window->item(QStringLiteral("N12"))->trigger(); // debt hidden
    window->item(QStringLiteral("N19"))->trigger(); // layout saved with it hidden
    window->item(QStringLiteral("N12"))->trigger(); // shown again, mark cleared
    ASSERT_TRUE(visible("6"));
    window->hide();
    window->show();
    EXPECT_FALSE(visible("6"));
    EXPECT_FALSE(window->item(QStringLiteral("N12"))->isChecked());
}

TEST_F(SalesDetailTest, ShowSetsTheDateFieldsAndTheChartDropDownsToTodayAndCloseEmptiesTheList) {
    record(1, "2014-08-05");
    open();
    EXPECT_EQ(window->charts()->monthlyYear()->currentText(), QStringLiteral("2014"));
    EXPECT_EQ(window->charts()->dailyMonth()->currentText(), QStringLiteral("8"));
    EXPECT_EQ(sales().rowCount(), 1);
    QSignalSpy closed(window.get(), &SalesDetailWindow::windowClosed);
    window->close();
    EXPECT_EQ(closed.size(), 1);
    EXPECT_EQ(sales().rowCount(), 0);
    EXPECT_TRUE(window->charts()->monthlyPoints().empty());
}

TEST_F(SalesDetailTest, PrintShowsTheVisibleColumnsTheTotalsAndTheReportTitle) {
    record(3, "2014-08-05", 36);
    record(-1, "2014-08-06", -12);
    open();
    window->setUserName([] { return u("超级管理员"); });
    window->item(QStringLiteral("N5"))->trigger(); // the unit price hidden
    const QString pdf = env.file(QStringLiteral("sales.pdf"));
    gridprint::setPreviewRunner([&](QPrintPreviewDialog &dialog) {
        QPrinter *printer = dialog.printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        dialog.findChild<QPrintPreviewWidget *>()->print();
    });
    window->item(QStringLiteral("N4"))->trigger();
    gridprint::setPreviewRunner({});

    const auto words = pdfWords(pdf);
    EXPECT_EQ(lineOf(words, QStringLiteral("Page.")).join(QLatin1Char(' ')), QStringLiteral("Page. 1"));
    EXPECT_EQ(lineOf(words, u("统")).join(QLatin1Char(' ')), u("销 售 统 计 报 表"));
    EXPECT_EQ(lineOf(words, u("信")).join(QLatin1Char(' ')), u("商 品 信 息 销 售 信 息 客 户"));
    EXPECT_EQ(lineOf(words, u("合计")).join(QLatin1Char(' ')), u("合计 2 24 0 24"))
        << "quantity, amount, debt and profit summed";
    const auto has = [&](const QString &word) {
        return std::any_of(words.begin(), words.end(), [&](const PdfWord &w) { return w.text == word; });
    };
    EXPECT_TRUE(has(u("净利润")));
    EXPECT_FALSE(has(u("号"))) << "the hidden sale number";
    EXPECT_FALSE(has(u("价"))) << "the hidden unit price";
    EXPECT_TRUE(has(u("合计")));
    EXPECT_TRUE(has(QStringLiteral("24"))) << "the amounts' total";
    EXPECT_TRUE(has(u("制表人：超级管理员")));
}
