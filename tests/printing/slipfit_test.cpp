// The sales slip never cuts what it prints: figures, codes and customer texts too long for their
// place at the band's size are printed whole inside their column or their room, read back from the
// PDF by their boxes (pdftotext gives a clipped text whole, with a box reaching past the clip).
#include "printing/slip.h"
#include "tests/printing/pdftext.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"

#include <QPrinter>
#include <gtest/gtest.h>

namespace {
// Millimetres on the page to PDF points, with the slip's left and top margins.
double xPoints(double mm) {
    return (15 + mm) * 72 / 25.4;
}

// Millimetres down the page to PDF points, with the slip's top margin.
double yPoints(double mm) {
    return (10 + mm) * 72 / 25.4;
}

// The room of a column between its rules, in millimetres from the band's left edge.
struct Room {
    double left, right;
};
constexpr Room CodeColumn{75.7, 101.5};
constexpr Room FigureColumns[] = {{101.5, 116.3}, {116.3, 133.3}, {133.3, 150.2}}; // quantity, price, amount

const QString LongCode = QStringLiteral("6902847102971");

bool inside(const PdfWord &word, const Room &room) {
    return word.xMin >= xPoints(room.left) && word.xMax <= xPoints(room.right);
}

// The words on the printed line of the first word `text` of page 1, left to right.
std::vector<PdfWord> wordsOnLineOf(const std::vector<PdfWord> &words, const QString &text) {
    std::vector<PdfWord> line;
    const PdfWord *anchor = findWord(words, text);
    if (!anchor) return line;
    for (const PdfWord &word : words)
        if (word.page == 1 && word.yMax > anchor->yMin && word.yMin < anchor->yMax) line.push_back(word);
    std::sort(line.begin(), line.end(), [](const PdfWord &a, const PdfWord &b) { return a.xMin < b.xMin; });
    return line;
}

class SlipFitTest : public ::testing::Test {
  protected:
    slip::Content ticket() const {
        slip::Content content;
        content.title = u("云杉软件销售单");
        content.saleNumber = QStringLiteral("20140812003");
        content.customer = u("王五");
        content.address = u("青岚路8号");
        content.phone = QStringLiteral("13800000000");
        content.date = QStringLiteral("2014-08-12");
        content.total = QStringLiteral("48.5");
        content.maker = u("张三");
        return content;
    }
    std::vector<PdfWord> print(const slip::Content &content) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        slip::setUpPage(printer);
        EXPECT_EQ(slip::render(printer, content), 1);
        return pdfWords(pdf);
    }

    TestEnv env;
    QString pdf = env.file(QStringLiteral("slip.pdf"));
};

TEST_F(SlipFitTest, EveryFigureAndCodeIsPrintedWholeInsideItsColumnRightAligned) {
    const char *figures[] = {"-99999999.99", "99999999.99", "-3234.56", "14299.89", "1000000",
                             "-0.5",         "0",           "12.5",     "-100",     "9999999.999"};
    slip::Content content = ticket();
    int n = 0;
    for (const char *figure : figures) {
        const QString text = QString::fromLatin1(figure);
        content.rows.push_back(
            {u("货品") + QString::number(++n), u("A5"), LongCode, text, text, text, u("无")});
    }
    const auto words = print(content);

    // Right-aligned: each column's figures end at one place.
    double ends[3] = {0, 0, 0};
    n = 0;
    for (const char *figure : figures) {
        const QString name = u("货品") + QString::number(++n);
        const auto line = wordsOnLineOf(words, name);
        std::vector<PdfWord> printed;
        for (const PdfWord &word : line)
            if (word.text == QString::fromLatin1(figure)) printed.push_back(word);
        ASSERT_EQ(printed.size(), 3u) << figure;
        for (int column = 0; column < 3; ++column) {
            EXPECT_TRUE(inside(printed[column], FigureColumns[column]))
                << figure << " in column " << column << ": " << printed[column].xMin << ".."
                << printed[column].xMax;
            if (n == 1) ends[column] = printed[column].xMax;
            EXPECT_NEAR(printed[column].xMax, ends[column], 0.5) << figure << " in column " << column;
        }
        const auto code =
            std::find_if(line.begin(), line.end(), [](const PdfWord &w) { return w.text == LongCode; });
        ASSERT_NE(code, line.end()) << name.toStdString();
        EXPECT_TRUE(inside(*code, CodeColumn)) << code->xMin << ".." << code->xMax;
    }
}

TEST_F(SlipFitTest, FiguresThatFitKeepTheirPlaceAndSize) {
    slip::Content content = ticket();
    content.rows.push_back({u("钢笔"), u("A5"), QStringLiteral("6901"), QStringLiteral("2"),
                            QStringLiteral("6.25"), QStringLiteral("12.5"), u("无")});
    const auto words = print(content);
    const PdfWord *name = findWord(words, u("钢笔"));
    const PdfWord *price = findWord(words, QStringLiteral("6.25"));
    ASSERT_TRUE(name && price);
    EXPECT_NEAR(price->xMax, xPoints(129.9), 1.5);
    EXPECT_NEAR(findWord(words, QStringLiteral("12.5"))->xMax, xPoints(147.7), 1.5);
    EXPECT_NEAR(findWord(words, QStringLiteral("6901"))->xMin, xPoints(77.3), 1.5);
    // The same size as the name beside them: nothing was made smaller.
    EXPECT_NEAR(price->yMax - price->yMin, name->yMax - name->yMin, 0.5);
}

TEST_F(SlipFitTest, ALongCustomerTextStaysInItsOwnRoom) {
    slip::Content content = ticket();
    const QString address =
        u("江苏省南京市玄武区青岚路八号嘉穗大厦东座十九层一九零八室收发室王五先生转交请签收");
    ASSERT_EQ(address.size(), 40);
    content.address = address;
    content.customer = u("南京市玄武区青岚路嘉穗文具用品批发零售有限公司第二门市部采购科长王五先生");
    content.rows.push_back({u("钢笔"), u("A5"), QStringLiteral("6901"), QStringLiteral("2"),
                            QStringLiteral("6.25"), QStringLiteral("12.5"), u("无")});
    const auto words = print(content);

    const PdfWord *phone = findWord(words, u("联系电话：13800000000"));
    const PdfWord *number = findWord(words, u("号：20140812003"));
    ASSERT_TRUE(phone && number);
    EXPECT_NEAR(phone->xMin, xPoints(88.4), 1.5);
    const auto saleCaption = std::find_if(words.begin(), words.end(), [&](const PdfWord &w) {
        return w.text == u("单") && std::abs(w.yMin - number->yMin) < 1;
    });
    ASSERT_NE(saleCaption, words.end());
    EXPECT_NEAR(saleCaption->xMin, xPoints(137.3), 1.5);

    // The words of a band left of a room's end: inside the band and the room, and the text whole.
    const auto textOf = [&](double bandTop, double bandHeight, double right) {
        const double top = yPoints(bandTop), bottom = yPoints(bandTop + bandHeight);
        std::vector<PdfWord> part;
        for (const PdfWord &word : words) {
            const double middle = (word.yMin + word.yMax) / 2;
            if (word.page != 1 || middle < top || middle > bottom || word.xMin >= right) continue;
            EXPECT_LE(word.xMax, right) << word.text.toStdString();
            EXPECT_GE(word.yMin, top - 0.5) << word.text.toStdString();
            EXPECT_LE(word.yMax, bottom + 0.5) << word.text.toStdString();
            part.push_back(word);
        }
        std::sort(part.begin(), part.end(), [](const PdfWord &a, const PdfWord &b) {
            return std::abs(a.yMin - b.yMin) > 1 ? a.yMin < b.yMin : a.xMin < b.xMin;
        });
        QString joined;
        for (const PdfWord &word : part)
            joined += word.text;
        return joined;
    };
    // The customer's name ends before the sale number, the address before the telephone.
    EXPECT_EQ(textOf(14.0, 6.1, saleCaption->xMin), u("客户名称：") + *content.customer);
    EXPECT_EQ(textOf(20.1, 6.1, phone->xMin), u("客户地址：") + address);
}
} // namespace
