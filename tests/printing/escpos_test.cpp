// The receipt as ESC/POS bytes, read back by our own reader: for tickets of every awkward shape on
// 58 and 80 mm rolls, every line fits, the Chinese comes back (a character the printer lacks as "?"),
// the figures are the ticket's, the bar code carries the sale number, cut and pulse as set.
#include "printing/escposreceipt.h"
#include "printing/escpostext.h"
#include "tests/printing/escposreader.h"
#include "tests/printing/receiptcontent.h"
#include "tests/support/typing.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {
using escpos::Paper;

// Columns as the printer counts them: the bytes of the GBK form ("?" stands for itself).
int columns(const QString &text) {
    QStringEncoder gbk("GBK");
    return static_cast<int>(QByteArray(gbk(text)).size());
}

struct Goods {
    QString name, quantity, amount;
    QString shown; // the name as the printer shows it
};

struct TicketCase {
    const char *label;
    std::vector<Goods> goods;
    QString total, cash, change;
    QString cashShown, changeShown;
    QString cashier = u("张三"), cashierShown = u("张三");
    QString slogan = u("嘉穗进销存软件提供技术支持"), sloganShown = u("嘉穗进销存软件提供技术支持");

    receipt::Content content() const {
        receipt::Content content = ordinaryReceipt();
        for (const Goods &g : goods)
            content.lines.push_back({g.name, g.quantity, g.amount});
        content.total = total;
        content.cash = cash;
        content.change = change;
        content.cashier = cashier;
        content.slogan1 = slogan;
        return content;
    }
};

Goods plain(const QString &name, const QString &quantity, const QString &amount) {
    return {name, quantity, amount, name};
}

std::vector<TicketCase> tickets() {
    std::vector<TicketCase> cases;
    cases.push_back({"one line",
                     {plain(u("晨光中性笔0.5黑色"), u("2"), u("7.5"))},
                     u("7.5"),
                     u("10"),
                     u("2.5"),
                     u("10.00"),
                     u("2.50")});
    cases.push_back({"sixty-character name",
                     {plain(u("一二三四五六七八九十").repeated(6), u("1"), u("12.5"))},
                     u("12.5"),
                     u("20"),
                     u("7.5"),
                     u("20.00"),
                     u("7.50")});
    cases.push_back(
        {"return", {plain(u("鼠标"), u("-1"), u("-36"))}, u("-36"), u("0"), u("36"), u("0.00"), u("36.00")});
    TicketCase forty{"forty lines", {}, u("1230"), u("1300"), u("70"), u("1300.00"), u("70.00")};
    for (int i = 1; i <= 40; ++i)
        forty.goods.push_back(
            plain(u("商品%1号笔记本A5").arg(i), QString::number(i), QString::number(i * 1.5)));
    cases.push_back(forty);
    cases.push_back({"nine-digit figures",
                     {plain(u("晨光笔"), u("123456789.12"), u("123456789.12"))},
                     u("123456789.12"),
                     u("123456789.12"),
                     u("0"),
                     u("123456789.12"),
                     u("0.00")});
    TicketCase rare{"characters outside GBK",
                    {{u("䶮龑𠀀牌钢笔"), u("1"), u("88"), u("䶮龑?牌钢笔")}},
                    u("88"),
                    u("100"),
                    u("12"),
                    u("100.00"),
                    u("12.00")};
    rare.cashier = u("王𠀀");
    rare.cashierShown = u("王?");
    rare.slogan = u("欢迎𠀀光临");
    rare.sloganShown = u("欢迎?光临");
    cases.push_back(rare);
    // Wider together than a 58 mm line: each figure on a line of its own there.
    cases.push_back({"figures wider than the roll",
                     {plain(u("笔"), u("1.23456789012345e+20"), u("-1.23456789012345e+20"))},
                     u("1"),
                     u("1"),
                     u("0"),
                     u("1.00"),
                     u("0.00")});
    return cases;
}

std::vector<EscposLine>::const_iterator findLine(const std::vector<EscposLine> &lines, const QString &text) {
    return std::find_if(lines.begin(), lines.end(),
                        [&](const EscposLine &line) { return line.text == text; });
}

bool atRightEdge(const EscposLine &line, const QString &figure, int width) {
    const QString &text = line.text;
    return line.columns == width && text.endsWith(figure) &&
           (text.size() == figure.size() || text.at(text.size() - figure.size() - 1) == QLatin1Char(' '));
}

// The goods lines after the header: each name (over one or more lines) with its figures, the amount
// at the right edge, the quantity before it, the quantities ending in one column.
void checkGoods(const std::vector<EscposLine> &lines, std::size_t i, const TicketCase &ticket, int width) {
    std::optional<int> quantityEnd;
    for (const Goods &goods : ticket.goods) {
        SCOPED_TRACE(goods.name.toStdString());
        const std::size_t start = i;
        while (i < lines.size() && !atRightEdge(lines[i], goods.amount, width))
            ++i;
        ASSERT_LT(i, lines.size()) << "no line ends with the amount " << goods.amount.toStdString();
        const QString before = lines[i].text.chopped(goods.amount.size());
        QString nameTail;
        std::size_t nameEnd = i;
        if (before.trimmed().isEmpty()) { // the quantity on the line above, alone at the right edge
            ASSERT_GT(i, start);
            ASSERT_TRUE(atRightEdge(lines[i - 1], goods.quantity, width)) << lines[i - 1].text.toStdString();
            EXPECT_EQ(lines[i - 1].text.trimmed(), goods.quantity);
            nameEnd = i - 1;
        } else {
            const QString left = before.trimmed();
            ASSERT_TRUE(left.endsWith(goods.quantity)) << lines[i].text.toStdString();
            nameTail = left.chopped(goods.quantity.size());
            ASSERT_TRUE(nameTail.isEmpty() || nameTail.endsWith(QLatin1Char(' ')))
                << lines[i].text.toStdString();
            const int end = width -
                            columns(before.mid(before.lastIndexOf(goods.quantity) + goods.quantity.size())) -
                            columns(goods.amount);
            if (quantityEnd) {
                EXPECT_EQ(end, *quantityEnd) << "the quantities do not stand in one column";
            }
            quantityEnd = end;
        }
        QString name;
        for (std::size_t n = start; n < nameEnd; ++n)
            name += lines[n].text;
        EXPECT_EQ(name + nameTail.trimmed(), goods.shown);
        ++i;
    }
    ASSERT_LT(i, lines.size());
    EXPECT_EQ(lines[i].text, QString(width, QLatin1Char('-'))) << "a line too many after the goods";
}

// "合计：…元" with the figure at the right edge, on the label's line or the lines after it.
void checkLabelled(const std::vector<EscposLine> &lines, const QString &label, const QString &figure,
                   int width) {
    const auto line = std::find_if(lines.begin(), lines.end(),
                                   [&](const EscposLine &l) { return l.text.startsWith(label); });
    ASSERT_NE(line, lines.end()) << label.toStdString();
    QString text = line->text;
    auto last = line;
    if (text == label) text += (++last)->text.trimmed();
    EXPECT_EQ(text.remove(QLatin1Char(' ')), label + figure + u("元"));
    EXPECT_EQ(last->columns, width) << "not at the right edge: " << last->text.toStdString();
}

void checkCopy(const std::vector<EscposLine> &lines, const TicketCase &ticket, int width) {
    const receipt::Content content = ticket.content();
    QString title;
    for (const EscposLine &line : lines)
        if (line.doubleSize) {
            title += line.text;
            EXPECT_TRUE(line.centred);
        }
    EXPECT_EQ(title, content.title);
    EXPECT_EQ(lines.front().text, content.title) << "the title first";
    for (const QString &text :
         {QString(u("销售单号：") + content.saleNumber), QString(u("收银员：") + ticket.cashierShown),
          u("打印时间：2014-08-12 10:30:05"), ticket.sloganShown, content.slogan2, content.closing})
        EXPECT_NE(findLine(lines, text), lines.end()) << text.toStdString();
    // The column heads laid out as goods are: on one line, or the name above the figures' heads.
    const auto names = std::find_if(lines.begin(), lines.end(), [](const EscposLine &line) {
        return line.text.startsWith(u("商品名称"));
    });
    const auto header = std::find_if(names, lines.end(),
                                     [](const EscposLine &line) { return line.text.endsWith(u("金额")); });
    ASSERT_NE(header, lines.end());
    checkGoods(lines, static_cast<std::size_t>(header - lines.begin()) + 1, ticket, width);
    checkLabelled(lines, u("合计："), ticket.total, width);
    checkLabelled(lines, u("现金："), ticket.cashShown, width);
    checkLabelled(lines, u("找零："), ticket.changeShown, width);
}

TEST(EscposReceipt, EveryTicketFitsItsRollAndReadsBackAsTheTicket) {
    const escpos::Options optionSets[] = {
        {Paper::Mm58, true, 0, 1},
        {Paper::Mm58, false, 2, 2},
        {Paper::Mm80, true, 5, 3},
        {Paper::Mm80, false, 0, 1},
    };
    for (const TicketCase &ticket : tickets()) {
        for (const escpos::Options &options : optionSets) {
            const int width = escpos::columnsOf(options.paper);
            SCOPED_TRACE(std::string(ticket.label) + ", " + std::to_string(width) + " columns, " +
                         std::to_string(options.copies) + " copies");
            const auto bytes = escpos::receiptBytes(ticket.content(), options);
            ASSERT_TRUE(bytes);
            const EscposDocument doc = readEscpos(*bytes);
            EXPECT_TRUE(doc.faults.isEmpty()) << doc.faults.join(u("; ")).toStdString();
            EXPECT_EQ(doc.resets, 1);
            EXPECT_TRUE(doc.chinese);
            for (const EscposLine &line : doc.lines)
                EXPECT_LE(line.columns, width) << line.text.toStdString();

            EXPECT_EQ(doc.cuts.size(), options.cut ? std::size_t(options.copies) : 0u);
            ASSERT_EQ(doc.pulses.size(), options.drawerPin ? 1u : 0u);
            if (options.drawerPin) {
                EXPECT_EQ(doc.pulses[0][0], options.drawerPin == 2 ? 0 : 1);
            }
            ASSERT_EQ(doc.barcodes.size(), std::size_t(options.copies));
            for (const EscposBarcode &code : doc.barcodes) {
                EXPECT_EQ(code.data, "20140812001");
                EXPECT_LE((11 * code.data.size() + 35) * code.moduleWidth, escpos::dotsOf(options.paper));
                EXPECT_GE(code.moduleWidth, 2);
            }

            const std::vector<EscposLine> first = doc.linesOfCopy(0);
            checkCopy(first, ticket, width);
            for (int copy = 1; copy < options.copies; ++copy) {
                const std::vector<EscposLine> again = doc.linesOfCopy(copy);
                ASSERT_EQ(again.size(), first.size()) << "copy " << copy;
                for (std::size_t i = 0; i < first.size(); ++i)
                    EXPECT_EQ(again[i].text, first[i].text);
            }
            EXPECT_TRUE(doc.linesOfCopy(options.copies).empty()) << "more copies than asked for";
        }
    }
}

TEST(EscposReceipt, ACashOrChangeThatIsNoNumberGivesNoBytes) {
    receipt::Content content = ordinaryReceipt();
    content.cash = u("十");
    content.change = u("0");
    QString error;
    EXPECT_FALSE(escpos::receiptBytes(content, {}, &error));
    EXPECT_EQ(error, u("现金不是有效的数字！"));
    content.cash = u("10");
    content.change = QString();
    EXPECT_FALSE(escpos::receiptBytes(content, {}, &error));
    EXPECT_EQ(error, u("找零不是有效的数字！"));
}

TEST(EscposReceipt, TheBarCodeOnlyWhereItIsReadable) {
    const struct {
        const char *number;
        Paper paper;
        const char *data; // nullptr: no bar code
    } cases[] = {
        {"20140812001", Paper::Mm58, "20140812001"},
        {"201408120001", Paper::Mm58, "201408120001"},
        // Fourteen characters are wider than 384 dots at two dots a module, not than 576.
        {"20140812000001", Paper::Mm58, nullptr},
        {"20140812000001", Paper::Mm80, "20140812000001"},
        {"A{1}", Paper::Mm58, "A{1}"},
        {"单号1", Paper::Mm80, nullptr},
        {"  ", Paper::Mm80, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.number);
        receipt::Content content = ordinaryReceipt();
        content.cash = content.change = u("0");
        content.saleNumber = u(c.number);
        const EscposDocument doc = readEscpos(*escpos::receiptBytes(content, {c.paper, true, 0, 1}));
        EXPECT_TRUE(doc.faults.isEmpty()) << doc.faults.join(u("; ")).toStdString();
        if (!c.data) {
            EXPECT_TRUE(doc.barcodes.empty());
            continue;
        }
        ASSERT_EQ(doc.barcodes.size(), 1u);
        EXPECT_EQ(doc.barcodes[0].data, QByteArray(c.data));
        EXPECT_EQ(doc.barcodes[0].hri, 2);
        EXPECT_LE((11 * doc.barcodes[0].data.size() + 55) * doc.barcodes[0].moduleWidth,
                  escpos::dotsOf(c.paper));
    }
}

TEST(EscposText, EncodesWhatThePrinterShowsAndQuestionMarksTheRest) {
    QString lone;
    lone += QChar(0xD840);
    const struct {
        QString text;
        QByteArray bytes;
    } cases[] = {
        {u("中文"), QByteArray("\xD6\xD0\xCE\xC4")},
        {u("䶮"), QByteArray("\xFE\x9F")},
        {u("A𠀀B"), QByteArray("A?B")},
        {u("ﾟ"), QByteArray("?")}, // four bytes in GB18030
        {u("a\x1B@b\tc\x7F"), QByteArray("a?@b c?")},
        {lone + u("中"), QByteArray("?\xD6\xD0")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(escpos::encode(c.text).toHex(), c.bytes.toHex()) << c.text.toStdString();
}

TEST(EscposText, WrapsByColumnsAndNeverSplitsACharacter) {
    const QByteArray text = escpos::encode(u("A中文BC字"));
    EXPECT_EQ(escpos::wrap(text, 2), (QList<QByteArray>{"A", escpos::encode(u("中")), escpos::encode(u("文")),
                                                        "BC", escpos::encode(u("字"))}));
    EXPECT_EQ(escpos::wrap(text, 4), (QList<QByteArray>{escpos::encode(u("A中")), escpos::encode(u("文BC")),
                                                        escpos::encode(u("字"))}));
    EXPECT_EQ(escpos::wrap(text, 9), QList<QByteArray>{text});
    EXPECT_TRUE(escpos::wrap({}, 9).isEmpty());
    EXPECT_EQ(escpos::alignRight("12", 5), "   12");
    EXPECT_EQ(escpos::alignLeft("12", 5), "12   ");
    EXPECT_EQ(escpos::alignRight("123456", 5), "123456");
}

TEST(EscposTestReceipt, ShowsTheShopBothRulersChineseInBothSizesAndTheTime) {
    for (const Paper paper : {Paper::Mm58, Paper::Mm80}) {
        for (const bool cut : {true, false}) {
            const QByteArray bytes = escpos::testReceiptBytes(
                u("云杉文具店"), QDateTime(QDate(2014, 8, 12), QTime(9, 5, 7)), {paper, cut, 2, 3});
            const EscposDocument doc = readEscpos(bytes);
            EXPECT_TRUE(doc.faults.isEmpty()) << doc.faults.join(u("; ")).toStdString();
            ASSERT_FALSE(doc.lines.empty());
            EXPECT_EQ(doc.lines.front().text, u("云杉文具店"));
            EXPECT_TRUE(doc.lines.front().doubleSize);
            EXPECT_NE(findLine(doc.lines, u("12345678901234567890123456789012")), doc.lines.end());
            EXPECT_NE(findLine(doc.lines, u("123456789012345678901234567890123456789012345678")),
                      doc.lines.end());
            const auto big = findLine(doc.lines, u("中文大字"));
            ASSERT_NE(big, doc.lines.end());
            EXPECT_TRUE(big->doubleSize);
            EXPECT_LE(big->columns, escpos::columnsOf(paper));
            const auto small = std::find_if(doc.lines.begin(), doc.lines.end(), [](const EscposLine &line) {
                return line.text.startsWith(u("中文")) && !line.doubleSize;
            });
            EXPECT_NE(small, doc.lines.end());
            EXPECT_NE(findLine(doc.lines, u("时间：2014-08-12 09:05:07")), doc.lines.end());
            EXPECT_EQ(doc.cuts.size(), cut ? 1u : 0u) << "one page, whatever the copies";
            EXPECT_TRUE(doc.pulses.empty()) << "the test page leaves the drawer shut";
        }
    }
}

TEST(EscposReceipt, TheDrawerPulseNamesItsPin) {
    EXPECT_EQ(escpos::drawerPulse(2).toHex(), QByteArray("\x1Bp\x00\x19\xFA", 5).toHex());
    EXPECT_EQ(escpos::drawerPulse(5).toHex(), QByteArray("\x1Bp\x01\x19\xFA", 5).toHex());
    EXPECT_TRUE(escpos::drawerPulse(0).isEmpty());
    EXPECT_TRUE(escpos::drawerPulse(3).isEmpty());
}
} // namespace
