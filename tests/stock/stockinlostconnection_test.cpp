// The stock-in panel at a till whose server session ends in the middle of its write: the message says
// what is known of the write, what was typed stays, nothing is stored twice, and pressing again works.
#include "tests/stock/stockfixture.h"
#include "tests/support/sessionend.h"
#include "tests/support/testserver.h"
#include "widgets/datefield.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
using F = StockInFigures::Field;
const QString Lost = QStringLiteral("与数据库服务器的连接已断开");

class StockInLostConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testserver::active()) GTEST_SKIP() << "a lost connection is the server's";
        w = std::make_unique<StockWindow>();
        panel = w->panel;
        banners = std::make_unique<QSignalSpy>(panel, &StockInPanel::succeeded);
        w->host.show();
        w->host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w->host));
    }
    int rows() { return w->db.scalar(QStringLiteral("select count(*) from data")).toInt(); }
    QString lastMessage() { return w->env.dialogs().lastText(); }

    std::unique_ptr<StockWindow> w;
    StockInPanel *panel = nullptr;
    std::unique_ptr<QSignalSpy> banners;
};

TEST_F(StockInLostConnectionTest, ANewEntryWhoseAnswerWasLostIsNotStoredTwiceAndKeepsItsFields) {
    ASSERT_TRUE(sessionend::endOnceOn(w->db, QStringLiteral("data"), QStringLiteral("insert")));
    panel->openForNewEntry();
    panel->name()->setEditText(QStringLiteral("电脑"));
    panel->code()->setEditText(QStringLiteral("6901"));
    panel->category()->setEditText(QStringLiteral("电子"));
    panel->date()->setDate(QDate(2014, 8, 12));
    panel->field(F::Quantity)->setText(QStringLiteral("10"));
    panel->field(F::PurchasePrice)->setText(QStringLiteral("2.5"));
    panel->field(F::SalePrice)->setText(QStringLiteral("4"));
    panel->newEntryButton()->click();

    ASSERT_EQ(w->env.dialogs().shown().size(), 1u);
    EXPECT_EQ(w->env.dialogs().shown()[0].kind, Dialogs::Kind::Error);
    // The server may have stored it before the answer was lost: said so, and not sent again.
    EXPECT_TRUE(lastMessage().contains(Lost) && lastMessage().contains(QStringLiteral("无法确认")))
        << lastMessage().toStdString();
    EXPECT_EQ(sessionend::endOnceRuns(w->db), 1);
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(banners->isEmpty());
    EXPECT_EQ(panel->name()->currentText(), QStringLiteral("电脑"));
    EXPECT_EQ(panel->field(F::Quantity)->text(), QStringLiteral("10"));
    EXPECT_EQ(panel->field(F::PurchasePrice)->text(), QStringLiteral("2.5"));

    w->env.dialogs().clear();
    panel->newEntryButton()->click();
    EXPECT_TRUE(w->env.dialogs().texts().isEmpty()) << lastMessage().toStdString();
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(banners->count(), 1);
}

TEST_F(StockInLostConnectionTest, AChangeCutOffInItsTransactionSavesNothingKeepsItsFieldsAndWorksAgain) {
    const qint64 id = insertGoods(w->db, {.name = QStringLiteral("剪刀"), .price = 2, .quantity = 10});
    ASSERT_TRUE(sessionend::endOnceOn(w->db, QStringLiteral("data"), QStringLiteral("update")));
    w->list->showAll();
    panel->loadForModification();
    panel->field(F::Quantity)->setText(QStringLiteral("12"));
    w->env.dialogs().answer(true);
    panel->change();

    ASSERT_EQ(w->env.dialogs().shown().size(), 2u); // the question, then the failure
    EXPECT_TRUE(lastMessage().contains(Lost) && lastMessage().contains(QStringLiteral("没有保存")))
        << lastMessage().toStdString();
    EXPECT_DOUBLE_EQ(w->stored(id, "[2]").toDouble(), 10);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->changeButton()->isEnabled());
    EXPECT_EQ(panel->field(F::Quantity)->text(), QStringLiteral("12"));
    EXPECT_TRUE(banners->isEmpty());

    w->env.dialogs().clear();
    w->env.dialogs().answer(true);
    panel->change();
    EXPECT_EQ(w->env.dialogs().texts(), QStringList{QStringLiteral("你确实要修改选中资料吗？")});
    EXPECT_DOUBLE_EQ(w->stored(id, "[2]").toDouble(), 12);
    EXPECT_EQ(banners->count(), 1);
}

} // namespace
