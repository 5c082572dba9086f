// A ticket whose sales records are corrected or deleted in the sales-detail window while it is the
// current ticket: the ticket view lists it again, and the receipt's total is the sum of the lines it
// prints.
#include "app/shopreports.h"
#include "reports/salesdetailwindow.h"
#include "reports/salesrecordpanel.h"
#include "tests/printing/shopprintfixture.h"
#include "tests/support/shoplogin.h"

#include <QAction>
#include <QTimer>

namespace {
class TicketCorrectionTest : public ShopPrintTest {
  protected:
    // Only the super administrator may correct or delete a sales record.
    void startAsAdministrator() { ASSERT_TRUE(showLoggedIn(*window, *shop->login(), u("超级管理员"))); }
    SalesDetailWindow *detail() { return shop->reports()->salesDetail(); }
    // Opens the sales-detail window as "销售明细" does and runs `inside` on the record of `goods`.
    void onRecordOf(const QString &goods, const std::function<void(SalesDetailWindow *, int)> &inside) {
        bool ran = false;
        QTimer::singleShot(0, detail(), [&] {
            const Dataset &sales = detail()->sales();
            for (int row = 0; row < sales.rowCount(); ++row)
                if (sales.text(row, QStringLiteral("a")) == goods) {
                    detail()->grid()->setCurrentRow(row);
                    inside(detail(), row);
                    ran = true;
                    break;
                }
            detail()->close();
        });
        window->command(QStringLiteral("N27"))->trigger();
        ASSERT_TRUE(ran) << goods.toStdString();
    }
    // The amounts standing after the goods names of the printed lines, summed.
    static double printedAmounts(const std::vector<PdfWord> &words, const QStringList &names) {
        double sum = 0;
        for (const QString &name : names) {
            const QStringList line = lineOf(words, name);
            if (line.size() == 3) sum += line[2].toDouble();
        }
        return sum;
    }
};

TEST_F(TicketCorrectionTest, TheReceiptTotalsTheLinesLeftAfterACorrectionOrDeletion) {
    const struct {
        const char *what;
        std::function<void(SalesDetailWindow *)> change;
    } cases[] = {
        {"deleted",
         [](SalesDetailWindow *detail) {
             detail->item(QStringLiteral("N2"))->trigger();
             detail->panel()->deleteButton()->click();
         }},
        // Moved to another ticket by a corrected sale number.
        {"moved away",
         [](SalesDetailWindow *detail) {
             detail->item(QStringLiteral("N7"))->trigger();
             detail->panel()->saleNumber()->setText(QStringLiteral("20140811099"));
             detail->panel()->changeButton()->click();
         }},
    };
    startAsAdministrator();
    receiptsToPdf();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        sell(pen, "1");
        sell(notebook, "2");
        ASSERT_EQ(ticket()->total()->text(), QStringLiteral("61"));
        onRecordOf(u("笔记本"), [&](SalesDetailWindow *detail, int) { c.change(detail); });

        EXPECT_EQ(ticket()->lines().rowCount(), 1);
        EXPECT_EQ(ticket()->total()->text(), QStringLiteral("36"));
        ticket()->cash()->setText(QStringLiteral("50"));
        EXPECT_EQ(ticket()->change()->text(), QStringLiteral("14"));
        const int before = receipts;
        ticket()->receiptButton()->click();
        ASSERT_EQ(receipts, before + 1) << env.dialogs().lastText().toStdString();

        const auto words = receiptWords(receipts);
        EXPECT_EQ(lineOf(words, u("笔记本")), QStringList{});
        const double printed = printedAmounts(words, {u("钢笔"), u("笔记本")});
        EXPECT_EQ(printed, 36);
        EXPECT_EQ(lineOf(words, u("合计:%1元").arg(printed)), QStringList{u("合计:%1元").arg(printed)});
        EXPECT_EQ(lineOf(words, u("现金:50.00元")), (QStringList{u("现金:50.00元"), u("找零:14.00元")}));
    }
}

// Another till deleted a line of the ticket: nothing told this view, which still shows the old total,
// yet the receipt's figures agree with the lines it prints.
TEST_F(TicketCorrectionTest, ALineDeletedByAnotherTillLeavesNoStaleTotalOnTheReceipt) {
    start();
    receiptsToPdf();
    sell(pen, "1");
    sell(notebook, "2");
    ASSERT_EQ(ticket()->total()->text(), QStringLiteral("61"));
    ASSERT_TRUE(env.database().execute(QStringLiteral("delete from data1 where a=?"), {u("笔记本")}));
    ticket()->cash()->setText(QStringLiteral("70"));
    ticket()->receiptButton()->click();
    ASSERT_EQ(receipts, 1) << env.dialogs().lastText().toStdString();

    const auto words = receiptWords(1);
    EXPECT_EQ(lineOf(words, u("钢笔")), (QStringList{u("钢笔"), QStringLiteral("1"), QStringLiteral("36")}));
    EXPECT_EQ(lineOf(words, u("合计:36元")), QStringList{u("合计:36元")});
    EXPECT_EQ(lineOf(words, u("现金:70.00元")), (QStringList{u("现金:70.00元"), u("找零:34.00元")}));
}
} // namespace
