// Selling through the assembled main window: the goods list, the sale panel, the stock-in panel and
// the ticket view meeting one another, and a cashier's round worked with the keyboard and a scanner.
#include "app/mainwindow.h"
#include "app/shop.h"
#include "printing/receipt.h"
#include "sales/salepanel.h"
#include "sales/ticketclaims.h"
#include "sales/ticketview.h"
#include "stock/goodslist.h"
#include "stock/stockinpanel.h"
#include "store/settingsstore.h"
#include "tests/support/focusmark.h"
#include "tests/support/recordingshell.h"
#include "tests/support/shoplogin.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "users/loginwindow.h"
#include "widgets/datagrid.h"
#include "widgets/datasetmodel.h"
#include "widgets/numberfield.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>
#include <set>

namespace {
const QString computerCode = QStringLiteral("6901234567892");
const QString mouseCode = QStringLiteral("6900000000017");

class ShopSalesTest : public ::testing::Test {
  protected:
    ShopSalesTest() {
        computer = goods(u("电脑"), QStringLiteral("dn"), computerCode, 3000, 5, 3500);
        mouse = goods(u("鼠标"), QStringLiteral("sb"), mouseCode, 20, 50, 35);
        goods(u("键盘"), QStringLiteral("jp"), QStringLiteral("6911111111114"), 100, 10, 150);
    }
    ~ShopSalesTest() override {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top != window.get() && top->parent() == window.get()) top->close();
    }

    qint64 goods(const QString &name, const QString &initials, const QString &code, double price,
                 double quantity, double salePrice) {
        const qint64 id = addGoods(env.database(), name, QString(), price, quantity, salePrice);
        EXPECT_TRUE(env.database().execute(QStringLiteral("update data set c=?, d=?, e=? where ID=?"),
                                           {code, u("电子"), initials, id}));
        return id;
    }

    // The window shown with the stored settings, the super administrator logged in, the window active.
    void start() {
        ASSERT_TRUE(showLoggedIn(*window, *shop->login(), u("超级管理员")));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    template <typename T = QLineEdit> T *child(const char *name) {
        T *found = window->findChild<T *>(QString::fromLatin1(name));
        if (!found) ADD_FAILURE() << "no control " << name;
        return found;
    }
    QAction *command(const char *name) { return window->command(QString::fromLatin1(name)); }
    DataGrid *grid() { return shop->goods()->grid(); }
    const Dataset &list() { return shop->goods()->goods(); }
    int rowOf(qint64 id) {
        for (int row = 0; row < list().rowCount(); ++row)
            if (list().id(row) == id) return row;
        ADD_FAILURE() << "goods " << id << " is not listed";
        return -1;
    }
    QPoint cellCentre(int row) { return grid()->visualRect(grid()->model()->index(row, 0)).center(); }
    void clickRow(qint64 id) {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cellCentre(rowOf(id)));
    }
    void doubleClickRow(qint64 id) {
        clickRow(id);
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cellCentre(rowOf(id)));
    }
    QVariant stored(qint64 id, const char *column) {
        return env.database().scalar(QStringLiteral("select ") + QString::fromLatin1(column) +
                                         QStringLiteral(" from data where ID=?"),
                                     {id});
    }
    QVariant lastRecord(const char *column) {
        return env.database().scalar(QStringLiteral("select ") + QString::fromLatin1(column) +
                                     QStringLiteral(" from data1 order by ID desc limit 1"));
    }
    // Keys go wherever the focus is, as from a keyboard or a scanner.
    QWidget *focused() { return QApplication::focusWidget(); }
    void key(Qt::Key k) {
        ASSERT_NE(focused(), nullptr);
        QTest::keyClick(focused(), k);
    }
    void keys(const QString &text) {
        ASSERT_NE(focused(), nullptr);
        typeText(focused(), text);
    }
    void enter() { key(Qt::Key_Return); }

    TestEnv env;
    RecordingShell shell;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(env.database());
    Shop *shop = new Shop(env.database(), *window);
    qint64 computer = -1;
    qint64 mouse = -1;
};

TEST_F(ShopSalesTest, AnotherGoodsIsSoldFromAClearedPanelWhetherThePanelWasShownOrNot) {
    start();
    SalePanel *sale = shop->salePanel();
    // Shown: a click on another row closes and clears it, and ends a pending modification.
    clickRow(computer);
    command("N2")->trigger();
    doubleClickRow(computer);
    ASSERT_TRUE(sale->isVisible());
    EXPECT_TRUE(child<QPushButton>("Button3")->isEnabled());
    child("Edit35")->setText(QStringLiteral("3"));
    clickRow(mouse);
    EXPECT_FALSE(sale->isVisible());
    EXPECT_EQ(child("Edit35")->text(), QStringLiteral("1"));
    EXPECT_FALSE(child<QPushButton>("Button3")->isEnabled());

    // Hidden by a query, with the quantity and debt of the first goods still typed.
    doubleClickRow(computer);
    child("Edit35")->setText(QStringLiteral("3"));
    child("Edit12")->setText(QStringLiteral("50"));
    typeText(child("Edit23"), QStringLiteral("b"));
    ASSERT_FALSE(sale->isVisible());
    doubleClickRow(mouse);
    ASSERT_TRUE(sale->isVisible());
    EXPECT_EQ(child("Edit35")->text(), QStringLiteral("1"));
    EXPECT_EQ(child("Edit12")->text(), QStringLiteral("0"));
    child<QToolButton>("Image3")->click();
    EXPECT_EQ(lastRecord("a").toString(), u("鼠标"));
    EXPECT_EQ(lastRecord("[3]").toDouble(), 1);
    EXPECT_EQ(lastRecord("[6]").toDouble(), 0);
    EXPECT_EQ(stored(computer, "[7]").toDouble(), 5);
}

TEST_F(ShopSalesTest, AChangeOfTheRowLoadedForModificationKeepsTheSaleMadeMeanwhile) {
    start();
    clickRow(computer);
    command("N2")->trigger();
    ASSERT_TRUE(shop->stockIn()->isVisible());
    doubleClickRow(computer);
    child("Edit35")->setText(QStringLiteral("4"));
    child<QToolButton>("Image3")->click();
    ASSERT_EQ(stored(computer, "[7]").toDouble(), 1);

    // The purchase quantity and the remark edited; the figures of the sale stay.
    child("Edit1")->setText(QStringLiteral("8"));
    child("Edit22")->setText(u("补货"));
    env.dialogs().answer(true);
    child<QPushButton>("Button3")->click();
    EXPECT_EQ(env.dialogs().texts(), QStringList{u("你确实要修改选中资料吗？")});
    EXPECT_EQ(stored(computer, "[2]").toDouble(), 8);
    EXPECT_EQ(stored(computer, "[5]").toDouble(), 4);
    EXPECT_EQ(stored(computer, "[6]").toDouble(), 14000);
    EXPECT_EQ(stored(computer, "[7]").toDouble(), 4);
    EXPECT_EQ(stored(computer, "[8]").toDouble(), 12000);
    EXPECT_EQ(stored(computer, "z").toString(), u("补货"));

    // A new sales price makes the sales amount that price times the sold quantity.
    clickRow(computer);
    command("N2")->trigger();
    child("Edit9")->setText(QStringLiteral("3600"));
    env.dialogs().answer(true);
    child<QPushButton>("Button3")->click();
    EXPECT_EQ(stored(computer, "[6]").toDouble(), 14400);
    EXPECT_EQ(stored(computer, "[7]").toDouble(), 4);
}

TEST_F(ShopSalesTest, AfterAConfirmTheListShowsTheSoldRowsFiguresAndTotals) {
    start();
    doubleClickRow(mouse);
    child("Edit35")->setText(QStringLiteral("2"));
    child<QToolButton>("Image3")->click();
    const int row = rowOf(mouse);
    EXPECT_EQ(list().text(row, QStringLiteral("5")), QStringLiteral("2"));
    EXPECT_EQ(list().text(row, QStringLiteral("7")), QStringLiteral("48"));
    const DatasetModel *model = grid()->datasetModel();
    EXPECT_EQ(model->footerText(grid()->columnOfField(QStringLiteral("7"))), QStringLiteral("63"));
    EXPECT_EQ(model->footerText(grid()->columnOfField(QStringLiteral("6"))), QStringLiteral("70"));
}

TEST_F(ShopSalesTest, TheFirstTicketOfADayThatHasTicketsComesAfterThem) {
    // Yesterday's run did not end cleanly: its exit date is older, and today already has two tickets.
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("riqi"), QStringLiteral("2014-08-11")));
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("danhao"), QStringLiteral("7")));
    for (const char *number : {"20140812001", "20140812002"})
        ASSERT_TRUE(env.database().execute(QStringLiteral("insert into data1 (a,z,g,[3],[4],day1) "
                                                          "values ('旧货',?,'王五',1,1,'2014-08-12')"),
                                           {QString::fromLatin1(number)}));
    start();
    doubleClickRow(mouse);
    SalePanel *sale = shop->salePanel();
    EXPECT_EQ(sale->saleNumber(), QStringLiteral("20140812003"));
    EXPECT_EQ(sale->customerName(), QString()) << "not the earlier customer's ticket";
    child<QToolButton>("Image3")->click();
    EXPECT_EQ(lastRecord("z").toString(), QStringLiteral("20140812003"));
    EXPECT_EQ(lastRecord("g").toString(), QString());
}

TEST_F(ShopSalesTest, TheNextTicketShowsItsCustomerInTheTicketView) {
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("riqi"), QStringLiteral("2014-08-12")));
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("danhao"), QStringLiteral("0")));
    ASSERT_TRUE(
        env.database().execute(QStringLiteral("insert into data1 (a,z,g,[3],[4],day1) "
                                              "values ('旧货','20140812002','李四',1,12,'2014-08-12')")));
    start();
    doubleClickRow(mouse);
    ASSERT_EQ(shop->salePanel()->saleNumber(), QStringLiteral("20140812001"));
    child<QPushButton>("Button18")->click();
    TicketView *ticket = shop->ticketView();
    EXPECT_EQ(ticket->saleNumber(), QStringLiteral("20140812002"));
    EXPECT_EQ(ticket->customerLine()->text(), u("客户名称：李四"));
    EXPECT_EQ(ticket->total()->text(), QStringLiteral("12"));
}

// Tills that share the shop's database: a run starts on a ticket this till holds, never on a counter
// from its settings that another till has taken meanwhile, and "-" after a restart goes back through
// this till's own tickets.
TEST_F(ShopSalesTest, ATillStartsOnATicketItHoldsAndGoesBackThroughItsOwn) {
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("riqi"), QStringLiteral("2014-08-12")));
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("danhao"), QStringLiteral("0")));
    const QDate today(2014, 8, 12);
    const auto otherTillTakes = [&](qlonglong expected) {
        EXPECT_EQ(TicketClaims::claim(env.database(), today, 1), expected);
    };
    for (const qlonglong counter : {1, 2, 3})
        otherTillTakes(counter);
    start();
    SalePanel *sale = shop->salePanel();
    doubleClickRow(mouse);
    EXPECT_EQ(sale->saleNumber(), QStringLiteral("20140812004"));
    child<QToolButton>("Image3")->click();
    doubleClickRow(computer);
    EXPECT_EQ(sale->saleNumber(), QStringLiteral("20140812004")) << "the same customer's next line";
    otherTillTakes(5);
    child<QPushButton>("Button18")->click();
    EXPECT_EQ(sale->saleNumber(), QStringLiteral("20140812006"));
    child<QPushButton>("Button20")->click();
    EXPECT_EQ(sale->saleNumber(), QStringLiteral("20140812004"));

    // The program started again: a new ticket, claimed, and "-" through the ones held before.
    shop = nullptr;
    window = std::make_unique<MainWindow>(env.database());
    shop = new Shop(env.database(), *window);
    start();
    sale = shop->salePanel();
    doubleClickRow(mouse);
    EXPECT_EQ(sale->saleNumber(), QStringLiteral("20140812007"));
    child<QPushButton>("Button20")->click();
    EXPECT_EQ(sale->saleNumber(), QStringLiteral("20140812006"));
    child<QPushButton>("Button20")->click();
    EXPECT_EQ(sale->saleNumber(), QStringLiteral("20140812004"));
}

TEST_F(ShopSalesTest, ACashierScansSellsTakesCashAndPrintsWithTheKeyboardAlone) {
    start();
    command("ToolButton2")->trigger(); // the ticket view stays open at the till
    QLineEdit *code = child("Edit25");
    EXPECT_EQ(focused(), code) << "the focus rests where the scanner types";

    // Stray keys go into the code field, not into the alarm threshold or its setting.
    keys(QStringLiteral("12"));
    EXPECT_EQ(child("Edit43")->text(), QStringLiteral("5"));
    EXPECT_NE(SettingsStore::instance().read(QStringLiteral("number")), QStringLiteral("512"));
    EXPECT_EQ(code->text(), QStringLiteral("12"));
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);

    // A scan lists one goods; its Enter opens the sale with the suggested price selected.
    keys(mouseCode);
    enter();
    SalePanel *sale = shop->salePanel();
    ASSERT_TRUE(sale->isVisible());
    EXPECT_EQ(focused(), child("Edit5"));
    keys(QStringLiteral("42"));
    EXPECT_EQ(child("Edit5")->text(), QStringLiteral("42")) << "a typed price replaces the suggested one";
    enter(); // discount
    enter(); // quantity
    keys(QStringLiteral("2"));
    enter(); // debt
    enter(); // sale date
    enter(); // sale number
    enter(); // customer
    keys(u("张三"));
    for (int i = 0; i < 3; ++i)
        enter(); // address, contact, remark
    enter();
    EXPECT_EQ(focused(), child<QToolButton>("Image3"));
    enter();
    EXPECT_FALSE(sale->isVisible());
    EXPECT_EQ(lastRecord("a").toString(), u("鼠标"));
    EXPECT_EQ(lastRecord("[2]").toDouble(), 42);
    EXPECT_EQ(lastRecord("[3]").toDouble(), 2);
    EXPECT_EQ(lastRecord("g").toString(), u("张三"));
    EXPECT_EQ(child("Edit43")->text(), QStringLiteral("5"));

    // Back in the code field with the last code selected, so that the next scan replaces it.
    ASSERT_EQ(focused(), code);
    EXPECT_EQ(code->selectedText(), mouseCode);
    key(Qt::Key_Delete);
    enter(); // nothing more to scan: on to the cash
    TicketView *ticket = shop->ticketView();
    EXPECT_EQ(focused(), ticket->cash());
    keys(QStringLiteral("100"));
    EXPECT_EQ(ticket->change()->text(), QStringLiteral("16"));
    enter();
    EXPECT_EQ(focused(), ticket->receiptButton());
    const QString paid = sale->saleNumber();
    const QString printed = env.file(QStringLiteral("receipt.pdf"));
    receipt::setRedirect([&printed](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
    });
    enter();
    receipt::setRedirect({});
    EXPECT_TRUE(QFileInfo(printed).size() > 0) << "the receipt was printed";
    EXPECT_TRUE(env.dialogs().texts().isEmpty()) << env.dialogs().lastText().toStdString();
    EXPECT_NE(sale->saleNumber(), paid) << "the receipt moved on to the next ticket";
    EXPECT_EQ(ticket->total()->text(), QStringLiteral("0"));
    EXPECT_EQ(focused(), code);
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("number")), QString());
}

TEST_F(ShopSalesTest, NewEntriesFollowOneAnotherFromTheKeyboard) {
    start();
    command("ToolButton7")->trigger();
    EXPECT_EQ(focused(), child<QComboBox>("ComboBox3"));
    for (int round = 0; round < 2; ++round) {
        keys(round == 0 ? u("耳机") : u("音箱")); // name
        enter();
        enter();                                 // model
        keys(QStringLiteral("69%1").arg(round)); // code
        enter();
        keys(u("配件")); // category
        enter();
        enter();                    // stock-in date
        keys(QStringLiteral("10")); // purchase price
        enter();
        keys(QStringLiteral("3")); // quantity
        enter();
        keys(QStringLiteral("15")); // sales price
        enter();
        enter(); // supplier
        enter(); // remark
        EXPECT_EQ(focused(), child<QPushButton>("Button1"));
        enter();
        EXPECT_EQ(focused(), child<QComboBox>("ComboBox3")) << "ready for the next entry";
    }
    EXPECT_EQ(
        env.database().scalar(QStringLiteral("select count(*) from data where d=?"), {u("配件")}).toInt(), 2);
    EXPECT_TRUE(env.dialogs().texts().isEmpty()) << env.dialogs().texts().join(u("；")).toStdString();
}

} // namespace

TEST_F(ShopSalesTest, AConfirmedSaleShowsItsRowInTheListItShowedWithoutReadingTheOthers) {
    ASSERT_TRUE(
        env.database().execute(QStringLiteral("update data set day1='2014-08-02' where ID=?"), {mouse}));
    start();
    // "全部记录" made the list: by stock-in date, the mouse last.
    ASSERT_EQ(shop->goods()->lastStatement().text, QStringLiteral("select * from data order by day1"));
    ASSERT_EQ(list().id(list().rowCount() - 1), mouse);
    const double stockTotal = list().total(QStringLiteral("7"));
    doubleClickRow(computer);
    child("Edit35")->setText(QStringLiteral("2"));
    // Changed behind the list's back: only a whole reload would show it.
    ASSERT_TRUE(env.database().execute(QStringLiteral("update data set z='unseen' where ID=?"), {mouse}));
    child<QToolButton>("Image3")->click();
    ASSERT_EQ(stored(computer, "[7]").toDouble(), 3);

    EXPECT_EQ(shop->goods()->lastStatement().text, QStringLiteral("select * from data order by day1"));
    EXPECT_EQ(list().rowCount(), 3);
    EXPECT_EQ(list().number(rowOf(computer), QStringLiteral("7")), 3);
    EXPECT_EQ(list().number(rowOf(computer), QStringLiteral("5")), 2);
    EXPECT_DOUBLE_EQ(list().total(QStringLiteral("7")), stockTotal - 2);
    EXPECT_EQ(list().text(rowOf(mouse), QStringLiteral("z")), QString()) << "the list was read again";
    EXPECT_EQ(list().id(list().rowCount() - 1), mouse);
    EXPECT_EQ(grid()->currentRow(), 0);
    EXPECT_EQ(grid()
                  ->model()
                  ->data(grid()->model()->index(rowOf(computer), grid()->columnOfField(QStringLiteral("7"))))
                  .toString(),
              QStringLiteral("3"));
}

// Tab at the till: round the sale panel, from 销售确认 back to the price of the same sale and backwards;
// nowhere in the window does Tab land in the alarm threshold, which stores a setting (a click does).
TEST_F(ShopSalesTest, TabGoesRoundTheSalePanelAndNeverIntoTheAlarmThreshold) {
    start();
    QLineEdit *code = child("Edit25");
    QLineEdit *threshold = child("Edit43");
    auto *confirm = child<QToolButton>("Image3");
    keys(mouseCode);
    enter();
    SalePanel *sale = shop->salePanel();
    ASSERT_TRUE(sale->isVisible());
    QWidget *price = child("Edit5");
    ASSERT_EQ(focused(), price);
    const QImage plainConfirm = confirm->grab().toImage();

    std::vector<QWidget *> stops;
    for (int i = 0; i < 40 && (stops.empty() || focused() != price); ++i) {
        key(Qt::Key_Tab);
        stops.push_back(focused());
    }
    ASSERT_GE(stops.size(), 2u);
    EXPECT_EQ(stops.back(), price) << "Tab comes round to the price";
    EXPECT_EQ(stops[stops.size() - 2], confirm) << "straight from 销售确认";
    confirm->setFocus(Qt::TabFocusReason); // as Enter from the remark puts it there
    EXPECT_GE(changedEdgeShare(plainConfirm, confirm->grab().toImage()), 0.5) << "销售确认 shows its focus";
    price->setFocus(Qt::TabFocusReason);
    for (QWidget *stop : stops)
        EXPECT_TRUE(stop && sale->isAncestorOf(stop)) << (stop ? stop->objectName().toStdString() : "none");
    QTest::keyClick(focused(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), confirm);
    EXPECT_EQ(lastRecord("count(*)").toInt(), 0) << "Tab confirms nothing";

    // The panel closed: Tab through the window passes several controls, never the threshold.
    sale->close();
    code->setFocus(Qt::OtherFocusReason);
    std::set<QWidget *> passed;
    for (int i = 0; i < 60; ++i) {
        key(Qt::Key_Tab);
        passed.insert(focused());
        EXPECT_NE(focused(), threshold);
    }
    EXPECT_GE(passed.size(), 3u);
    QTest::mouseClick(threshold, Qt::LeftButton);
    EXPECT_EQ(focused(), threshold) << "a click still reaches it";
}
