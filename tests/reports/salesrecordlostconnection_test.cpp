// The sales-detail window's correction and deletion at a till whose server session ends in the middle
// of the write: the message says what is known of it, the panel keeps what was typed, nothing is done
// twice, and pressing again works.
#include "reports/salesdetailwindow.h"
#include "reports/salesrecordpanel.h"
#include "tests/reports/reportsfixture.h"
#include "tests/support/sessionend.h"
#include "tests/support/testenv.h"
#include "tests/support/testserver.h"
#include "widgets/datagrid.h"
#include "widgets/numberfield.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

namespace {
const QString Lost = QStringLiteral("与数据库服务器的连接已断开");

class SalesRecordLostConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testserver::active()) GTEST_SKIP() << "a lost connection is the server's";
        db = &env.database();
    }
    void open() {
        window = std::make_unique<SalesDetailWindow>(*db);
        window->show();
        window->grid()->setCurrentRow(0);
    }
    QString lastMessage() { return env.dialogs().lastText(); }
    double debtOf(qint64 id) {
        return db->scalar(QStringLiteral("select [6] from data1 where ID=?"), {id}).toDouble();
    }

    TestEnv env;
    Database *db = nullptr;
    std::unique_ptr<SalesDetailWindow> window;
};

TEST_F(SalesRecordLostConnectionTest, ACorrectionWhoseAnswerWasLostIsNotSentAgainAndKeepsThePanel) {
    const qint64 id = insertRecord(*db, {});
    ASSERT_TRUE(sessionend::endOnceOn(*db, QStringLiteral("data1"), QStringLiteral("update")));
    open();
    window->item(QStringLiteral("N7"))->trigger();
    SalesRecordPanel *panel = window->panel();
    ASSERT_TRUE(panel->isVisible());
    panel->debt()->setText(QStringLiteral("6.5"));
    panel->remark()->setText(u("月底结"));
    panel->changeButton()->click();

    EXPECT_TRUE(lastMessage().contains(Lost) && lastMessage().contains(u("无法确认")))
        << lastMessage().toStdString();
    EXPECT_EQ(sessionend::endOnceRuns(*db), 1);
    EXPECT_DOUBLE_EQ(debtOf(id), 0);
    EXPECT_DOUBLE_EQ(window->sales().number(0, QStringLiteral("6")), 0);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->debt()->text(), QStringLiteral("6.5"));
    EXPECT_EQ(panel->remark()->text(), u("月底结"));

    panel->changeButton()->click();
    EXPECT_EQ(lastMessage(), u("修改记录成功！"));
    EXPECT_DOUBLE_EQ(debtOf(id), 6.5);
    EXPECT_DOUBLE_EQ(window->sales().number(0, QStringLiteral("6")), 6.5);
}

TEST_F(SalesRecordLostConnectionTest, ADeletionCutOffInItsTransactionGivesNothingBackAndWorksAgain) {
    const qint64 goods = insertGoods(*db, {});
    insertRecord(*db, {});
    ASSERT_TRUE(sessionend::endOnceOn(*db, QStringLiteral("data1"), QStringLiteral("delete")));
    open();
    window->item(QStringLiteral("N2"))->trigger();
    ASSERT_TRUE(window->panel()->deleteButton()->isVisible());
    window->panel()->deleteButton()->click();

    EXPECT_TRUE(lastMessage().contains(Lost) && lastMessage().contains(u("没有保存")))
        << lastMessage().toStdString();
    EXPECT_EQ(recordCount(*db), 1);
    EXPECT_DOUBLE_EQ(goodsFigure(*db, goods, "7"), 7);
    EXPECT_TRUE(window->panel()->isVisible());
    EXPECT_EQ(window->sales().rowCount(), 1);

    window->panel()->deleteButton()->click();
    EXPECT_EQ(lastMessage(), u("删除销售记录成功！"));
    EXPECT_EQ(recordCount(*db), 0);
    EXPECT_DOUBLE_EQ(goodsFigure(*db, goods, "7"), 10);
}

} // namespace
