// The sales slip printed to a PDF and read back: its bands, their texts and places, the slogan band
// that comes and goes with dan3, the customer lines of NULL and empty values, and the pages of a long
// ticket.
#include "printing/printtexts.h"
#include "printing/slip.h"
#include "printing/slippreview.h"
#include "store/dataset.h"
#include "tests/printing/pdftext.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <gtest/gtest.h>

namespace {
const QString Ticket = QStringLiteral("20140812003");

// Millimetres on the page to PDF points, with the slip's left and top margins.
double xPoints(double mm) {
    return (15 + mm) * 72 / 25.4;
}

class SlipTest : public ::testing::Test {
  protected:
    ~SlipTest() override { slip::setPreviewRunner({}); }

    void addLine(const char *name, const char *model, const char *code, double price, double quantity,
                 const QVariant &customer = u("王五"), const QVariant &address = u("青岚路8号"),
                 const QVariant &phone = QStringLiteral("13800000000")) {
        ASSERT_TRUE(env.database().execute(
            QStringLiteral(
                "insert into data1 (a,b,c,g,h,i,j,z,[2],[3],[4],day1) values (?,?,?,?,?,?,?,?,?,?,?,?)"),
            {u(name), u(model), QString::fromLatin1(code), customer, address, phone, u("送货上门"), Ticket,
             price, quantity, price * quantity, QStringLiteral("2014-08-12")}));
    }
    slip::Content content(const PrintTexts &texts = PrintTexts::defaults()) {
        Dataset listed;
        EXPECT_TRUE(listed.load(env.database(), QStringLiteral("select * from data1 where z=? order by ID"),
                                {Ticket}));
        const QString total = QString::number(listed.total(QStringLiteral("4")));
        slip::Content filled = slip::fill(listed, texts, Ticket, total, u("张三"), QDate(2014, 8, 12));
        slip::fillCapital(filled, nullptr);
        return filled;
    }
    std::vector<PdfWord> print(const slip::Content &slip, int *pages = nullptr) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        slip::setUpPage(printer);
        const int printed = slip::render(printer, slip);
        if (pages) *pages = printed;
        return pdfWords(pdf);
    }
    void threeLines() {
        addLine("钢笔", "英雄616", "6901", 12, 2);
        addLine("笔记本", "A5", "6902", 6.25, 2);
        addLine("墨水", "蓝黑", "6903", 12, 1);
    }

    TestEnv env;
    QString pdf = env.file(QStringLiteral("slip.pdf"));
};

TEST_F(SlipTest, AThreeLineTicketPrintsItsBandsWithTheTotalInFiguresAndCapitals) {
    threeLines();
    PrintTexts texts = PrintTexts::defaults();
    texts.slipSlogan1 = u("一次购买终身升级");
    texts.slipSlogan2 = u("官网：jiasuisoft.cn");
    int pages = 0;
    const auto words = print(content(texts), &pages);
    EXPECT_EQ(pages, 1);

    EXPECT_EQ(lineOf(words, u("云杉软件销售单")), QStringList{u("云杉软件销售单")});
    EXPECT_EQ(lineOf(words, u("客户名称：王五")),
              (QStringList{u("客户名称：王五"), u("单"), u("号：20140812003")}));
    EXPECT_EQ(
        lineOf(words, u("客户地址：青岚路8号")),
        (QStringList{u("客户地址：青岚路8号"), u("联系电话：13800000000"), u("日"), u("期：2014-08-12")}));
    EXPECT_EQ(lineOf(words, u("商品名称")),
              (QStringList{u("商品名称"), u("规格型号"), u("编"), u("码"), u("数量"), u("单"), u("价"),
                           u("金"), u("额"), u("备"), u("注")}));
    EXPECT_EQ(lineOf(words, u("钢笔")),
              (QStringList{u("钢笔"), u("英雄616"), QStringLiteral("6901"), QStringLiteral("2"),
                           QStringLiteral("12"), QStringLiteral("24"), u("送货上门")}));
    EXPECT_EQ(lineOf(words, u("笔记本")),
              (QStringList{u("笔记本"), QStringLiteral("A5"), QStringLiteral("6902"), QStringLiteral("2"),
                           QStringLiteral("6.25"), QStringLiteral("12.5"), u("送货上门")}));
    EXPECT_EQ(lineOf(words, u("墨水")).size(), 7);
    EXPECT_EQ(lineOf(words, u("（大写）")), (QStringList{u("（大写）"), u("肆拾捌元伍角")}));
    EXPECT_TRUE(findWord(words, u("￥48.5")));
    EXPECT_TRUE(findWord(words, u("合")) && findWord(words, u("人民币")));
    EXPECT_EQ(lineOf(words, u("一次购买终身升级")), QStringList{u("一次购买终身升级")});
    EXPECT_TRUE(findWord(words, u("官网：jiasuisoft.cn")));
    EXPECT_EQ(lineOf(words, u("收货人：")), (QStringList{u("收货人："), u("送货人："), u("制单人：张三")}));

    // The bands in their order down the page.
    const auto top = [&](const char *text) { return findWord(words, u(text))->yMin; };
    EXPECT_LT(top("云杉软件销售单"), top("客户名称：王五"));
    EXPECT_LT(top("客户名称：王五"), top("客户地址：青岚路8号"));
    EXPECT_LT(top("客户地址：青岚路8号"), top("商品名称"));
    EXPECT_LT(top("商品名称"), top("钢笔"));
    EXPECT_LT(top("钢笔"), top("笔记本"));
    EXPECT_LT(top("墨水"), top("（大写）"));
    EXPECT_LT(top("（大写）"), top("一次购买终身升级"));
    EXPECT_LT(top("一次购买终身升级"), top("收货人："));

    // Places in millimetres: the title centred on the band, the figures ending at their columns'
    // right edges, the texts starting at theirs.
    const PdfWord *title = findWord(words, u("云杉软件销售单"));
    EXPECT_NEAR((title->xMin + title->xMax) / 2, xPoints(90.1), 2);
    EXPECT_NEAR(findWord(words, QStringLiteral("6.25"))->xMax, xPoints(129.9), 1.5);
    EXPECT_NEAR(findWord(words, QStringLiteral("12.5"))->xMax, xPoints(147.7), 1.5);
    EXPECT_NEAR(findWord(words, u("笔记本"))->xMin, xPoints(2.1), 1.5);
    EXPECT_NEAR(findWord(words, QStringLiteral("A5"))->xMin, xPoints(36.8), 1.5);
    EXPECT_NEAR(findWord(words, u("￥48.5"))->xMin, xPoints(136.3), 1.5);
    EXPECT_NEAR(findWord(words, u("制单人：张三"))->xMin, xPoints(130.7), 1.5);
}

TEST_F(SlipTest, TheSloganBandIsLeftOutWhileTheFirstSloganIsEmpty) {
    threeLines();
    PrintTexts texts = PrintTexts::defaults();
    texts.slipSlogan1.clear();
    texts.slipSlogan2 = u("第二句宣传语");
    auto words = print(content(texts));
    EXPECT_FALSE(findWord(words, u("第二句宣传语")));
    EXPECT_TRUE(findWord(words, u("制单人：张三")));

    texts.slipSlogan1 = u("第一句宣传语");
    words = print(content(texts));
    EXPECT_TRUE(findWord(words, u("第一句宣传语")));
    EXPECT_TRUE(findWord(words, u("第二句宣传语")));
}

TEST_F(SlipTest, ANullCustomerValueEmptiesItsLineAndAnEmptyOnePrintsTheCaptionAlone) {
    addLine("钢笔", "", "6901", 12, 1, QVariant(), QStringLiteral(""), QVariant());
    const auto words = print(content());
    EXPECT_FALSE(findWord(words, u("客户名称：")));
    EXPECT_FALSE(findWord(words, u("联系电话：")));
    EXPECT_TRUE(findWord(words, u("客户地址：")));
    EXPECT_EQ(lineOf(words, u("单")).mid(0, 2), (QStringList{u("单"), u("号：20140812003")}));
}

// A return ticket is everyday business: its slip prints the capitals of the negative total, nothing
// is asked.
TEST_F(SlipTest, AReturnTicketPrintsItsNegativeTotalInCapitalsWithoutMessages) {
    addLine("钢笔", "", "6901", 12, -3);
    const slip::Content made = content();
    EXPECT_EQ(env.dialogs().texts(), QStringList());
    EXPECT_EQ(made.capital, u("负叁拾陆元整"));
    const auto words = print(made);
    EXPECT_EQ(lineOf(words, u("（大写）")), (QStringList{u("（大写）"), u("负叁拾陆元整")}));
    EXPECT_TRUE(findWord(words, u("￥-36")));
}

TEST_F(SlipTest, ALongTicketRunsOnToMorePagesEachUnderTheColumnHeader) {
    for (int i = 1; i <= 60; ++i)
        addLine("钢笔", "", "6901", i, 1);
    int pages = 0;
    const auto words = print(content(), &pages);
    ASSERT_GE(pages, 2);
    int rows = 0;
    for (int page = 1; page <= pages; ++page) {
        EXPECT_TRUE(findWord(words, u("商品名称"), page)) << page;
        EXPECT_EQ(findWord(words, u("云杉软件销售单"), page) != nullptr, page == 1) << page;
        for (const PdfWord &word : words)
            rows += word.page == page && word.text == u("钢笔");
    }
    EXPECT_EQ(rows, 60);
    EXPECT_TRUE(findWord(words, u("制单人：张三"), pages));
    EXPECT_TRUE(findWord(words, u("￥1830"), pages));
}

TEST_F(SlipTest, ThePreviewPrintsTheSlipOnA4WithItsMargins) {
    threeLines();
    const slip::Content made = content();
    bool previewed = false;
    slip::setPreviewRunner([&](QPrintPreviewDialog &dialog) {
        auto *preview = dialog.findChild<QPrintPreviewWidget *>();
        ASSERT_NE(preview, nullptr);
        preview->updatePreview();
        EXPECT_EQ(preview->pageCount(), 1);
        QPrinter *printer = dialog.printer();
        EXPECT_EQ(printer->pageLayout().pageSize().id(), QPageSize::A4);
        EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Portrait);
        EXPECT_EQ(printer->pageLayout().margins(QPageLayout::Millimeter), QMarginsF(15, 10, 15, 10));
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        preview->print();
        previewed = true;
    });
    slip::preview(made, nullptr);
    ASSERT_TRUE(previewed);
    EXPECT_TRUE(findWord(pdfWords(pdf), u("￥48.5")));
}
} // namespace
