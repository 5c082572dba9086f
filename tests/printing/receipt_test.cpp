// The POS receipt: the name column's 18 GBK bytes, and the receipt printed to a PDF and read back
// (its lines, their order and heights, the paper).
#include "printing/receipt.h"
#include "store/dataset.h"
#include "tests/printing/pdftext.h"
#include "tests/printing/receiptcontent.h"
#include "tests/sales/ticketfixture.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"

#include <QPrinter>
#include <QProcess>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {
QByteArray gbk(const QString &text) {
    QStringEncoder encoder("GBK");
    return encoder(text);
}

TEST(ReceiptNameColumn, TakesEighteenGbkBytesAndNeverSplitsACharacter) {
    const struct {
        const char *name;
        const char *column;
    } cases[] = {
        // Nine Chinese characters are exactly 18 bytes: whole, and one blank more.
        {"一二三四五六七八九", "一二三四五六七八九 "},
        // Eight and a letter: 17 bytes padded to 18.
        {"一二三四五六七八A", "一二三四五六七八A "},
        // Ten characters: cut after the ninth.
        {"一二三四五六七八九十", "一二三四五六七八九 "},
        // A letter first: the ninth character would straddle byte 18; a blank stands in for it.
        {"A一二三四五六七八九", "A一二三四五六七八  "},
        {"鼠标", "鼠标              "},
        {"", "                  "},
        {"ABCDEFGHIJKLMNOPQRSTU", "ABCDEFGHIJKLMNOPQR "},
    };
    for (const auto &c : cases) {
        const QString column = receipt::nameColumn(u(c.name));
        EXPECT_EQ(column, u(c.column)) << c.name;
        const qsizetype bytes = gbk(column).size();
        EXPECT_TRUE(bytes == 18 || bytes == 19) << c.name;
    }
    EXPECT_EQ(receipt::ticketLine({u("一二三四五六七八九"), QStringLiteral("2"), QStringLiteral("72")}),
              u("一二三四五六七八九  2      72"));
    EXPECT_EQ(receipt::ticketLine({u("一二三四五六七八"), QStringLiteral("-1"), QStringLiteral("-36")}),
              u("一二三四五六七八   -1      -36"));
}

TEST(ReceiptLayout, ACashOrChangeThatIsNoNumberPrintsNothing) {
    receipt::Content content;
    content.cash = QStringLiteral(".");
    content.change = QStringLiteral("1");
    QString error;
    EXPECT_FALSE(receipt::layout(content, &error));
    EXPECT_EQ(error, u("现金不是有效的数字！"));
    content.cash = QStringLiteral("50");
    content.change = QString();
    EXPECT_FALSE(receipt::layout(content, &error));
    EXPECT_EQ(error, u("找零不是有效的数字！"));
}

// Cash and change are money: rounded half away from zero to the fen as the decimal the user sees, and a
// change that rounds to nothing is no negative nought.
TEST(ReceiptLayout, CashAndChangeArePrintedRoundedToTheFen) {
    const struct {
        const char *cash, *change, *line;
    } cases[] = {
        {"1.005", "2.675", "现金:1.01元  找零:2.68元"},
        {"50", "-0.001", "现金:50.00元  找零:0.00元"},
        {"100.125", "0.015", "现金:100.13元  找零:0.02元"},
        {"-1.005", "1.5", "现金:-1.01元  找零:1.50元"},
    };
    for (const auto &c : cases) {
        receipt::Content content;
        content.cash = QString::fromLatin1(c.cash);
        content.change = QString::fromLatin1(c.change);
        const auto lines = receipt::layout(content);
        ASSERT_TRUE(lines) << c.cash << " " << c.change;
        QStringList printed;
        for (const receipt::TextLine &line : *lines)
            printed << line.text;
        EXPECT_TRUE(printed.contains(u(c.line))) << printed.join(QLatin1Char('\n')).toStdString();
    }
}

struct PrintedLine {
    double top; // points
    QString text;
};

class ReceiptPdfTest : public ::testing::Test {
  protected:
    ReceiptPdfTest() {
        content = ordinaryReceipt();
        content.total = QStringLiteral("48.5");
        content.cash = QStringLiteral("50");
        content.change = QStringLiteral("1.5");
    }
    ~ReceiptPdfTest() override { receipt::setRedirect({}); }

    // Printed as the program prints, with the printer sent to a PDF file; the page's words gathered
    // into lines by their height.
    std::vector<PrintedLine> print() {
        receipt::setRedirect([this](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
        });
        QString error;
        EXPECT_TRUE(receipt::print(content, &error)) << error.toStdString();
        words = pdfWords(pdf);
        std::vector<PrintedLine> lines;
        for (const PdfWord &word : words) {
            EXPECT_EQ(word.page, 1);
            auto same = std::find_if(lines.begin(), lines.end(), [&](const PrintedLine &line) {
                return std::abs(line.top - word.yMin) < 3;
            });
            if (same == lines.end())
                lines.push_back({word.yMin, word.text});
            else
                same->text += QLatin1Char(' ') + word.text;
        }
        std::sort(lines.begin(), lines.end(), [](const auto &a, const auto &b) { return a.top < b.top; });
        return lines;
    }
    static double points(int dots) { return dots * 72.0 / receipt::DotsPerInch; }

    TestEnv env;
    QString pdf = env.file(QStringLiteral("receipt.pdf"));
    receipt::Content content;
    std::vector<PdfWord> words;
};

TEST_F(ReceiptPdfTest, PrintsEveryLineInOrderAtItsHeightInRollPrinterDots) {
    Database &db = env.database();
    addTicketLine(db, content.saleNumber, u("钢笔"), 36, 1);
    addTicketLine(db, content.saleNumber, u("笔记本"), 6.25, 2);
    // Another ticket whose number holds this one's is not on the receipt.
    addTicketLine(db, content.saleNumber + QLatin1Char('0'), u("橡皮"), 1, 1);
    Dataset ticket;
    ASSERT_TRUE(
        ticket.load(db, QStringLiteral("select * from data1 where z=? order by ID"), {content.saleNumber}));
    content.lines = receipt::linesOf(ticket);

    const std::vector<PrintedLine> lines = print();
    const std::vector<std::pair<int, const char *>> expected = {
        {0, "POS 小票销售单"},
        {40, "-------------------------------"},
        {60, "销售单号：20140812001"},
        {90, "收银员：张三"},
        {120, "打印时间：2014-08-12 10:30:05"},
        {150, "-------------------------------"},
        {180, "商品名称 数量 金额"},
        {210, "钢笔 1 36"},
        {240, "笔记本 2 12.5"},
        {270, "-------------------------------"},
        {300, "合计:48.5元"},
        {330, "现金:50.00元 找零:1.50元"},
        {360, "-------------------------------"},
        {390, "嘉穗进销存软件提供技术支持"},
        {420, "官网：http://www.jiasuisoft.cn"},
        {450, "-------------------------------"},
        {480, "欢迎下次惠顾！"},
        {510, "-------------------------------"},
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(lines[i].text, u(expected[i].second)) << i;
        // The top of the text at the line's height (within the glyphs' own room above them).
        EXPECT_NEAR(lines[i].top, points(expected[i].first), 2.5) << expected[i].second;
    }
    // The title three blanks in, the closing line six: of the lines at the left edge, they alone
    // start further right.
    const PdfWord *title = findWord(words, QStringLiteral("POS"));
    const PdfWord *separator = findWord(words, QStringLiteral("-------------------------------"));
    const PdfWord *closing = findWord(words, u("欢迎下次惠顾！"));
    ASSERT_TRUE(title && separator && closing);
    EXPECT_NEAR(separator->xMin, 0, 1);
    EXPECT_GT(title->xMin, 3);
    EXPECT_GT(closing->xMin, title->xMin);
}

TEST_F(ReceiptPdfTest, ALongNameIsCutAndAReturnPrintsNegativeFigures) {
    content.lines = {{u("一二三四五六七八九十"), QStringLiteral("1"), QStringLiteral("10")},
                     {u("钢笔"), QStringLiteral("-1"), QStringLiteral("-36")}};
    content.total = QStringLiteral("-26");
    content.cash = QStringLiteral("0");
    content.change = QStringLiteral("26");
    const std::vector<PrintedLine> lines = print();
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[7].text, u("一二三四五六七八九 1 10"));
    EXPECT_EQ(lines[8].text, u("钢笔 -1 -36"));
    EXPECT_EQ(lines[11].text, u("现金:0.00元 找零:26.00元"));
}

TEST_F(ReceiptPdfTest, ThePageIsTwoHundredFiftyMillimetresLongAndKeepsThePrintersWidth) {
    print();
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    const QRegularExpression size(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts"));
    const auto match = size.match(out);
    ASSERT_TRUE(match.hasMatch()) << out.toStdString();
    QPrinter plain(QPrinter::HighResolution);
    plain.setOutputFormat(QPrinter::PdfFormat);
    const double width = plain.pageLayout().pageSize().size(QPageSize::Point).width();
    EXPECT_NEAR(match.captured(1).toDouble(), width, 1);
    EXPECT_NEAR(match.captured(2).toDouble(), 250 / 25.4 * 72, 1);
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\n")))) << out.toStdString();
}
} // namespace
