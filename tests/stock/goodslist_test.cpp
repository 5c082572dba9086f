// The goods list in its window: columns and totals, red rows, the query box and its order of runs, the
// zero-stock box and the threshold with their settings, the title-click sort.
#include "stock/goodslist.h"
#include "stock/goodsquerybox.h"
#include "store/settingsstore.h"
#include "tests/stock/stockfixture.h"
#include "widgets/datagrid.h"
#include "widgets/datasetmodel.h"
#include "widgets/datefield.h"
#include "widgets/gridheader.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class GoodsListTest : public ::testing::Test {
  protected:
    StockWindow w;
    GoodsQueryBox *box = w.list->queryBox();
    DatasetModel *model = w.list->grid()->datasetModel();

    void SetUp() override {
        w.host.show();
        w.host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w.host));
    }

    QString setting(const char *name) { return SettingsStore::instance().read(QString::fromLatin1(name)); }
    int column(const char *field) { return w.list->grid()->columnOfField(QString::fromLatin1(field)); }
    bool red(int row) {
        const QVariant colour = model->data(model->index(row, 0), Qt::ForegroundRole);
        return colour.isValid() && colour.value<QColor>() == QColor(255, 0, 0);
    }
    int rowNamed(const QString &name) { return w.listedNames().indexOf(name); }
    void clickTitle(const char *field) {
        GridHeader *header = w.list->grid()->gridHeader();
        const int c = column(field);
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(c) + header->sectionSize(c) / 2, header->height() / 2));
    }
};

TEST_F(GoodsListTest, ShowsFifteenColumnsUnderGroupTitlesWithFormatsAndTotals) {
    insertGoods(w.db, {.name = QStringLiteral("甲"),
                       .price = 1.25,
                       .quantity = 2.12345,
                       .stock = 2.12345,
                       .stockAmount = 2.654});
    insertGoods(w.db,
                {.name = QStringLiteral("乙"), .price = 2, .quantity = 3, .stock = 3, .stockAmount = 6});
    w.list->showAll();
    const char *fields[] = {"a", "b", "c", "d", "2", "1", "3", "5", "4", "6", "7", "8", "day1", "g", "z"};
    const char *titles[] = {"名 称", "规格型号", "编 码", "类 别", "数 量",    "单 价",  "金 额", "数 量",
                            "单 价", "金 额",    "数 量", "金 额", "入库日期", "供货商", "备 注"};
    const char *groups[] = {"商 品 信 息", "商 品 信 息", "商 品 信 息", "商 品 信 息", "进 货",
                            "进 货",       "进 货",       "销 售",       "销 售",       "销 售",
                            "存 货",       "存 货",       "备 注",       "备 注",       "备 注"};
    const auto &columns = w.list->grid()->columns();
    ASSERT_EQ(columns.size(), 15u);
    for (int c = 0; c < 15; ++c) {
        EXPECT_EQ(columns[c].field, QString::fromLatin1(fields[c]));
        EXPECT_EQ(columns[c].title, QString::fromUtf8(titles[c]));
        EXPECT_EQ(columns[c].group, QString::fromUtf8(groups[c]));
    }
    const int first = rowNamed(QStringLiteral("甲"));
    EXPECT_EQ(model->cellText(first, column("2")), QStringLiteral("2.123"));
    EXPECT_EQ(model->cellText(first, column("1")), QStringLiteral("1.25"));
    EXPECT_EQ(model->cellText(first, column("3")), QStringLiteral("2.65")); // 1.25 x 2.12345
    EXPECT_EQ(model->cellText(first, column("8")), QStringLiteral("2.65"));
    EXPECT_EQ(model->footerText(column("a")), QStringLiteral("总计"));
    EXPECT_EQ(model->footerText(column("2")), QStringLiteral("5.123"));
    EXPECT_EQ(model->footerText(column("7")), QStringLiteral("5.123"));
    EXPECT_EQ(model->footerText(column("8")), QStringLiteral("8.65"));
    EXPECT_EQ(model->footerText(column("1")), QString()); // prices are not summed
    EXPECT_EQ(w.list->grid()->toolTip(), QStringLiteral("点列标题进行排序，双击记录进行销售"));
}

TEST_F(GoodsListTest, RowsAtOrBelowTheThresholdAreRedAfterRoundingHalvesToEven) {
    const double stocks[] = {5, 5.4, 5.5, 4.5, 6.5, 0, -3, 6, 0.5, 1.5};
    for (double stock : stocks)
        insertGoods(w.db, {.name = QString::number(stock), .stock = stock});
    w.list->showAll();
    struct Case {
        const char *threshold;
        std::vector<double> redStocks;
    } cases[] = {
        {"5", {5, 5.4, 4.5, 0, -3, 0.5, 1.5}},
        {"6", {5, 5.4, 5.5, 4.5, 6.5, 0, -3, 6, 0.5, 1.5}},
        {"0", {0, -3, 0.5}},
    };
    for (const Case &c : cases) {
        w.threshold->setText(QString::fromLatin1(c.threshold));
        for (double stock : stocks) {
            const bool expected =
                std::find(c.redStocks.begin(), c.redStocks.end(), stock) != c.redStocks.end();
            EXPECT_EQ(red(rowNamed(QString::number(stock))), expected)
                << "threshold " << c.threshold << " stock " << stock;
        }
    }
}

TEST_F(GoodsListTest, TheThresholdIsStoredAndAnEmptiedFieldBecomesZero) {
    insertGoods(w.db, {.name = QStringLiteral("一"), .stock = 1});
    w.list->showAll();
    w.threshold->setText(QStringLiteral("12"));
    EXPECT_EQ(setting("number"), QStringLiteral("12"));
    w.threshold->clear();
    EXPECT_EQ(w.threshold->text(), QStringLiteral("0"));
    EXPECT_EQ(setting("number"), QStringLiteral("0"));
    EXPECT_FALSE(red(0)); // stock 1 is above 0
}

TEST_F(GoodsListTest, ShowAllListsEveryRowRefillsTheDropDownsAndGoesToTheLastRow) {
    insertGoods(w.db, {.name = QStringLiteral("乙"),
                       .supplier = QStringLiteral("宏达"),
                       .date = QStringLiteral("2014-08-03")});
    insertGoods(w.db, {.name = QStringLiteral("甲"),
                       .category = QStringLiteral("电子"),
                       .quantity = 0,
                       .date = QStringLiteral("2014-08-02")});
    box->nameInitials()->setText(QStringLiteral("zzz")); // kept, but the list shows all rows
    box->supplier()->setEditText(QStringLiteral("typed"));
    w.panel->name()->setEditText(QStringLiteral("typed"));
    QSignalSpy hides(w.list, &GoodsList::salePanelShouldHide);
    w.list->showAll();
    EXPECT_EQ(w.list->lastStatement().text, QStringLiteral("select * from data order by day1"));
    EXPECT_EQ(w.listedNames(), (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
    EXPECT_EQ(w.list->grid()->currentRow(), 1);
    EXPECT_EQ(w.list->goods().currentRow(), 1);
    EXPECT_EQ(hides.count(), 1);
    EXPECT_EQ(box->nameInitials()->text(), QStringLiteral("zzz"));
    for (QComboBox *b : {box->category(), box->supplier(), w.panel->name(), w.panel->model(), w.panel->code(),
                         w.panel->category(), w.panel->supplier()})
        EXPECT_EQ(b->currentText(), QString()) << qPrintable(b->objectName());
    // The values are read as the user comes to a drop-down; a text set before that stays.
    w.panel->show();
    w.panel->model()->setEditText(QStringLiteral("大号"));
    const auto items = [](QComboBox *b) {
        b->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(b->hasFocus()) << qPrintable(b->objectName());
        QStringList list;
        for (int i = 0; i < b->count(); ++i)
            list << b->itemText(i);
        return list;
    };
    EXPECT_EQ(items(w.panel->model()), QStringList{QStringLiteral("标准")});
    EXPECT_EQ(w.panel->model()->currentText(), QStringLiteral("大号"));
    EXPECT_EQ(items(box->category()), (QStringList{QStringLiteral("文具"), QStringLiteral("电子")}));
    EXPECT_EQ(items(box->supplier()), (QStringList{QStringLiteral("华联电子"), QStringLiteral("宏达")}));
    EXPECT_EQ(items(w.panel->name()), (QStringList{QStringLiteral("乙"), QStringLiteral("甲")}));
    EXPECT_EQ(items(w.panel->category()), items(box->category()));
    EXPECT_EQ(items(w.panel->supplier()), items(box->supplier()));
}

TEST_F(GoodsListTest, EachKeystrokeInAFilterFieldRunsTheQuery) {
    insertGoods(w.db, {.name = QStringLiteral("电脑")});
    insertGoods(w.db, {.name = QStringLiteral("电脑包")});
    insertGoods(w.db, {.name = QStringLiteral("鼠标")});
    QSignalSpy loads(w.list, &GoodsList::listLoaded);
    QTest::keyClicks(box->nameInitials(), QStringLiteral("dnb"));
    EXPECT_EQ(loads.count(), 3);
    EXPECT_EQ(w.list->lastStatement().text, QStringLiteral("select * from data where [2]>0  and e like ?"));
    EXPECT_EQ(w.listedNames(), QStringList{QStringLiteral("电脑包")});
    QTest::keyClick(box->nameInitials(), Qt::Key_Backspace);
    EXPECT_EQ(w.listedNames().size(), 2);
    EXPECT_EQ(w.list->goods().currentRow(), 0); // a query starts at its first row

    // The category filters as the user types; the program filling it does not run anything.
    loads.clear();
    typeText(box->category()->lineEdit(), QStringLiteral("文"));
    EXPECT_EQ(loads.count(), 1);
    w.list->showAll();
    EXPECT_EQ(loads.count(), 2);
    // Supplier and date range wait for "查询".
    loads.clear();
    typeText(box->supplier()->lineEdit(), QStringLiteral("华"));
    box->fromDate()->setDate(QDate(2014, 8, 1));
    box->toDate()->setDate(QDate(2014, 8, 31));
    box->dateRange()->setChecked(true);
    EXPECT_EQ(loads.count(), 0);
    box->searchButton()->click();
    EXPECT_EQ(loads.count(), 1);
}

TEST_F(GoodsListTest, AQuoteTypedIntoTheCodeFieldFindsTheCodeWithTheQuote) {
    insertGoods(w.db, {.name = QStringLiteral("有引号"), .code = QStringLiteral("69'01")});
    insertGoods(w.db, {.name = QStringLiteral("无引号"), .code = QStringLiteral("6901")});
    QTest::keyClicks(box->code(), QStringLiteral("9'"));
    EXPECT_TRUE(w.env.dialogs().shown().empty());
    EXPECT_EQ(w.listedNames(), QStringList{QStringLiteral("有引号")});
}

TEST_F(GoodsListTest, ADateRangeThatIsNotADateIsReportedAndListsNothing) {
    insertGoods(w.db, {.name = QStringLiteral("甲")});
    w.list->showAll();
    box->dateRange()->setChecked(true);
    box->fromDate()->clear();
    box->toDate()->setDate(QDate(2014, 8, 31));
    EXPECT_FALSE(w.list->runQuery());
    EXPECT_EQ(w.env.dialogs().lastText(), QStringLiteral("入库日期不是有效的日期！"));
    EXPECT_EQ(w.list->goods().rowCount(), 0);
    box->fromDate()->setDate(QDate(2014, 8, 1));
    EXPECT_TRUE(w.list->runQuery());
    EXPECT_EQ(w.listedNames(), QStringList{QStringLiteral("甲")});
}

TEST_F(GoodsListTest, ClearConditionsRunsTheQueryAsEachFilledTextFieldIsEmptied) {
    insertGoods(w.db, {.name = QStringLiteral("华联八月"),
                       .model = QStringLiteral("红"),
                       .supplier = QStringLiteral("华联"),
                       .date = QStringLiteral("2014-08-05")});
    insertGoods(w.db, {.name = QStringLiteral("华联七月"),
                       .model = QStringLiteral("红"),
                       .supplier = QStringLiteral("华联"),
                       .date = QStringLiteral("2014-07-05")});
    insertGoods(w.db, {.name = QStringLiteral("宏达八月"),
                       .model = QStringLiteral("红"),
                       .supplier = QStringLiteral("宏达"),
                       .date = QStringLiteral("2014-08-05")});
    box->supplier()->setEditText(QStringLiteral("华联"));
    box->dateRange()->setChecked(true);
    box->fromDate()->setDate(QDate(2014, 8, 1));
    box->toDate()->setDate(QDate(2014, 8, 31));
    box->nameInitials()->setText(QStringLiteral("hl"));
    box->modelInitials()->setText(QStringLiteral("h"));
    QStringList statements;
    QList<QVariantList> binds;
    QObject::connect(w.list, &GoodsList::listLoaded, w.list, [&] {
        statements << w.list->lastStatement().text;
        binds << w.list->lastStatement().binds;
    });
    box->clearButton()->click();
    const QString range = QStringLiteral(" and day1>=#2014-08-01# and day1<=#2014-08-31#");
    EXPECT_EQ(statements,
              (QStringList{
                  QStringLiteral("select * from data where [2]>0  and f like ? and g like ?") + range,
                  QStringLiteral("select * from data where [2]>0  and g like ?") + range,
              }));
    EXPECT_EQ(binds[0], (QVariantList{QStringLiteral("%h%"), QStringLiteral("%华联%")}));
    // The list is that of the last run: supplier and range still applied.
    EXPECT_EQ(w.listedNames(), QStringList{QStringLiteral("华联八月")});
    for (QLineEdit *field : {box->nameInitials(), box->code(), box->modelInitials(), box->remark()})
        EXPECT_TRUE(field->text().isEmpty());
    EXPECT_TRUE(box->category()->currentText().isEmpty());
    EXPECT_TRUE(box->supplier()->currentText().isEmpty());
    EXPECT_FALSE(box->dateRange()->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), box->code()); // ready for the scanner
}

TEST_F(GoodsListTest, ZeroStockBoxChangesBothStatementsReloadsAndIsStored) {
    insertGoods(w.db, {.name = QStringLiteral("有货"), .stock = 4});
    insertGoods(w.db, {.name = QStringLiteral("没货"), .stock = 0});
    QTest::mouseClick(w.zeroStock, Qt::LeftButton);
    EXPECT_TRUE(w.zeroStock->isChecked());
    EXPECT_EQ(setting("n0"), QStringLiteral("no"));
    EXPECT_EQ(w.listedNames(), QStringList{QStringLiteral("有货")});
    EXPECT_EQ(w.list->query().baseCondition(), QStringLiteral("where [7]<>0"));
    w.list->runQuery();
    EXPECT_EQ(w.list->lastStatement().text, QStringLiteral("select * from data where [7]<>0"));
    QTest::mouseClick(w.zeroStock, Qt::LeftButton);
    EXPECT_EQ(setting("n0"), QStringLiteral("yes"));
    EXPECT_EQ(w.listedNames().size(), 2);
    EXPECT_EQ(w.list->query().baseCondition(), QStringLiteral("where [2]>0"));
}

TEST_F(GoodsListTest, TheLoginPreferenceReloadsTwiceWhenItTicksTheBoxAndOnceOtherwise) {
    insertGoods(w.db, {.name = QStringLiteral("没货"), .stock = 0});
    QSignalSpy loads(w.list, &GoodsList::listLoaded);
    w.list->applyLoginZeroStockPreference(true);
    EXPECT_EQ(loads.count(), 2);
    EXPECT_TRUE(w.zeroStock->isChecked());
    EXPECT_TRUE(w.listedNames().isEmpty());
    loads.clear();
    w.list->applyLoginZeroStockPreference(true);
    EXPECT_EQ(loads.count(), 1);
    EXPECT_EQ(w.list->query().baseCondition(), QStringLiteral("where [7]<>0 "));
    w.list->applyLoginZeroStockPreference(false);
    EXPECT_FALSE(w.zeroStock->isChecked());
    EXPECT_EQ(w.listedNames(), QStringList{QStringLiteral("没货")});
}

TEST_F(GoodsListTest, TitleClicksSortTheLoadedRowsDescendingFirstThenAscending) {
    insertGoods(w.db, {.name = QStringLiteral("二"), .stock = 2, .date = QStringLiteral("2014-08-01")});
    insertGoods(w.db, {.name = QStringLiteral("三"), .stock = 3, .date = QStringLiteral("2014-08-02")});
    insertGoods(w.db, {.name = QStringLiteral("一"), .stock = 1, .date = QStringLiteral("2014-08-03")});
    w.list->showAll();
    w.panel->openForNewEntry();
    QSignalSpy loads(w.list, &GoodsList::listLoaded);
    QSignalSpy hides(w.list, &GoodsList::salePanelShouldHide);
    clickTitle("7");
    EXPECT_EQ(w.listedNames(),
              (QStringList{QStringLiteral("三"), QStringLiteral("二"), QStringLiteral("一")}));
    EXPECT_FALSE(w.panel->isVisible());
    EXPECT_EQ(hides.count(), 1);
    clickTitle("7");
    EXPECT_EQ(w.listedNames(),
              (QStringList{QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")}));
    clickTitle("7");
    EXPECT_EQ(w.listedNames(),
              (QStringList{QStringLiteral("三"), QStringLiteral("二"), QStringLiteral("一")}));
    EXPECT_EQ(loads.count(), 0); // no statement was run
    EXPECT_EQ(model->footerText(column("7")), QStringLiteral("6"));
    // A new statement lists its rows in its own order again.
    w.list->showAll();
    EXPECT_EQ(w.listedNames(),
              (QStringList{QStringLiteral("二"), QStringLiteral("三"), QStringLiteral("一")}));
}

} // namespace
