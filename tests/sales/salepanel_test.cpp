// The sale panel before a confirm: opening for a goods row, the sale number and its counter, the
// customer look-ups, the discount, "退", the keys and closing.
#include "sales/salepanel.h"
#include "store/settingsstore.h"
#include "tests/sales/salefixture.h"
#include "widgets/datefield.h"
#include "widgets/numberfield.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class SalePanelTest : public SalePanelFixture {
  protected:
    QLabel *label(const char *name) { return w.child<QLabel>(name); }
    void click(const char *button) { w.child<QAbstractButton>(button)->click(); }
    void retype(const char *field, const QString &typed) {
        edit(field)->clear();
        QTest::keyClicks(edit(field), typed);
    }
    QStringList lastTicket() {
        if (tickets.isEmpty()) return {};
        return {tickets.last().at(0).toString(), tickets.last().at(1).toString()};
    }
};

TEST_F(SalePanelTest, OpensWithTheGoodsRowAndTheTicketOfTheDay) {
    QSignalSpy opened(panel, &SalePanel::opened);
    EXPECT_FALSE(panel->isVisible());
    open();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->objectName(), QStringLiteral("Panel1"));
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened[0][0].toString(), QStringLiteral("新到"));
    const std::pair<const char *, const char *> labels[] = {{"Label42", "电脑"},
                                                            {"Label43", "USB线"},
                                                            {"Label44", "6901"},
                                                            {"Label45", "电子"},
                                                            {"Label46", "12"}};
    for (const auto &[name, value] : labels)
        EXPECT_EQ(label(name)->text(), QString::fromUtf8(value)) << name;
    const std::pair<const char *, const char *> fields[] = {
        {"Edit5", "12"},          {"Edit10", "100"},  {"Edit35", "1"},          {"Edit12", "0"},
        {"Edit24", "10"},         {"Edit38", "12"},   {"Edit7", "电脑"},        {"Edit18", "USB线"},
        {"Edit4", "6901"},        {"Edit6", "电子"},  {"Edit41", "8"},          {"Edit26", "5"},
        {"Edit20", "50"},         {"Edit33", "80"},   {"Edit44", "2014-08-01"}, {"Edit19", "6"},
        {"Edit39", "62"},         {"Edit36", "9.00"}, {"Edit40", "72"},         {"Edit42", "4.00"},
        {"Edit34", "20140812001"}};
    for (const auto &[name, value] : fields)
        EXPECT_EQ(text(name), QString::fromUtf8(value)) << name;
    EXPECT_EQ(label("Label59")->text(), QStringLiteral("1"));
    EXPECT_EQ(panel->dateField()->objectName(), QStringLiteral("DBDateTimeEdit2"));
    EXPECT_EQ(panel->dateField()->text(), QStringLiteral("2014-08-12"));
    EXPECT_EQ(lastTicket(), (QStringList{QStringLiteral("20140812001"), QString()}));
    EXPECT_EQ(QApplication::focusWidget(), edit("Edit5"));
    EXPECT_EQ(w.child<QAbstractButton>("Button18")->toolTip(), QStringLiteral("单号增加"));
    EXPECT_EQ(w.child<QAbstractButton>("Button20")->toolTip(), QStringLiteral("单号减少"));
    EXPECT_EQ(w.child<QAbstractButton>("Button19")->toolTip(),
              QStringLiteral("先输入退货数量，点此按钮后再销售确认"));
    EXPECT_EQ(w.child<QAbstractButton>("BitBtn1")->text(), QStringLiteral("预览"));
    EXPECT_EQ(panel->closeMark()->objectName(), QStringLiteral("Image2"));
    EXPECT_TRUE(w.child<QLabel>("customerNote")->text() == QStringLiteral("单据打印必填"));
}

TEST_F(SalePanelTest, ARowWithoutNameOpensNothingAndAnOpenPanelOnlyTakesTheFocus) {
    QSignalSpy opened(panel, &SalePanel::opened);
    panel->open(SaleGoods{});
    EXPECT_FALSE(panel->isVisible());
    open();
    edit("Edit5")->setText(QStringLiteral("11"));
    w.child<QComboBox>("ComboBox7")->setFocus();
    panel->open(SaleGoods{});
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edit("Edit5"));
    EXPECT_EQ(text("Edit5"), QStringLiteral("11"));
    EXPECT_EQ(opened.count(), 1);
}

TEST_F(SalePanelTest, TheDiscountSetsThePriceAndPriceAndQuantitySetTheAmount) {
    ASSERT_TRUE(w.db.execute(QStringLiteral("update data set [4]=20 where ID=?"), {goodsId}));
    open();
    retype("Edit10", QStringLiteral("85"));
    EXPECT_EQ(text("Edit5"), QStringLiteral("17"));
    retype("Edit35", QStringLiteral("3"));
    EXPECT_EQ(text("Edit38"), QStringLiteral("51"));
    // A half-typed number changes nothing and says nothing.
    retype("Edit10", QStringLiteral("."));
    EXPECT_EQ(text("Edit5"), QStringLiteral("17"));
    EXPECT_TRUE(w.env.dialogs().texts().isEmpty());
    // The arrows step the discount by 5 within 0..100.
    auto *discount = w.child<NumberField>("Edit10");
    discount->setText(QStringLiteral("100"));
    discount->upButton()->click();
    EXPECT_EQ(discount->text(), QStringLiteral("100"));
    discount->downButton()->click();
    EXPECT_EQ(discount->text(), QStringLiteral("95"));
    EXPECT_EQ(text("Edit5"), QStringLiteral("19"));
    // Reopening keeps the discount and takes the suggested price undiscounted.
    open();
    EXPECT_EQ(text("Edit10"), QStringLiteral("95"));
    EXPECT_EQ(text("Edit5"), QStringLiteral("20"));
}

TEST_F(SalePanelTest, ReturnFlipsTheQuantityAndTheFieldKeepsTheMinus) {
    open();
    retype("Edit35", QStringLiteral("2"));
    click("Button19");
    EXPECT_EQ(text("Edit35"), QStringLiteral("-2"));
    EXPECT_EQ(text("Edit38"), QStringLiteral("-24"));
    // Moving through the field and on keeps the text.
    edit("Edit35")->setFocus();
    QTest::keyClick(edit("Edit35"), Qt::Key_End);
    QTest::keyClick(edit("Edit35"), Qt::Key_Return);
    EXPECT_EQ(text("Edit35"), QStringLiteral("-2"));
    click("Button19");
    EXPECT_EQ(text("Edit35"), QStringLiteral("2"));
    retype("Edit35", QStringLiteral("2.5"));
    click("Button19");
    EXPECT_EQ(w.env.dialogs().texts(), QStringList{QStringLiteral("退货数量必须是整数！")});
    EXPECT_EQ(text("Edit35"), QStringLiteral("2.5"));
}

TEST_F(SalePanelTest, MinusStopsAtZeroAndPlusMovesOnWithoutStoringTheCounter) {
    w.session.lastExitDate = QStringLiteral("2014-08-12"); // no new day: the counter stays as it is
    w.session.ticketCounter = 0;
    open();
    EXPECT_EQ(panel->saleNumber(), QStringLiteral("20140812000"));
    QSignalSpy cash(panel, &SalePanel::cashShouldReset);
    click("Button20");
    EXPECT_EQ(w.session.ticketCounter, 0);
    EXPECT_EQ(panel->saleNumber(), QStringLiteral("20140812000"));
    EXPECT_EQ(cash.count(), 1);
    EXPECT_EQ(lastTicket().at(0), QStringLiteral("20140812000"));

    insertSaleRecord(w.db, QStringLiteral("20140812001"), QStringLiteral("王五"));
    insertSaleRecord(w.db, QStringLiteral("20140811001"), QStringLiteral("李四"));
    customer()->setEditText(QStringLiteral("张三"));
    click("Button18");
    EXPECT_EQ(panel->saleNumber(), QStringLiteral("20140812001"));
    EXPECT_EQ(label("Label59")->text(), QStringLiteral("1"));
    EXPECT_EQ(cash.count(), 2);
    // "+" lists the customers again, which empties the name.
    EXPECT_TRUE(panel->customerName().isEmpty());
    ASSERT_EQ(customer()->count(), 2);
    EXPECT_EQ(customer()->itemText(0), QStringLiteral("李四"));
    // The ticket view was told before that: it shows the ticket's customer.
    EXPECT_EQ(lastTicket(), (QStringList{QStringLiteral("20140812001"), QStringLiteral("王五")}));
    click("Button20");
    EXPECT_EQ(panel->saleNumber(), QStringLiteral("20140812000"));
    EXPECT_TRUE(SettingsStore::instance().read(QStringLiteral("danhao")).isEmpty());
}

TEST_F(SalePanelTest, TheNumbersDateIsTodayWhateverTheSaleDate) {
    panel->dateField()->setDate(QDate(2014, 8, 1));
    open();
    EXPECT_EQ(panel->saleNumber(), QStringLiteral("20140812001"));
}

TEST_F(SalePanelTest, AFurtherOpeningOnTheSameDayKeepsTheTicketMovedOnTo) {
    w.session.lastExitDate = QStringLiteral("2014-08-11");
    w.session.ticketCounter = 8;
    open();
    EXPECT_EQ(panel->saleNumber(), QStringLiteral("20140812001"));
    click("Button18");
    panel->close();
    open();
    EXPECT_EQ(panel->saleNumber(), QStringLiteral("20140812002"));
}

TEST_F(SalePanelTest, ATypedTicketNumberLoadsItsCustomer) {
    insertSaleRecord(w.db, QStringLiteral("20140812003"), QStringLiteral("张三"), QStringLiteral("北街"),
                     QStringLiteral("139"));
    insertSaleRecord(w.db, QStringLiteral("20140812005"), QStringLiteral("张三"), QStringLiteral("南街"),
                     QStringLiteral("188"), QStringLiteral("送货"));
    open();
    retype("Edit34", QStringLiteral("20140812005"));
    EXPECT_EQ(panel->customerName(), QStringLiteral("张三"));
    // Taken from the ticket, not from the customer's first record.
    EXPECT_EQ(text("Edit13"), QStringLiteral("南街"));
    EXPECT_EQ(text("Edit14"), QStringLiteral("188"));
    EXPECT_EQ(text("Edit45"), QStringLiteral("送货"));
    EXPECT_EQ(lastTicket(), (QStringList{QStringLiteral("20140812005"), QStringLiteral("张三")}));
    // Ticket 100 is not ticket 1000.
    insertSaleRecord(w.db, QStringLiteral("201408121000"), QStringLiteral("李四"), QStringLiteral("东街"));
    retype("Edit34", QStringLiteral("20140812100"));
    for (const char *name : {"Edit13", "Edit14", "Edit45"})
        EXPECT_TRUE(text(name).isEmpty()) << name;
    EXPECT_TRUE(panel->customerName().isEmpty());
}

TEST_F(SalePanelTest, TypingACustomerFillsAddressAndContact) {
    insertSaleRecord(w.db, QStringLiteral("1"), QStringLiteral("O'Brien"), QStringLiteral("Kim's"),
                     QStringLiteral("139"));
    open();
    QLineEdit *name = customer()->lineEdit();
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("O'Brien"));
    EXPECT_EQ(text("Edit13"), QStringLiteral("Kim's"));
    EXPECT_EQ(text("Edit14"), QStringLiteral("139"));
    QTest::keyClicks(name, QStringLiteral("x"));
    EXPECT_TRUE(text("Edit13").isEmpty());
    EXPECT_TRUE(text("Edit14").isEmpty());
    // Leaving an empty name empties address and contact; the remark stays.
    edit("Edit13")->setText(QStringLiteral("留"));
    edit("Edit45")->setText(QStringLiteral("备"));
    customer()->setEditText(QString());
    name->setFocus();
    edit("Edit14")->setFocus();
    EXPECT_TRUE(text("Edit13").isEmpty());
    EXPECT_EQ(text("Edit45"), QStringLiteral("备"));
}

TEST_F(SalePanelTest, EnterMovesAlongTheFields) {
    open();
    const char *order[] = {"Edit5",  "Edit10",    "Edit35", "Edit12", "DBDateTimeEdit2",
                           "Edit34", "ComboBox7", "Edit13", "Edit14", "Edit45"};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget *focused = QApplication::focusWidget();
        QTest::keyClick(focused, Qt::Key_Return);
        QWidget *expected = panel->findChild<QWidget *>(QString::fromLatin1(order[i + 1]));
        QWidget *now = QApplication::focusWidget();
        EXPECT_TRUE(now == expected || (expected == customer() && now == customer()->lineEdit()))
            << order[i] << " -> " << (now ? now->objectName().toStdString() : "none");
    }
    // Numeric fields drop letters and the minus sign.
    edit("Edit12")->clear();
    QTest::keyClicks(edit("Edit12"), QStringLiteral("a-1.5"));
    EXPECT_EQ(text("Edit12"), QStringLiteral("1.5"));
}

TEST_F(SalePanelTest, ClosingHidesAndClearsButKeepsDiscountAndCustomer) {
    QSignalSpy closed(panel, &SalePanel::closed);
    QSignalSpy preview(panel, &SalePanel::previewToggled);
    open();
    click("BitBtn1");
    EXPECT_EQ(preview.count(), 1);
    edit("Edit10")->setText(QStringLiteral("90"));
    edit("Edit35")->setText(QStringLiteral("4"));
    edit("Edit12")->setText(QStringLiteral("3"));
    customer()->setEditText(QStringLiteral("张三"));
    panel->closeMark()->click();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(text("Edit5").isEmpty());
    EXPECT_EQ(text("Edit35"), QStringLiteral("1"));
    EXPECT_EQ(text("Edit12"), QStringLiteral("0"));
    EXPECT_EQ(text("Edit10"), QStringLiteral("90"));
    EXPECT_EQ(panel->customerName(), QStringLiteral("张三"));
    panel->close(); // another goods row clicked
    EXPECT_EQ(closed.count(), 2);
}

} // namespace
