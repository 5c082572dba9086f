// The receipt through a real CUPS scheduler: "POS小票打印" in the assembled main window sends one job
// to the default printer without a dialog, and the document the scheduler received is the 250 mm
// receipt at the roll printer's 203 dots per inch.
#include "tests/printing/privatecups.h"
#include "tests/printing/shopprintfixture.h"

#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>

namespace {
// Page size of a PDF in points, by pdfinfo.
QSizeF pageSize(const QString &pdf) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(30000);
    const auto match = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts"))
                           .match(QString::fromUtf8(info.readAllStandardOutput()));
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()) : QSizeF();
}

class CupsReceiptTest : public ShopPrintTest {};

TEST_F(CupsReceiptTest, TheDefaultPrinterGetsOneJobWithTheReceiptOnItsCustomPage) {
    // The scheduler first: every CUPS client of this program asks it from the first question on.
    PrivateCups cups;
    const QString why = cups.start();
    if (!why.isEmpty()) GTEST_SKIP() << "no CUPS scheduler can run here: " << why.toStdString();
    ASSERT_EQ(QPrinterInfo::defaultPrinterName(), QStringLiteral("Receipt")) << cups.log().toStdString();

    start();
    sell(pen, "1");
    sell(notebook, "2");
    const QString number = shop->salePanel()->saleNumber();
    ticket()->cash()->setText(QStringLiteral("70"));
    ticket()->receiptButton()->click();
    EXPECT_TRUE(env.dialogs().texts().isEmpty()) << env.dialogs().lastText().toStdString();

    // The job went through the queue's filters to its end.
    EXPECT_TRUE(cups.waitForCompletedJobs(1, 30000)) << cups.log().toStdString();
    ASSERT_EQ(cups.jobCount(), 1) << cups.log().toStdString();
    const QStringList documents = cups.jobDocuments();
    ASSERT_EQ(documents.size(), 1);

    // The queue's own paper width (A4 by the driver's default), 250 mm long.
    const QSizeF page = pageSize(documents[0]);
    EXPECT_NEAR(page.width(), 210 / 25.4 * 72, 1.5);
    EXPECT_NEAR(page.height(), 250 / 25.4 * 72, 1.5);

    const auto words = pdfWords(documents[0]);
    const auto top = [&](const QString &text) {
        const PdfWord *word = findWord(words, text);
        EXPECT_TRUE(word) << text.toStdString();
        return word ? word->yMin : -100.0;
    };
    const auto points = [](int dots) { return dots * 72.0 / 203; };
    // Lines spread over the paper at the roll printer's dots, not squeezed at the driver's resolution.
    EXPECT_NEAR(top(QStringLiteral("POS")), points(0), 2.5);
    EXPECT_NEAR(top(u("销售单号：") + number), points(60), 2.5);
    EXPECT_NEAR(top(u("收银员：张三")), points(90), 2.5);
    EXPECT_NEAR(top(u("钢笔")), points(210), 2.5);
    EXPECT_NEAR(top(u("笔记本")), points(240), 2.5);
    EXPECT_NEAR(top(u("现金:70.00元")), points(270 + 60), 2.5);
    EXPECT_NEAR(top(u("欢迎下次惠顾！")), points(270 + 210), 2.5);
    EXPECT_EQ(lineOf(words, u("现金:70.00元")), (QStringList{u("现金:70.00元"), u("找零:9.00元")}));
}
} // namespace
