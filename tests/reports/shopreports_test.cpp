// The sales-detail window and the goods summary in the assembled main window: the commands that open
// them, the start-up steps, a sale and a deletion reaching the other windows, the login's
// restrictions, and the goods list's print.
#include "app/mainwindow.h"
#include "app/shop.h"
#include "app/shopreports.h"
#include "printing/gridprint.h"
#include "printing/previewwindow.h"
#include "reports/goodssummarywindow.h"
#include "reports/saleschartstab.h"
#include "reports/salesdetailsize.h"
#include "reports/salesdetailwindow.h"
#include "reports/salesfilterbox.h"
#include "sales/salepanel.h"
#include "stock/goodslist.h"
#include "stock/stockinpanel.h"
#include "store/settingsstore.h"
#include "tests/export/biffreader.h"
#include "tests/printing/pdftext.h"
#include "tests/reports/reportsfixture.h"
#include "tests/support/recordingshell.h"
#include "tests/support/testenv.h"
#include "users/loginwindow.h"
#include "users/userstore.h"
#include "widgets/datagrid.h"
#include "widgets/numberfield.h"
#include "widgets/datasetmodel.h"

#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {
class ShopReportsTest : public ::testing::Test {
  protected:
    ShopReportsTest() {
        Goods mouse;
        mouse.name = u("鼠标");
        mouse.model = u("无线");
        mouse.code = QStringLiteral("6902");
        mouseId = insertGoods(env.database(), mouse);
        computerId = insertGoods(env.database(), {});
        UserStore(env.database()).addUser(u("张三"));
    }
    ~ShopReportsTest() override {
        gridprint::setPreviewRunner({});
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top != window.get() && top->parent() == window.get()) top->close();
    }

    void start() { window->show(); }
    void logIn(const QString &name) {
        LoginWindow *login = shop->login();
        login->show();
        login->findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setEditText(name);
        login->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("659"));
        login->logIn();
        ASSERT_TRUE(login->isLoggedIn());
    }
    QAction *command(const char *name) { return window->command(QString::fromLatin1(name)); }
    SalesDetailWindow *detail() { return shop->reports()->salesDetail(); }
    GoodsSummaryWindow *summary() { return shop->reports()->summary(); }
    // Runs `inside` while the window is shown modally by `trigger`, then closes it.
    void whileModal(QDialog *dialog, const std::function<void()> &trigger,
                    const std::function<void()> &inside) {
        bool ran = false;
        QTimer::singleShot(0, dialog, [&] {
            ran = dialog->isVisible() && dialog->isModal();
            inside();
            dialog->close();
        });
        trigger();
        EXPECT_TRUE(ran);
    }
    void sell(const QString &name, const char *quantity, const QString &customer) {
        Dataset &goods = shop->goods()->goods();
        for (int row = 0; row < goods.rowCount(); ++row)
            if (goods.text(row, QStringLiteral("a")) == name) emit shop->goods()->rowDoubleClicked(row);
        SalePanel *sale = shop->salePanel();
        ASSERT_TRUE(sale->isVisible());
        sale->findChild<QLineEdit *>(QStringLiteral("Edit35"))->setText(QString::fromLatin1(quantity));
        sale->findChild<QComboBox *>(QStringLiteral("ComboBox7"))->setEditText(customer);
        sale->confirmSale();
        ASSERT_FALSE(sale->isVisible());
    }

    // `count` sales records of 1 to 7 pieces at 12 each, in one transaction; `vary` may change the others
    // of a record's fields.
    void insertSales(int count, const std::function<void(int, Record &)> &vary = {}) {
        Database &db = env.database();
        ASSERT_TRUE(db.begin());
        for (int i = 0; i < count; ++i) {
            Record r;
            if (vary) vary(i, r);
            r.quantity = 1 + i % 7;
            r.amount = r.quantity * 12;
            insertRecord(db, r);
        }
        ASSERT_TRUE(db.commit());
    }

    TestEnv env;
    RecordingShell shell;
    qint64 mouseId = -1, computerId = -1;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(env.database());
    Shop *shop = new Shop(env.database(), *window);
};
} // namespace

TEST_F(ShopReportsTest, StartUpAppliesTheColumnFlagsAndListsTheMonth) {
    insertRecord(env.database(), {});
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("xiaoshouyin6"), QStringLiteral("yes")));
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("xiaoshouyin3"), QStringLiteral("yes")));
    start();
    EXPECT_TRUE(detail()->grid()->isColumnVisible(QStringLiteral("z")));
    EXPECT_FALSE(detail()->grid()->isColumnVisible(QStringLiteral("6")));
    EXPECT_TRUE(detail()->item(QStringLiteral("N12"))->isChecked());
    EXPECT_EQ(detail()->sales().rowCount(), 1) << "show step 2 ran \"本 月\"";
}

TEST_F(ShopReportsTest, TheCommandsOpenTheWindowsModallyOrNot) {
    start();
    logIn(u("超级管理员"));
    for (const char *name : {"ToolButton19", "N27", "ToolButton22", "N11", "N16"})
        EXPECT_TRUE(command(name)->isEnabled()) << name;

    shop->stockIn()->show();
    whileModal(
        detail(), [&] { command("ToolButton19")->trigger(); }, [] {});
    EXPECT_FALSE(shop->stockIn()->isVisible()) << "hidden when the window closed";
    EXPECT_FALSE(detail()->isVisible());

    whileModal(
        summary(), [&] { command("ToolButton22")->trigger(); },
        [&] { EXPECT_EQ(summary()->summary().rowCount(), 2); });
    command("N11")->trigger();
    EXPECT_TRUE(summary()->isVisible());
    EXPECT_FALSE(summary()->isModal());
}

TEST_F(ShopReportsTest, ASaleReachesTheMonthListTheSlipFieldsAndTheSummary) {
    start();
    logIn(u("超级管理员"));
    command("N11")->trigger(); // the summary open beside the main window
    sell(u("鼠标"), "2", u("李四"));

    EXPECT_EQ(detail()->slipSaleNumber()->text(), QStringLiteral("20140812001"));
    EXPECT_EQ(detail()->customerField()->text(), u("李四"));
    EXPECT_EQ(shop->salePanel()->rememberedCustomer(), u("李四"));
    const Dataset &rows = summary()->summary();
    int mouse = -1;
    for (int row = 0; row < rows.rowCount(); ++row)
        if (rows.text(row, QStringLiteral("a")) == u("鼠标")) mouse = row;
    ASSERT_GE(mouse, 0);
    EXPECT_DOUBLE_EQ(rows.number(mouse, u("库存数量")), 5) << "7 less the 2 sold";

    whileModal(
        detail(), [&] { command("ToolButton19")->trigger(); },
        [&] {
            ASSERT_EQ(detail()->sales().rowCount(), 1);
            EXPECT_EQ(detail()->sales().text(0, QStringLiteral("g")), u("李四"));
        });

    // A click on another record in the window hands its customer to the next sale.
    Record other;
    other.customer = u("王五");
    insertRecord(env.database(), other);
    detail()->showMonth();
    detail()->grid()->setCurrentRow(1);
    emit detail()->grid()->rowClicked(1);
    EXPECT_EQ(shop->salePanel()->rememberedCustomer(), u("王五"));
}

TEST_F(ShopReportsTest, ADeletionPutsTheGoodsBackAndTheGoodsListShowsTheNewFigures) {
    start();
    logIn(u("超级管理员"));
    sell(u("电脑"), "3", QString());
    const auto listedStock = [&] {
        const Dataset &goods = shop->goods()->goods();
        return goods.number(goods.rowOfId(computerId), QStringLiteral("7"));
    };
    ASSERT_DOUBLE_EQ(listedStock(), 4);

    whileModal(
        detail(), [&] { command("N27")->trigger(); },
        [&] {
            detail()->grid()->setCurrentRow(0);
            detail()->item(QStringLiteral("N2"))->trigger();
            detail()->panel()->deleteButton()->click();
            EXPECT_DOUBLE_EQ(listedStock(), 7) << "the list ran its statement again";
        });
    EXPECT_DOUBLE_EQ(goodsFigure(env.database(), computerId, "7"), 7);
    EXPECT_EQ(shop->goods()->goods().rowCount(), 2) << "closing lists every goods row";
}

TEST_F(ShopReportsTest, TheKeyboardDeletesARecordThroughThePanelAndComesBackToTheList) {
    start();
    logIn(u("超级管理员"));
    sell(u("电脑"), "3", QString());
    whileModal(
        detail(), [&] { command("N27")->trigger(); },
        [&] {
            // The Delete key is a shortcut of the window's own commands: they answer in the active window.
            detail()->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(detail()));
            DataGrid *grid = detail()->grid();
            grid->setFocus(Qt::OtherFocusReason);
            grid->setCurrentRow(0);
            QTest::keyClick(grid, Qt::Key_Delete);
            SalesRecordPanel *panel = detail()->panel();
            ASSERT_TRUE(panel->isVisible());
            EXPECT_EQ(detail()->focusWidget(), static_cast<QWidget *>(panel->debt())) << "the keys go on in the panel";
            int tabs = 0;
            while (detail()->focusWidget() != panel->deleteButton() && tabs++ < 12)
                QTest::keyClick(detail()->focusWidget(), Qt::Key_Tab);
            ASSERT_EQ(detail()->focusWidget(), static_cast<QWidget *>(panel->deleteButton()))
                << "Tab reaches the delete button";
            QTest::keyClick(panel->deleteButton(), Qt::Key_Space);
            EXPECT_EQ(env.database().scalar(QStringLiteral("select count(*) from data1")).toInt(), 0);
            EXPECT_FALSE(panel->isVisible());
            EXPECT_EQ(detail()->focusWidget(), static_cast<QWidget *>(grid)) << "the keys are back on the list";
        });
}

TEST_F(ShopReportsTest, AnOrdinaryUserSeesNoProfitNoChartsNoAmountsAndCannotChangeOrDelete) {
    start();
    logIn(u("张三"));
    for (const char *name : {"N2", "N7", "N3", "N11"})
        EXPECT_FALSE(detail()->item(QString::fromLatin1(name))->isVisible()) << name;
    EXPECT_TRUE(detail()->item(QStringLiteral("N5"))->isVisible());
    EXPECT_TRUE(detail()->charts()->monthlyChart()->isHidden());
    EXPECT_TRUE(detail()->charts()->dailyChart()->isHidden());

    // Not even "全部显示" or the flags at the next show bring the profit back.
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("xiaoshouyin4"), QStringLiteral("no")));
    window->hide();
    window->show();
    detail()->item(QStringLiteral("N3"))->trigger();
    EXPECT_FALSE(detail()->grid()->isColumnVisible(QStringLiteral("a5")));
    EXPECT_TRUE(detail()->grid()->isColumnVisible(QStringLiteral("4")));

    for (const QString &field : {u("进货金额"), u("销售金额"), u("库存金额")})
        EXPECT_FALSE(summary()->grid()->isColumnVisible(field)) << field.toStdString();
    for (const QString &field : {u("进货数量"), u("销售数量"), u("库存数量")})
        EXPECT_TRUE(summary()->grid()->isColumnVisible(field)) << field.toStdString();
}

TEST_F(ShopReportsTest, TheSuperAdministratorKeepsEverything) {
    start();
    logIn(u("超级管理员"));
    for (const char *name : {"N2", "N7", "N3", "N11"})
        EXPECT_TRUE(detail()->item(QString::fromLatin1(name))->isVisible()) << name;
    EXPECT_FALSE(detail()->charts()->monthlyChart()->isHidden());
    EXPECT_TRUE(summary()->grid()->isColumnVisible(u("库存金额")));
}

TEST_F(ShopReportsTest, TheGoodsListPrintsWithItsTitleAndTheLoggedInUser) {
    start();
    logIn(u("超级管理员"));
    const QString pdf = env.file(QStringLiteral("goods.pdf"));
    QSize previewSize;
    QPrintPreviewWidget::ZoomMode zoom = QPrintPreviewWidget::CustomZoom;
    gridprint::setPreviewRunner([&](QPrintPreviewDialog &dialog) {
        auto *preview = dialog.findChild<QPrintPreviewWidget *>();
        ASSERT_NE(preview, nullptr);
        previewSize = dialog.size();
        zoom = preview->zoomMode();
        preview->updatePreview();
        EXPECT_GE(preview->pageCount(), 1);
        QPrinter printer(QPrinter::HighResolution);
        gridprint::setUpPage(printer);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        emit dialog.paintRequested(&printer);
    });
    command("N16")->trigger();
    EXPECT_EQ(previewSize, previewwindow::size(window->screen()->availableGeometry())) << "not Qt's small default";
    EXPECT_EQ(zoom, QPrintPreviewWidget::FitToWidth);

    const QString text = pdfPageText(pdfWords(pdf), 1);
    EXPECT_TRUE(text.contains(u("商 品 进 货 统 计 报 表"))) << text.toStdString();
    EXPECT_TRUE(text.contains(u("制表人：超级管理员")));
    EXPECT_TRUE(text.contains(u("日期：2014-08-12")));
    EXPECT_TRUE(text.contains(u("鼠标")));
}

// A filter's list longer than a screen shows its first rows at once and reads the rest between the
// keys: a next key starts over, a title click, an export and the end of the reading all see every row.
TEST_F(ShopReportsTest, AFilterListShowsItsFirstRowsAtOnceAndReadsTheRestBetweenTheKeys) {
    Database &db = env.database();
    ASSERT_NO_FATAL_FAILURE(insertSales(600, [](int i, Record &r) {
        if (i % 4 == 3) {
            r.name = u("鼠标");
            r.initials = QStringLiteral("sb");
        }
    }));
    const auto fromDatabase = [&](const char *initials) {
        return db
            .scalar(QStringLiteral("select sum([3]) from data1 where e like ? and [3]>0"),
                    {QVariant(QStringLiteral("%") + QString::fromLatin1(initials) + QStringLiteral("%"))})
            .toDouble();
    };
    start();
    logIn(u("超级管理员"));
    whileModal(
        detail(), [&] { command("N27")->trigger(); },
        [&] {
            DataGrid *grid = detail()->grid();
            Dataset &sales = detail()->sales();
            QLineEdit *initials = detail()->filterBox()->nameInitials();
            const int quantity = grid->columnOfField(QStringLiteral("3"));
            const auto readToTheEnd = [&] {
                while (grid->isLoading())
                    QApplication::processEvents();
            };

            initials->setText(QStringLiteral("d"));
            EXPECT_TRUE(grid->isLoading());
            EXPECT_EQ(grid->datasetModel()->footerText(quantity), u("…"))
                << "no sum of the rows read so far stands for the total";
            EXPECT_EQ(sales.rowCount(), DataGrid::FirstRowsShown);
            EXPECT_EQ(grid->datasetModel()->rowCount(), DataGrid::FirstRowsShown);
            EXPECT_EQ(grid->currentRow(), 0);

            // The next key before the end: the list of "dn" alone, whole after the reading.
            initials->setText(QStringLiteral("dn"));
            EXPECT_TRUE(grid->isLoading());
            QSignalSpy finished(grid, &DataGrid::loadingFinished);
            readToTheEnd();
            EXPECT_EQ(finished.count(), 1);
            EXPECT_EQ(sales.rowCount(), 450);
            EXPECT_EQ(grid->datasetModel()->rowCount(), 450);
            EXPECT_DOUBLE_EQ(sales.total(QStringLiteral("3")), fromDatabase("dn"));
            EXPECT_EQ(grid->datasetModel()->footerText(quantity),
                      formatNumber(fromDatabase("dn"), grid->columns()[quantity].format));
            EXPECT_EQ(grid->currentRow(), 0);

            // A title click on a list still being read sorts every row of it.
            initials->setText(QString());
            ASSERT_TRUE(grid->isLoading());
            emit grid->sortRequested(QStringLiteral("3 DESC"));
            EXPECT_FALSE(grid->isLoading());
            EXPECT_EQ(sales.rowCount(), 600);
            EXPECT_EQ(grid->datasetModel()->rowCount(), 600);
            EXPECT_EQ(sales.text(0, QStringLiteral("3")), QStringLiteral("7"));
            EXPECT_EQ(sales.text(599, QStringLiteral("3")), QStringLiteral("1"));

            // The export writes the whole list, not the part read so far.
            initials->setText(QStringLiteral("d"));
            ASSERT_TRUE(grid->isLoading());
            const QString path = env.file(QStringLiteral("sales.xls"));
            env.dialogs().fileName(path);
            detail()->item(QStringLiteral("Excel1"))->trigger();
            const BiffSheet sheet = BiffSheet::fromFile(path);
            ASSERT_TRUE(sheet.whole());
            EXPECT_EQ(sheet.lastRow(), 4 + 450) << "heading rows, 450 records, the totals row";
            EXPECT_EQ(grid->datasetModel()->rowCount(), 450);
            readToTheEnd();
            EXPECT_EQ(sales.rowCount(), 450);
        });
}

// The print of a list still being read prints every row and the totals of the whole list.
TEST_F(ShopReportsTest, APrintOfAListStillBeingReadWaitsForTheWholeList) {
    Database &db = env.database();
    ASSERT_NO_FATAL_FAILURE(insertSales(600));
    const QString quantity = formatNumber(db.scalar(QStringLiteral("select sum([3]) from data1")).toDouble(),
                                          DisplayFormat::Decimals3);
    const QString pdf = env.file(QStringLiteral("sales.pdf"));
    gridprint::setPreviewRunner([&](QPrintPreviewDialog &dialog) {
        QPrinter printer(QPrinter::HighResolution);
        gridprint::setUpPage(printer);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        emit dialog.paintRequested(&printer);
    });
    start();
    logIn(u("超级管理员"));
    whileModal(
        detail(), [&] { command("N27")->trigger(); },
        [&] {
            detail()->filterBox()->nameInitials()->setText(QStringLiteral("d"));
            ASSERT_TRUE(detail()->grid()->isLoading());
            detail()->item(QStringLiteral("N4"))->trigger();
        });
    const auto words = pdfWords(pdf);
    ASSERT_FALSE(words.empty());
    const int lastPage = std::max_element(words.begin(), words.end(), [](const PdfWord &a, const PdfWord &b) {
                             return a.page < b.page;
                         })->page;
    int printedRows = 0;
    for (const PdfWord &word : words)
        if (word.text == u("联想")) ++printedRows;
    EXPECT_EQ(printedRows, 600);
    const QStringList totals = lineOf(words, u("合计"), lastPage);
    EXPECT_TRUE(totals.contains(quantity)) << totals.join(u' ').toStdString();
    EXPECT_FALSE(totals.contains(u("…")));
}

namespace {
// A double click as the system sends it: a click, then the second press as a double click.
// (QTest's double click alone sends no first press, and the list takes nothing without one.)
void doubleClickRow(DataGrid *grid, int row) {
    const QPoint at = grid->visualRect(grid->model()->index(row, 0)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

// Whether the edit/delete panel opens, and for what, each way a user can ask for it.
struct WaysIn {
    bool doubleClick = false, deleteKey = false, enterKey = false, changeItem = false, deleteItem = false;
};
} // namespace

// The user's rights hold at every way into the edit/delete panel, not only where the menu items are
// hidden: a clerk can neither open it nor write through it.
TEST_F(ShopReportsTest, AnOrdinaryUserChangesAndDeletesNoRecordByAnyWayIn) {
    const auto tryEveryWay = [this](const QString &user) {
        Record r;
        r.debt = 36;
        r.customer = u("王五");
        const qint64 id = insertRecord(env.database(), r);
        start();
        logIn(user);
        WaysIn opened;
        whileModal(
            detail(), [&] { command("N27")->trigger(); },
            [&] {
                detail()->activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(detail()));
                DataGrid *grid = detail()->grid();
                SalesRecordPanel *panel = detail()->panel();
                ASSERT_EQ(detail()->sales().rowCount(), 1);
                const auto freshStart = [&] {
                    panel->hide();
                    grid->setFocus(Qt::OtherFocusReason);
                    grid->setCurrentRow(0);
                };
                freshStart();
                doubleClickRow(grid, 0);
                opened.doubleClick = panel->isVisible();
                freshStart();
                QTest::keyClick(grid, Qt::Key_Delete);
                opened.deleteKey = panel->isVisible();
                freshStart();
                QTest::keyClick(grid, Qt::Key_Return);
                opened.enterKey = panel->isVisible();
                freshStart();
                detail()->item(QStringLiteral("N7"))->trigger();
                opened.changeItem = panel->isVisible();
                freshStart();
                detail()->item(QStringLiteral("N2"))->trigger();
                opened.deleteItem = panel->isVisible();

                // The panel's own buttons write nothing for such a user, however it came to show.
                panel->openFor(SalesRecordPanel::Mode::Change, detail()->sales(), 0);
                panel->debt()->setText(QStringLiteral("0"));
                panel->changeButton()->click();
                panel->openFor(SalesRecordPanel::Mode::Deletion, detail()->sales(), 0);
                panel->deleteButton()->click();
            });
        return std::pair{opened, id};
    };
    const auto [opened, id] = tryEveryWay(u("张三"));
    EXPECT_FALSE(opened.doubleClick);
    EXPECT_FALSE(opened.deleteKey);
    EXPECT_FALSE(opened.enterKey);
    EXPECT_FALSE(opened.changeItem);
    EXPECT_FALSE(opened.deleteItem);
    EXPECT_EQ(recordCount(env.database()), 1);
    EXPECT_DOUBLE_EQ(env.database().scalar(QStringLiteral("select [6] from data1 where ID=?"), {id}).toDouble(), 36)
        << "the customer's debt is kept";
}

// The same ways for the super administrator, so that the test above sees the ways work.
TEST_F(ShopReportsTest, TheSuperAdministratorOpensThePanelByDoubleClickDeleteKeyAndMenu) {
    insertRecord(env.database(), {});
    start();
    logIn(u("超级管理员"));
    whileModal(
        detail(), [&] { command("N27")->trigger(); },
        [&] {
            detail()->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(detail()));
            DataGrid *grid = detail()->grid();
            SalesRecordPanel *panel = detail()->panel();
            grid->setFocus(Qt::OtherFocusReason);
            grid->setCurrentRow(0);
            doubleClickRow(grid, 0);
            EXPECT_TRUE(panel->isVisible());
            EXPECT_EQ(panel->mode(), SalesRecordPanel::Mode::Change);
            panel->hide();
            grid->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(grid, Qt::Key_Delete);
            EXPECT_TRUE(panel->isVisible());
            EXPECT_EQ(panel->mode(), SalesRecordPanel::Mode::Deletion);
        });
}

// Opened for deletion after a change of another record, the panel shows the record it deletes.
TEST_F(ShopReportsTest, TheDeletionPanelShowsTheCustomerOfTheRecordItDeletes) {
    Record first;
    first.customer = u("王五");
    insertRecord(env.database(), first);
    Record second;
    second.customer = u("李四");
    second.saleNumber = QStringLiteral("20140805002");
    insertRecord(env.database(), second);
    start();
    logIn(u("超级管理员"));
    whileModal(
        detail(), [&] { command("N27")->trigger(); },
        [&] {
            Dataset &sales = detail()->sales();
            ASSERT_EQ(sales.rowCount(), 2);
            SalesRecordPanel *panel = detail()->panel();
            detail()->grid()->setCurrentRow(0);
            detail()->item(QStringLiteral("N7"))->trigger();
            ASSERT_EQ(panel->customer()->text(), sales.text(0, QStringLiteral("g")));
            panel->hide();
            detail()->grid()->setCurrentRow(1);
            detail()->item(QStringLiteral("N2"))->trigger();
            ASSERT_TRUE(panel->isVisible());
            EXPECT_EQ(panel->customer()->text(), sales.text(1, QStringLiteral("g")));
            EXPECT_EQ(panel->saleNumber()->text(), sales.text(1, QStringLiteral("z")));
        });
}

// A customer whose last record was deleted is gone from the sale panel's drop-down; a name being typed
// there stays.
TEST_F(ShopReportsTest, ADeletedRecordsCustomerLeavesTheSalePanelsDropDown) {
    Record gone;
    gone.customer = u("王五");
    insertRecord(env.database(), gone);
    Record kept;
    kept.customer = u("李四");
    insertRecord(env.database(), kept);
    start();
    logIn(u("超级管理员"));
    auto *customers = shop->salePanel()->findChild<QComboBox *>(QStringLiteral("ComboBox7"));
    const auto listed = [customers] {
        QStringList names;
        for (int i = 0; i < customers->count(); ++i)
            names << customers->itemText(i);
        return names;
    };
    ASSERT_EQ(listed(), (QStringList{u("李四"), u("王五")}));
    customers->setEditText(u("赵六"));
    whileModal(
        detail(), [&] { command("N27")->trigger(); },
        [&] {
            Dataset &sales = detail()->sales();
            const int row = sales.text(0, QStringLiteral("g")) == u("王五") ? 0 : 1;
            detail()->grid()->setCurrentRow(row);
            detail()->item(QStringLiteral("N2"))->trigger();
            detail()->panel()->deleteButton()->click();
        });
    EXPECT_EQ(recordCount(env.database()), 1);
    EXPECT_EQ(listed(), QStringList{u("李四")});
    EXPECT_EQ(customers->currentText(), u("赵六"));
}

// Escape closes the open panel first and keeps the window with its filters; the size the window was
// left at is the size it opens at next time.
TEST_F(ShopReportsTest, EscapeClosesThePanelBeforeTheWindowAndTheWindowKeepsItsSize) {
    insertRecord(env.database(), {});
    ASSERT_TRUE(SettingsStore::instance().write(QString::fromLatin1(SalesDetailWindow::SizeSetting),
                                                QStringLiteral("700x500")));
    start();
    logIn(u("超级管理员"));
    bool closedByEscape = false;
    QSize shown, leftAt;
    QTimer::singleShot(0, detail(), [&] {
        shown = detail()->size();
        detail()->filterBox()->nameInitials()->setText(QStringLiteral("dn"));
        detail()->grid()->setCurrentRow(0);
        detail()->item(QStringLiteral("N7"))->trigger();
        SalesRecordPanel *panel = detail()->panel();
        EXPECT_TRUE(panel->isVisible());
        leftAt = QSize(900, 560).expandedTo(detail()->minimumSizeHint());
        detail()->resize(leftAt);
        QTest::keyClick(panel->debt(), Qt::Key_Escape);
        EXPECT_FALSE(panel->isVisible());
        EXPECT_TRUE(detail()->isVisible()) << "the window stays";
        EXPECT_EQ(detail()->filterBox()->nameInitials()->text(), QStringLiteral("dn"));
        QTest::keyClick(detail()->grid(), Qt::Key_Escape);
        closedByEscape = !detail()->isVisible();
        if (!closedByEscape) detail()->close();
    });
    command("N27")->trigger();
    EXPECT_TRUE(closedByEscape) << "the second Escape closes the window";
    EXPECT_EQ(shown, salesdetailsize::initial({700, 500}, detail()->screen()->availableGeometry())
                         .expandedTo(detail()->minimumSizeHint()));
    EXPECT_EQ(SettingsStore::instance().read(QString::fromLatin1(SalesDetailWindow::SizeSetting)),
              salesdetailsize::text(leftAt));
}
