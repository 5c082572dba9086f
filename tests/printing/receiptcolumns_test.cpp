// The receipt's quantity and amount columns stand at one place on every line whatever the goods name
// holds (half-width symbols that GBK stores in two bytes, accented letters), and no line runs off the
// printable width of a narrow roll.
#include "printing/receipt.h"
#include "tests/printing/pdftext.h"
#include "tests/printing/receiptcontent.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"

#include <QPageLayout>
#include <QPrinter>
#include <gtest/gtest.h>

namespace {
// A 58 mm roll whose printer cannot print the outer 5 mm on either side: 48 mm to print on.
constexpr double PrintableMm = 48;
constexpr double PrintablePoints = PrintableMm / 25.4 * 72;

class ReceiptColumnsTest : public ::testing::Test {
  protected:
    ReceiptColumnsTest() {
        content = ordinaryReceipt();
        content.cash = QStringLiteral("99999");
        content.change = QStringLiteral("1");
        receipt::setRedirect([this](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPageSize(QPageSize(QSizeF(PrintableMm, 250), QPageSize::Millimeter,
                                          QStringLiteral("roll"), QPageSize::ExactMatch));
        });
    }
    ~ReceiptColumnsTest() override { receipt::setRedirect({}); }

    // The words of the printed line that starts with `name`, left to right.
    static std::vector<PdfWord> lineWords(const std::vector<PdfWord> &words, const QString &name) {
        const PdfWord *anchor = findWord(words, name);
        if (!anchor) return {};
        std::vector<PdfWord> line;
        for (const PdfWord &word : words)
            if (std::abs(word.yMin - anchor->yMin) < 2) line.push_back(word);
        std::sort(line.begin(), line.end(),
                  [](const PdfWord &a, const PdfWord &b) { return a.xMin < b.xMin; });
        return line;
    }

    TestEnv env;
    QString pdf = env.file(QStringLiteral("receipt.pdf"));
    receipt::Content content;
};

TEST_F(ReceiptColumnsTest, QuantityAndAmountStandAtOnePlaceOnEveryLineAndWithinTheRoll) {
    const char *names[] = {"一二三四五六七八九", "鼠标", "M6×20", "210×297", "±5°", "Café", "螺丝M6×20"};
    for (const char *name : names)
        content.lines.push_back({u(name), QStringLiteral("2"), QStringLiteral("1234.5")});
    content.total = QStringLiteral("8641.5");
    QString error;
    ASSERT_TRUE(receipt::print(content, &error)) << error.toStdString();
    const std::vector<PdfWord> words = pdfWords(pdf);
    ASSERT_FALSE(words.empty());

    std::vector<double> quantityStarts, amountStarts, amountEnds;
    for (const char *name : names) {
        const std::vector<PdfWord> line = lineWords(words, u(name));
        ASSERT_EQ(line.size(), 3u) << name;
        EXPECT_EQ(line[1].text, QStringLiteral("2")) << name;
        EXPECT_EQ(line[2].text, QStringLiteral("1234.5")) << name;
        quantityStarts.push_back(line[1].xMin);
        amountStarts.push_back(line[2].xMin);
        amountEnds.push_back(line[2].xMax);
    }
    for (std::size_t i = 1; i < std::size(names); ++i) {
        EXPECT_NEAR(quantityStarts[i], quantityStarts[0], 0.3) << names[i];
        EXPECT_NEAR(amountStarts[i], amountStarts[0], 0.3) << names[i];
        EXPECT_NEAR(amountEnds[i], amountEnds[0], 0.3) << names[i];
    }
    // The quantity after the widest name, not over it.
    EXPECT_GT(quantityStarts[0], lineWords(words, u(names[0]))[0].xMax);
    for (const PdfWord &word : words)
        EXPECT_LE(word.xMax, PrintablePoints + 0.2) << word.text.toStdString();
}

// A line the 8 pt font would carry past the roll's edge is drawn smaller, whole.
TEST_F(ReceiptColumnsTest, ALineTooWideForTheRollIsDrawnSmallerAndWhole) {
    content.lines = {{u("一二三四五六七八九"), QStringLiteral("-1000"), QStringLiteral("-1234567.89")},
                     {u("M6×20"), QStringLiteral("1"), QStringLiteral("2")}};
    content.total = QStringLiteral("-1234565.89");
    QString error;
    ASSERT_TRUE(receipt::print(content, &error)) << error.toStdString();
    const std::vector<PdfWord> words = pdfWords(pdf);
    const std::vector<PdfWord> wide = lineWords(words, u("一二三四五六七八九"));
    const std::vector<PdfWord> narrow = lineWords(words, u("M6×20"));
    ASSERT_EQ(wide.size(), 3u);
    ASSERT_EQ(narrow.size(), 3u);
    EXPECT_EQ(wide[2].text, QStringLiteral("-1234567.89"));
    EXPECT_NEAR(narrow[2].xMin, wide[2].xMin, 0.3);
    for (const PdfWord &word : words)
        EXPECT_LE(word.xMax, PrintablePoints + 0.2) << word.text.toStdString();
}
} // namespace
