// The stock-in panel over the goods list: new entries, changes, deletions, the template from a clicked
// row, its messages, banners, key chain and the states of its two buttons.
#include "stock/goodslist.h"
#include "stock/goodsquerybox.h"
#include "stock/stockinpanel.h"
#include "tests/stock/stockfixture.h"
#include "widgets/datagrid.h"
#include "widgets/datasetmodel.h"
#include "widgets/datefield.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
using F = StockInFigures::Field;

class StockInPanelTest : public ::testing::Test {
  protected:
    StockWindow w;
    StockInPanel *panel = w.panel;
    QSignalSpy banners{w.panel, &StockInPanel::succeeded};

    void SetUp() override {
        w.host.show();
        w.host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w.host));
    }

    QLineEdit *field(F which) { return panel->field(which); }
    int rows() { return w.db.scalar(QStringLiteral("select count(*) from data")).toInt(); }
    void clickRow(int row) {
        DataGrid *grid = w.list->grid();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->datasetModel()->index(row, 0)).center());
    }
    // A complete new entry, typed.
    void typeEntry() {
        panel->openForNewEntry();
        panel->name()->setEditText(QStringLiteral("  电脑 "));
        panel->model()->setEditText(QStringLiteral(" USB线"));
        panel->code()->setEditText(QStringLiteral("6901 "));
        panel->category()->setEditText(QStringLiteral("电子"));
        panel->supplier()->setEditText(QStringLiteral(" 华联 "));
        panel->date()->setDate(QDate(2014, 8, 12));
        QTest::keyClicks(field(F::Quantity), QStringLiteral("10")); // before the price
        QTest::keyClicks(field(F::PurchasePrice), QStringLiteral("2.5"));
        QTest::keyClicks(field(F::SalePrice), QStringLiteral("4"));
        panel->remark()->setText(QStringLiteral("新到"));
    }
    QString lastBanner() { return banners.isEmpty() ? QString() : banners.last().at(0).toString(); }
};

TEST_F(StockInPanelTest, OpensForANewEntryCleared) {
    QSignalSpy saleHides(panel, &StockInPanel::salePanelShouldHide);
    QSignalSpy ticketHides(panel, &StockInPanel::ticketViewShouldHide);
    panel->remark()->setText(QStringLiteral("旧"));
    field(F::Quantity)->setText(QStringLiteral("3"));
    panel->openForNewEntry();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->newEntryButton()->isVisible());
    EXPECT_FALSE(panel->changeButton()->isVisible());
    EXPECT_EQ(saleHides.count(), 1);
    EXPECT_EQ(ticketHides.count(), 1);
    EXPECT_TRUE(field(F::Quantity)->text().isEmpty());
    EXPECT_TRUE(field(F::StockQuantity)->text().isEmpty());
    EXPECT_TRUE(panel->remark()->text().isEmpty());
    EXPECT_EQ(field(F::SoldQuantity)->text(), QStringLiteral("0"));
    EXPECT_EQ(field(F::SalesAmount)->text(), QStringLiteral("0"));
    EXPECT_EQ(panel->objectName(), QStringLiteral("Panel3"));
    EXPECT_EQ(panel->name()->toolTip(), QStringLiteral("直接点击已经输入好的记录，自动填充内容"));
}

TEST_F(StockInPanelTest, ANewEntryChecksItsFieldsInOrderAndWritesNothingOnAFailure) {
    using Step = std::function<void(StockInPanel *)>;
    using Focus = std::function<QWidget *(StockInPanel *)>;
    struct Case {
        Step empty;
        const char *message;
        Focus focus;
    } cases[] = {
        {[](StockInPanel *p) { p->name()->setEditText(QStringLiteral("   ")); }, "商品名称必须输入！",
         [](StockInPanel *p) { return p->name(); }},
        {[](StockInPanel *p) { p->code()->setEditText({}); }, "商品编码必须输入！",
         [](StockInPanel *p) { return p->code(); }},
        {[](StockInPanel *p) { p->category()->setEditText({}); }, "商品类别必须输入！",
         [](StockInPanel *p) { return p->category(); }},
        {[](StockInPanel *p) { p->field(F::PurchasePrice)->clear(); }, "进货单价必须输入！",
         [](StockInPanel *p) { return p->field(F::PurchasePrice); }},
        {[](StockInPanel *p) { p->field(F::Quantity)->clear(); }, "进货数量必须输入！",
         [](StockInPanel *p) { return p->field(F::Quantity); }},
        {[](StockInPanel *p) { p->field(F::SalePrice)->clear(); }, "销售单价必须输入！",
         [](StockInPanel *p) { return p->field(F::SalePrice); }},
        {[](StockInPanel *p) { p->date()->clear(); }, "入库日期必须输入",
         [](StockInPanel *p) { return p->date(); }},
        {[](StockInPanel *p) { p->field(F::PurchasePrice)->setText(QStringLiteral(".")); },
         "进货单价不是有效的数字！", [](StockInPanel *p) { return p->field(F::PurchasePrice); }},
    };
    for (const Case &c : cases) {
        typeEntry();
        c.empty(panel);
        w.env.dialogs().clear();
        panel->newEntryButton()->click();
        EXPECT_EQ(w.env.dialogs().texts(), QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(QApplication::focusWidget(), c.focus(panel)) << c.message;
        EXPECT_EQ(rows(), 0) << c.message;
    }
    EXPECT_TRUE(banners.isEmpty());
    EXPECT_EQ(w.env.dialogs().shown().back().kind, Dialogs::Kind::Warning);
}

TEST_F(StockInPanelTest, AnEmptyDateIsAPlainMessage) {
    typeEntry();
    panel->date()->clear();
    panel->newEntryButton()->click();
    ASSERT_EQ(w.env.dialogs().shown().size(), 1u);
    EXPECT_EQ(w.env.dialogs().shown()[0].kind, Dialogs::Kind::Information);
}

TEST_F(StockInPanelTest, ANewEntryStoresTheTrimmedRowAndGetsReadyForTheNext) {
    insertGoods(w.db, {.name = QStringLiteral("旧货"), .date = QStringLiteral("2014-07-01")});
    typeEntry();
    EXPECT_EQ(field(F::PurchaseAmount)->text(), QStringLiteral("25")); // quantity typed before the price
    panel->newEntryButton()->click();
    ASSERT_EQ(rows(), 2);
    const qint64 id = w.db.lastInsertId();
    EXPECT_EQ(w.stored(id, "a||'|'||b||'|'||c||'|'||d||'|'||g||'|'||z||'|'||e||'|'||f||'|'||day1").toString(),
              QStringLiteral("电脑|USB线|6901|电子|华联|新到|dn|USBx|2014-08-12"));
    const char *figures[] = {"[1]", "[2]", "[3]", "[4]", "[5]", "[6]", "[7]", "[8]"};
    const double expected[] = {2.5, 10, 25, 4, 0, 0, 10, 25};
    for (int i = 0; i < 8; ++i)
        EXPECT_DOUBLE_EQ(w.stored(id, figures[i]).toDouble(), expected[i]) << figures[i];
    EXPECT_EQ(lastBanner(), QStringLiteral("数据入库成功..."));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(field(F::Quantity)->text().isEmpty());
    EXPECT_FALSE(panel->changeButton()->isEnabled());
    // The drop-downs are empty and offer the values just stored; the list stands on the new row.
    EXPECT_TRUE(panel->name()->currentText().isEmpty());
    EXPECT_GE(panel->name()->findText(QStringLiteral("电脑")), 0) << "the name has the focus";
    panel->supplier()->setFocus(Qt::TabFocusReason);
    EXPECT_GE(panel->supplier()->findText(QStringLiteral("华联")), 0);
    EXPECT_EQ(w.list->currentId(), id);
}

TEST_F(StockInPanelTest, AClickOnARowFillsTheTemplateAndAnEmptyNameCopiesNothing) {
    insertGoods(w.db,
                {.name = QString(), .code = QStringLiteral("空名"), .date = QStringLiteral("2014-07-01")});
    insertGoods(w.db, {.name = QStringLiteral("键盘"),
                       .model = QStringLiteral("黑色"),
                       .code = QStringLiteral("K1"),
                       .category = QStringLiteral("配件"),
                       .supplier = QStringLiteral("宏达"),
                       .remark = QStringLiteral("样品"),
                       .price = 30,
                       .quantity = 4,
                       .salePrice = 45});
    w.list->showAll();
    panel->openForNewEntry();
    clickRow(1);
    EXPECT_EQ(panel->name()->currentText(), QStringLiteral("键盘"));
    EXPECT_EQ(panel->model()->currentText(), QStringLiteral("黑色"));
    EXPECT_EQ(panel->code()->currentText(), QStringLiteral("K1"));
    EXPECT_EQ(panel->category()->currentText(), QStringLiteral("配件"));
    EXPECT_EQ(panel->supplier()->currentText(), QStringLiteral("宏达"));
    EXPECT_EQ(panel->remark()->text(), QStringLiteral("样品"));
    EXPECT_EQ(field(F::PurchasePrice)->text(), QStringLiteral("30"));
    EXPECT_EQ(field(F::Quantity)->text(), QStringLiteral("4"));
    EXPECT_EQ(field(F::SalePrice)->text(), QStringLiteral("45"));
    EXPECT_EQ(field(F::StockQuantity)->text(), QStringLiteral("4"));
    EXPECT_EQ(field(F::PurchaseAmount)->text(), QStringLiteral("120"));
    clickRow(0);
    EXPECT_EQ(panel->code()->currentText(), QStringLiteral("K1"));
}

TEST_F(StockInPanelTest, AChangeRecomputesStockFromTheSoldQuantity) {
    // Sold 3 of 10 at purchase price 2; the stored stock figures are stale on purpose.
    const qint64 id = insertGoods(w.db, {.name = QStringLiteral("订书机"),
                                         .price = 2,
                                         .quantity = 10,
                                         .salePrice = 5,
                                         .sold = 3,
                                         .salesAmount = 15,
                                         .stock = 99,
                                         .stockAmount = 99});
    w.list->showAll();
    panel->loadForModification();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(panel->newEntryButton()->isVisible());
    EXPECT_TRUE(panel->changeButton()->isVisible());
    EXPECT_TRUE(panel->changeButton()->isEnabled());
    EXPECT_EQ(field(F::StockQuantity)->text(), QStringLiteral("99")); // the stored figures win the load
    EXPECT_EQ(panel->date()->shownText(), QStringLiteral("2014-08-01"));
    w.env.dialogs().answer(true);
    panel->changeButton()->click();
    EXPECT_EQ(w.env.dialogs().shown().front().text, QStringLiteral("你确实要修改选中资料吗？"));
    EXPECT_EQ(w.env.dialogs().shown().front().title, QStringLiteral("警告！"));
    EXPECT_EQ(w.env.dialogs().shown().front().kind, Dialogs::Kind::Warning) << "the warning icon";
    EXPECT_DOUBLE_EQ(w.stored(id, "[7]").toDouble(), 7);
    EXPECT_DOUBLE_EQ(w.stored(id, "[8]").toDouble(), 14);
    EXPECT_DOUBLE_EQ(w.stored(id, "[5]").toDouble(), 3);
    EXPECT_DOUBLE_EQ(w.stored(id, "[6]").toDouble(), 15); // sale price unchanged: stored amount kept
    EXPECT_EQ(lastBanner(), QStringLiteral("修改数据成功..."));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(panel->newEntryButton()->isVisibleTo(panel));
    EXPECT_TRUE(panel->changeButton()->isVisibleTo(panel));
    EXPECT_FALSE(panel->changeButton()->isEnabled());
}

TEST_F(StockInPanelTest, ANewSalePriceOnARowThatSoldThreeGivesTheNewSalesAmount) {
    const qint64 id = insertGoods(w.db, {.name = QStringLiteral("台灯"),
                                         .price = 2,
                                         .quantity = 10,
                                         .salePrice = 5,
                                         .sold = 3,
                                         .salesAmount = 15,
                                         .stock = 7,
                                         .stockAmount = 14});
    w.list->showAll();
    panel->loadForModification();
    field(F::SalePrice)->selectAll();
    QTest::keyClicks(field(F::SalePrice), QStringLiteral("6"));
    w.env.dialogs().answer(true);
    panel->change();
    EXPECT_DOUBLE_EQ(w.stored(id, "[6]").toDouble(), 18);
    EXPECT_DOUBLE_EQ(w.stored(id, "[4]").toDouble(), 6);
}

TEST_F(StockInPanelTest, ACancelledChangeOrANumberThatIsNotOneWritesNothing) {
    const qint64 id = insertGoods(w.db, {.name = QStringLiteral("剪刀"), .price = 2, .quantity = 10});
    w.list->showAll();
    panel->loadForModification();
    field(F::Quantity)->setText(QStringLiteral("12"));
    panel->change(); // unanswered question: Cancel
    EXPECT_DOUBLE_EQ(w.stored(id, "[2]").toDouble(), 10);
    EXPECT_TRUE(panel->isVisible());
    field(F::Quantity)->setText(QStringLiteral("."));
    w.env.dialogs().clear();
    panel->change();
    EXPECT_EQ(w.env.dialogs().texts(), QStringList{QStringLiteral("进货数量不是有效的数字！")});
    EXPECT_DOUBLE_EQ(w.stored(id, "[2]").toDouble(), 10);
    EXPECT_TRUE(banners.isEmpty());
}

TEST_F(StockInPanelTest, AChangeWritesTheLoadedRowEvenAfterAQueryMovedTheList) {
    const qint64 loaded =
        insertGoods(w.db, {.name = QStringLiteral("电脑"), .date = QStringLiteral("2014-08-01")});
    const qint64 other =
        insertGoods(w.db, {.name = QStringLiteral("鼠标"), .date = QStringLiteral("2014-08-02")});
    w.list->showAll();
    w.list->grid()->setCurrentRow(0);
    panel->loadForModification();
    QTest::keyClicks(w.list->queryBox()->nameInitials(), QStringLiteral("sb")); // the list now stands on 鼠标
    ASSERT_EQ(w.list->currentId(), other);
    panel->remark()->setText(QStringLiteral("改过"));
    w.env.dialogs().answer(true);
    panel->change();
    EXPECT_EQ(w.stored(loaded, "z").toString(), QStringLiteral("改过"));
    EXPECT_EQ(w.stored(other, "a").toString(), QStringLiteral("鼠标"));
    EXPECT_EQ(w.stored(other, "z").toString(), QString());
}

TEST_F(StockInPanelTest, AClickOnAnotherRowEndsTheModification) {
    insertGoods(w.db, {.name = QStringLiteral("甲")});
    insertGoods(w.db, {.name = QStringLiteral("乙")});
    w.list->showAll();
    QSignalSpy rowChanges(w.list, &GoodsList::clickedRowChanged);
    clickRow(0);
    panel->loadForModification();
    clickRow(0); // the same row: the modification goes on
    EXPECT_TRUE(panel->changeButton()->isEnabled());
    // The sale panel's close disables the button; opening the sale panel on that row enables it again.
    panel->disableChange();
    panel->enableChange();
    EXPECT_TRUE(panel->changeButton()->isEnabled());
    clickRow(1);
    EXPECT_EQ(rowChanges.count(), 2);
    EXPECT_FALSE(panel->changeButton()->isEnabled());
    EXPECT_EQ(panel->loadedId(), -1);
    panel->enableChange();
    EXPECT_FALSE(panel->changeButton()->isEnabled());
}

TEST_F(StockInPanelTest, DeleteAsksAndTakesTheRowOutOfTheListWithoutAReload) {
    insertGoods(w.db, {.name = QStringLiteral("甲"), .stock = 4});
    const qint64 second = insertGoods(w.db, {.name = QStringLiteral("乙"), .stock = 6});
    w.list->showAll();
    panel->loadForModification(); // the last row, which is then deleted
    QSignalSpy loads(w.list, &GoodsList::listLoaded);
    QSignalSpy saleHides(panel, &StockInPanel::salePanelShouldHide);
    panel->deleteCurrent(); // Cancel
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(w.env.dialogs().lastText(), QStringLiteral("你真的要删除选中资料吗？"));
    EXPECT_EQ(w.env.dialogs().shown().back().title, QStringLiteral("警告！"));
    EXPECT_EQ(w.env.dialogs().shown().back().kind, Dialogs::Kind::Warning) << "the warning icon";
    w.env.dialogs().answer(true);
    panel->deleteCurrent();
    EXPECT_EQ(rows(), 1);
    EXPECT_FALSE(w.stored(second, "a").isValid());
    EXPECT_EQ(w.listedNames(), QStringList{QStringLiteral("甲")});
    EXPECT_EQ(w.list->grid()->datasetModel()->footerText(w.list->grid()->columnOfField(QStringLiteral("7"))),
              QStringLiteral("4"));
    EXPECT_EQ(loads.count(), 0);
    EXPECT_EQ(saleHides.count(), 2);
    EXPECT_EQ(lastBanner(), QStringLiteral("删除数据成功..."));
    EXPECT_FALSE(panel->changeButton()->isEnabled()); // the loaded row is gone
}

TEST_F(StockInPanelTest, EnterMovesAlongTheEntryOrderAndNumericFieldsTakeOnlyNumbers) {
    panel->openForNewEntry();
    const QList<QWidget *> order{panel->name(),      panel->model(),         panel->code(),
                                 panel->category(),  panel->date(),          field(F::PurchasePrice),
                                 field(F::Quantity), field(F::SalePrice),    panel->supplier(),
                                 panel->remark(),    panel->newEntryButton()};
    order.front()->setFocus();
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), order[i]) << i;
    }
    QTest::keyClicks(field(F::Quantity), QStringLiteral("a1b.5-"));
    EXPECT_EQ(field(F::Quantity)->text(), QStringLiteral("1.5"));

    // During a change Enter in the remark goes to "修改入库".
    insertGoods(w.db, {.name = QStringLiteral("甲")});
    w.list->showAll();
    panel->loadForModification();
    panel->remark()->setFocus();
    QTest::keyClick(panel->remark(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), panel->changeButton());
}

TEST_F(StockInPanelTest, TheCloseMarkHidesClearsAndDisablesTheChange) {
    insertGoods(w.db, {.name = QStringLiteral("甲")});
    w.list->showAll();
    panel->loadForModification();
    panel->closeMark()->click();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(field(F::Quantity)->text().isEmpty());
    EXPECT_FALSE(panel->changeButton()->isEnabled());
}

} // namespace
