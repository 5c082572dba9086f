// The ticket view on a host window: the listed ticket with its footer, the cash and change, the
// checks before the receipt, the slip button and what the view asks of the sale panel.
#include "sales/ticketview.h"
#include "tests/sales/ticketfixture.h"
#include "widgets/datagrid.h"
#include "widgets/datasetmodel.h"
#include "widgets/numberfield.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

const QString Number = QStringLiteral("20140812001");

class TicketViewTest : public ::testing::Test {
  protected:
    TestEnv env;
    Database &db = env.database();
    QWidget host;
    QLineEdit *elsewhere = new QLineEdit(&host); // somewhere for the focus to go
    TicketView *view = new TicketView(db, &host);
    // What the view asked for, in order: "receipt:<number>", "slip:<number>", "next", "previous".
    QStringList requests;

    void SetUp() override {
        host.resize(900, 600);
        elsewhere->setGeometry(0, 560, 100, 24);
        QObject::connect(view, &TicketView::receiptPrintRequested, view,
                         [this](const QString &number) { requests << QStringLiteral("receipt:") + number; });
        QObject::connect(view, &TicketView::slipPreviewRequested, view,
                         [this](const QString &number) { requests << QStringLiteral("slip:") + number; });
        QObject::connect(view, &TicketView::nextTicketRequested, view,
                         [this] { requests << QStringLiteral("next"); });
        QObject::connect(view, &TicketView::previousTicketRequested, view,
                         [this] { requests << QStringLiteral("previous"); });
        host.show();
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
        view->toggle();
    }

    // The ticket of the edge cases: two lines, 36 and 12.5.
    void sellTwoLines(const QString &number = Number) {
        addTicketLine(db, number, QStringLiteral("钢笔"), 12, 3, QStringLiteral("黑"));
        addTicketLine(db, number, QStringLiteral("本子"), 2.5, 5, QStringLiteral("A5"));
        view->refresh(number, QStringLiteral("张三"));
    }
    void typeCash(const QString &text) {
        view->cash()->setFocus();
        view->cash()->clear();
        QTest::keyClicks(view->cash(), text);
    }
    QString footer(const char *field) {
        DataGrid *grid = view->grid();
        return grid->datasetModel()->footerText(grid->columnOfField(QString::fromLatin1(field)));
    }
    QString cell(int row, const char *field) {
        DataGrid *grid = view->grid();
        return grid->datasetModel()->cellText(row, grid->columnOfField(QString::fromLatin1(field)));
    }
    ScriptedDialogs &dialogs() { return env.dialogs(); }
};

TEST_F(TicketViewTest, ListsTheTicketWithTotalCustomerAndFooter) {
    sellTwoLines();
    addTicketLine(db, QStringLiteral("20140812002"), QStringLiteral("别的单"), 100, 1);
    view->refresh(Number, QStringLiteral("张三"));

    ASSERT_EQ(view->grid()->datasetModel()->rowCount(), 2);
    EXPECT_EQ(cell(0, "a"), QStringLiteral("钢笔"));
    EXPECT_EQ(cell(0, "b"), QStringLiteral("黑"));
    EXPECT_EQ(cell(0, "3"), QStringLiteral("3"));
    EXPECT_EQ(cell(0, "2"), QStringLiteral("12"));
    EXPECT_EQ(cell(0, "4"), QStringLiteral("36"));
    EXPECT_EQ(cell(1, "a"), QStringLiteral("本子"));
    EXPECT_EQ(view->total()->text(), QStringLiteral("48.5"));
    EXPECT_EQ(view->customerLine()->text(), QStringLiteral("客户名称：张三"));
    EXPECT_EQ(footer("a"), QStringLiteral("销售单号："));
    EXPECT_EQ(footer("b"), Number);
    EXPECT_EQ(footer("3"), QStringLiteral("8"));
    EXPECT_EQ(footer("2"), QString());
    EXPECT_EQ(footer("4"), QStringLiteral("48.5"));
    EXPECT_EQ(view->saleNumber(), Number);

    QStringList titles;
    for (const GridColumn &c : view->grid()->columns())
        titles << c.field + QLatin1Char('=') + c.title;
    EXPECT_EQ(titles,
              (QStringList{QStringLiteral("a=商品名称"), QStringLiteral("b=规格型号"),
                           QStringLiteral("3=数量"), QStringLiteral("2=单价"), QStringLiteral("4=金额")}));
}

TEST_F(TicketViewTest, FooterSumsAndTotalAreTakenToFourDecimals) {
    addTicketLine(db, Number, QStringLiteral("甲"), 1.23456, 1.00004);
    addTicketLine(db, Number, QStringLiteral("乙"), 1.00001, 2);
    view->refresh(Number, QString());
    // 1.23456 × 1.00004 = 1.2346093824; + 2.00002
    EXPECT_EQ(footer("3"), QStringLiteral("3"));
    EXPECT_EQ(footer("4"), QStringLiteral("3.2346"));
    EXPECT_EQ(view->total()->text(), QStringLiteral("3.2346"));
    EXPECT_EQ(view->customerLine()->text(), QStringLiteral("客户名称："));
}

TEST_F(TicketViewTest, Counter100AndCounter1000OfOneDayStayApart) {
    const QString hundred = QStringLiteral("20140812100");
    const QString thousand = QStringLiteral("201408121000");
    addTicketLine(db, hundred, QStringLiteral("一百号"), 10, 1);
    addTicketLine(db, thousand, QStringLiteral("一千号"), 7, 1);

    view->refresh(hundred, QString());
    ASSERT_EQ(view->grid()->datasetModel()->rowCount(), 1);
    EXPECT_EQ(cell(0, "a"), QStringLiteral("一百号"));
    EXPECT_EQ(view->total()->text(), QStringLiteral("10"));

    view->refresh(thousand, QString());
    ASSERT_EQ(view->grid()->datasetModel()->rowCount(), 1);
    EXPECT_EQ(cell(0, "a"), QStringLiteral("一千号"));
    EXPECT_EQ(view->total()->text(), QStringLiteral("7"));
}

TEST_F(TicketViewTest, ANumberWithAQuoteIsFoundAsTyped) {
    const QString typed = QStringLiteral("O'Neil-1");
    addTicketLine(db, typed, QStringLiteral("引号"), 9, 1);
    view->refresh(typed, QStringLiteral("O'Neil"));
    EXPECT_EQ(view->total()->text(), QStringLiteral("9"));
    EXPECT_EQ(footer("b"), typed);
    EXPECT_TRUE(dialogs().texts().isEmpty());
}

TEST_F(TicketViewTest, CashGivesTheChangeAndTheReceiptMovesToTheNextTicket) {
    sellTwoLines();
    typeCash(QStringLiteral("50"));
    EXPECT_EQ(view->change()->text(), QStringLiteral("1.5"));

    QTest::mouseClick(view->receiptButton(), Qt::LeftButton);
    EXPECT_EQ(requests, (QStringList{QStringLiteral("receipt:") + Number, QStringLiteral("next")}));
    EXPECT_TRUE(dialogs().texts().isEmpty());

    // The sale panel answers "next" with the new number and cash "0": an empty ticket.
    view->refresh(QStringLiteral("20140812002"), QString());
    view->setCash(QStringLiteral("0"));
    EXPECT_EQ(view->total()->text(), QStringLiteral("0"));
    EXPECT_EQ(view->change()->text(), QStringLiteral("0"));
    EXPECT_EQ(view->grid()->datasetModel()->rowCount(), 0);
}

TEST_F(TicketViewTest, CashEqualToTheTotalIsAccepted) {
    sellTwoLines();
    typeCash(QStringLiteral("48.5"));
    EXPECT_EQ(view->change()->text(), QStringLiteral("0"));
    view->printReceipt();
    EXPECT_EQ(requests, (QStringList{QStringLiteral("receipt:") + Number, QStringLiteral("next")}));
}

TEST_F(TicketViewTest, TheReceiptIsRefusedWithItsReasonAndNothingIsAskedFor) {
    const struct {
        const char *what;
        bool sold;
        const char *cash;
        QString message;
        bool focusOnCash;
    } cases[] = {
        {"empty ticket", false, "50", QStringLiteral("先进行销售"), false},
        {"no cash", true, "", QStringLiteral("输入现金额"), true},
        {"short cash", true, "48.4", QStringLiteral("现金不足"), false},
        {"cash not a number", true, ".", QStringLiteral("现金不是有效的数字！"), true},
    };
    int counter = 0;
    for (const auto &c : cases) {
        const QString number = QStringLiteral("20140812%1").arg(++counter, 3, 10, QLatin1Char('0'));
        if (c.sold)
            sellTwoLines(number);
        else
            view->refresh(number, QString());
        view->setCash(QString::fromLatin1(c.cash));
        elsewhere->setFocus();
        dialogs().clear();
        view->receiptButton()->click();
        EXPECT_EQ(dialogs().texts(), QStringList{c.message}) << c.what;
        EXPECT_EQ(view->cash()->hasFocus(), c.focusOnCash) << c.what;
        EXPECT_TRUE(requests.isEmpty()) << c.what;
        EXPECT_EQ(view->saleNumber(), number) << c.what;
    }
}

TEST_F(TicketViewTest, LinesThatCancelAreAnEmptyTicket) {
    addTicketLine(db, Number, QStringLiteral("钢笔"), 12, 3);
    addTicketLine(db, Number, QStringLiteral("钢笔"), 12, -3); // returned
    view->refresh(Number, QString());
    EXPECT_EQ(view->grid()->datasetModel()->rowCount(), 2);
    EXPECT_EQ(view->total()->text(), QStringLiteral("0"));
    EXPECT_EQ(footer("3"), QStringLiteral("0"));

    view->setCash(QStringLiteral("10"));
    view->printReceipt();
    EXPECT_EQ(dialogs().texts(), QStringList{QStringLiteral("先进行销售")});
    EXPECT_TRUE(requests.isEmpty());
}

TEST_F(TicketViewTest, TheSlipIsAskedForUnlessTheTicketIsEmptyAndTheNextTicketFollowsEither) {
    view->refresh(Number, QString());
    QTest::mouseClick(view->slipButton(), Qt::LeftButton);
    EXPECT_EQ(dialogs().texts(), QStringList{QStringLiteral("先进行销售")});
    EXPECT_EQ(requests, QStringList{QStringLiteral("next")});

    requests.clear();
    dialogs().clear();
    sellTwoLines(QStringLiteral("20140812002"));
    view->printSlip(); // no cash needed for a slip
    EXPECT_TRUE(dialogs().texts().isEmpty());
    EXPECT_EQ(requests, (QStringList{QStringLiteral("slip:20140812002"), QStringLiteral("next")}));
}

TEST_F(TicketViewTest, TheChangeFollowsCashAndTotalAndStaysWithoutCash) {
    sellTwoLines();
    typeCash(QStringLiteral("60"));
    EXPECT_EQ(view->change()->text(), QStringLiteral("11.5"));

    // Another line sold on the same ticket raises the total.
    addTicketLine(db, Number, QStringLiteral("胶水"), 15, 1);
    view->refresh(Number, QStringLiteral("张三"));
    EXPECT_EQ(view->total()->text(), QStringLiteral("63.5"));
    EXPECT_EQ(view->change()->text(), QStringLiteral("-3.5"));

    view->cash()->clear();
    EXPECT_EQ(view->change()->text(), QStringLiteral("-3.5"));

    // "+" and "-" of the sale panel set the cash to "0".
    view->setCash(QStringLiteral("0"));
    EXPECT_EQ(view->change()->text(), QStringLiteral("-63.5"));
}

TEST_F(TicketViewTest, CashTakesNumericKeysOnlyAndEnterGoesToTheReceiptButton) {
    sellTwoLines();
    typeCash(QStringLiteral("5a0-+ .5x"));
    EXPECT_EQ(view->cash()->text(), QStringLiteral("50.5"));
    EXPECT_EQ(view->change()->text(), QStringLiteral("2"));
    QTest::keyClick(view->cash(), Qt::Key_Backspace);
    EXPECT_EQ(view->cash()->text(), QStringLiteral("50."));

    QTest::keyClick(view->cash(), Qt::Key_Return);
    EXPECT_TRUE(view->receiptButton()->hasFocus());
    EXPECT_TRUE(requests.isEmpty()); // Enter only moves on
}

TEST_F(TicketViewTest, CashThatIsNotANumberIsReportedOnLeavingAndChangesNothing) {
    sellTwoLines();
    typeCash(QStringLiteral("50"));
    ASSERT_EQ(view->change()->text(), QStringLiteral("1.5"));

    // A lone "." is how ".5" starts: typing it says nothing yet.
    typeCash(QStringLiteral("."));
    EXPECT_TRUE(dialogs().texts().isEmpty());
    EXPECT_EQ(view->change()->text(), QStringLiteral("1.5"));

    elsewhere->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(dialogs().texts(), QStringList{QStringLiteral("现金不是有效的数字！")});
    EXPECT_EQ(view->change()->text(), QStringLiteral("1.5"));
    EXPECT_EQ(view->cash()->text(), QStringLiteral("."));
    EXPECT_TRUE(requests.isEmpty());

    // Typed on to a number, leaving is quiet again.
    dialogs().clear();
    view->cash()->setFocus();
    QTest::keyClicks(view->cash(), QStringLiteral("5"));
    elsewhere->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(dialogs().texts().isEmpty());
    EXPECT_EQ(view->change()->text(), QStringLiteral("-48"));
}

TEST_F(TicketViewTest, AFailedRefreshIsReportedAndShowsNoLinesOfTheTicketBefore) {
    sellTwoLines();
    ASSERT_EQ(view->total()->text(), QStringLiteral("48.5"));
    db.close();
    view->refresh(QStringLiteral("20140812002"), QString());
    EXPECT_EQ(dialogs().shown().size(), 1u);
    EXPECT_EQ(view->grid()->datasetModel()->rowCount(), 0);
    EXPECT_EQ(view->total()->text(), QStringLiteral("0"));
    EXPECT_EQ(footer("b"), QStringLiteral("20140812002"));
}

TEST_F(TicketViewTest, TogglesClosesAndAsksForThePreviousAndNextTickets) {
    EXPECT_EQ(view->objectName(), QStringLiteral("Panel5"));
    EXPECT_TRUE(view->isVisible());
    view->toggle();
    EXPECT_FALSE(view->isVisible());
    view->toggle();
    EXPECT_TRUE(view->isVisible());
    QToolButton *close = view->findChild<QToolButton *>(QStringLiteral("Image4"));
    ASSERT_NE(close, nullptr);
    close->click();
    EXPECT_FALSE(view->isVisible());

    // Refreshed while hidden all the same.
    sellTwoLines();
    EXPECT_EQ(view->total()->text(), QStringLiteral("48.5"));

    view->toggle();
    QTest::mouseClick(view->previousButton(), Qt::LeftButton);
    QTest::mouseClick(view->nextButton(), Qt::LeftButton);
    EXPECT_EQ(requests, (QStringList{QStringLiteral("previous"), QStringLiteral("next")}));
}

TEST_F(TicketViewTest, ControlsCarryTheirNamesAndTexts) {
    const struct {
        const char *name;
        QString text;
    } buttons[] = {
        {"BitBtn5", QStringLiteral("POS小票打印")},
        {"BitBtn4", QStringLiteral("销售单打印")},
        {"Button21", QStringLiteral("上一单")},
        {"Button22", QStringLiteral("下一单")},
    };
    for (const auto &b : buttons) {
        auto *found = view->findChild<QPushButton *>(QString::fromLatin1(b.name));
        ASSERT_NE(found, nullptr) << b.name;
        EXPECT_EQ(found->text(), b.text) << b.name;
    }
    EXPECT_EQ(view->findChild<DataGrid *>(QStringLiteral("DBGrid2")), view->grid());
    EXPECT_EQ(view->findChild<QLabel *>(QStringLiteral("Label65")), view->customerLine());
    EXPECT_EQ(view->findChild<QLineEdit *>(QStringLiteral("Edit48")), view->total());
    EXPECT_EQ(view->findChild<QLineEdit *>(QStringLiteral("Edit49")), view->cash());
    EXPECT_EQ(view->findChild<QLineEdit *>(QStringLiteral("Edit50")), view->change());
    EXPECT_TRUE(view->total()->isReadOnly());
    EXPECT_TRUE(view->change()->isReadOnly());
    EXPECT_FALSE(view->cash()->isReadOnly());
    EXPECT_EQ(view->total()->text(), QStringLiteral("0"));
    EXPECT_EQ(view->change()->text(), QStringLiteral("0"));
    QStringList captions;
    for (QLabel *label : view->findChildren<QLabel *>())
        captions << label->text();
    EXPECT_TRUE(captions.contains(QStringLiteral("合计：")));
    EXPECT_TRUE(captions.contains(QStringLiteral("现金：")));
    EXPECT_TRUE(captions.contains(QStringLiteral("找零：")));
}

TEST(TicketViewStart, IsHiddenUntilToggled) {
    TestEnv env;
    QWidget host;
    TicketView view(env.database(), &host);
    host.show();
    EXPECT_FALSE(view.isVisible());
    EXPECT_EQ(view.total()->text(), QStringLiteral("0"));
}

} // namespace
