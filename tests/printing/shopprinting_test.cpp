// The prints in the assembled main window: "打印设置" from both menus, the ticket view's receipt and
// slip, the slip of the sales-detail window, and the texts of the settings window as they stand.
#include "app/shopprinting.h"
#include "app/shopreports.h"
#include "printing/previewwindow.h"
#include "printing/printsettingswindow.h"
#include "reports/salesdetailwindow.h"
#include "tests/printing/shopprintfixture.h"

#include <QAction>
#include <QScreen>

namespace {
TEST_F(ShopPrintTest, BothPrintSettingsCommandsBringTheOneSettingsWindowForward) {
    start();
    PrintSettingsWindow *settings = shop->printing()->settings();
    for (const char *name : {"N39", "N23"}) {
        settings->hide();
        QAction *command = window->command(QString::fromLatin1(name));
        ASSERT_TRUE(command->isEnabled()) << name;
        command->trigger();
        EXPECT_TRUE(settings->isVisible()) << name;
        EXPECT_FALSE(settings->isModal()) << name;
    }
    EXPECT_EQ(window->findChildren<PrintSettingsWindow *>().size(), 1);
}

TEST_F(ShopPrintTest, TheReceiptPrintsTheTicketWithTheTextsAsTypedAndTheNextTicketFollows) {
    start();
    receiptsToPdf();
    sell(pen, "1", u("王五"));
    sell(notebook, "1");
    const QString number = shop->salePanel()->saleNumber();
    ASSERT_EQ(ticket()->total()->text(), QStringLiteral("48.5"));
    // Edited and not saved: printed all the same.
    child(shop->printing()->settings(), "Edit1")->setText(u("青岚文具店小票"));
    ticket()->cash()->setText(QStringLiteral("50"));
    ticket()->receiptButton()->click();

    ASSERT_EQ(receipts, 1);
    const auto words = receiptWords(1);
    EXPECT_EQ(lineOf(words, u("青岚文具店小票")), QStringList{u("青岚文具店小票")});
    EXPECT_EQ(lineOf(words, u("销售单号：") + number), QStringList{u("销售单号：") + number});
    EXPECT_EQ(lineOf(words, u("收银员：张三")), QStringList{u("收银员：张三")});
    EXPECT_EQ(lineOf(words, u("钢笔")), (QStringList{u("钢笔"), QStringLiteral("1"), QStringLiteral("36")}));
    EXPECT_EQ(lineOf(words, u("笔记本")),
              (QStringList{u("笔记本"), QStringLiteral("1"), QStringLiteral("12.5")}));
    EXPECT_EQ(lineOf(words, u("合计:48.5元")), QStringList{u("合计:48.5元")});
    EXPECT_EQ(lineOf(words, u("现金:50.00元")), (QStringList{u("现金:50.00元"), u("找零:1.50元")}));
    EXPECT_EQ(lineOf(words, u("欢迎下次惠顾！")), QStringList{u("欢迎下次惠顾！")});
    EXPECT_TRUE(env.dialogs().texts().isEmpty()) << env.dialogs().lastText().toStdString();

    EXPECT_NE(shop->salePanel()->saleNumber(), number);
    EXPECT_EQ(ticket()->total()->text(), QStringLiteral("0"));
    // The empty next ticket is refused before anything is printed.
    ticket()->cash()->setText(QStringLiteral("50"));
    ticket()->receiptButton()->click();
    EXPECT_EQ(env.dialogs().lastText(), u("先进行销售"));
    EXPECT_EQ(receipts, 1);
}

TEST_F(ShopPrintTest, AReceiptThePrinterRefusesIsReportedAndTheTicketStaysToBePrintedAgain) {
    start();
    receipt::setRedirect([this](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(env.file(QStringLiteral("no such folder/receipt.pdf")));
    });
    sell(pen, "1");
    const QString number = shop->salePanel()->saleNumber();
    ticket()->cash()->setText(QStringLiteral("40"));
    ticket()->receiptButton()->click();
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_EQ(env.dialogs().shown()[0].kind, Dialogs::Kind::Error);
    EXPECT_TRUE(env.dialogs().lastText().contains(u("小票"))) << env.dialogs().lastText().toStdString();
    EXPECT_EQ(shop->salePanel()->saleNumber(), number);
    EXPECT_EQ(ticket()->total()->text(), QStringLiteral("36"));
    EXPECT_EQ(ticket()->cash()->text(), QStringLiteral("40"));
}

TEST_F(ShopPrintTest, TheTicketViewsSlipListsTheTicketOnTheSalesDetailListAndPreviewsIt) {
    start();
    slipsToPdf();
    sell(pen, "2", u("王五"));
    sell(notebook, "1");
    const QString number = shop->salePanel()->saleNumber();
    // A ticket whose number holds this one's stays off the slip.
    ASSERT_TRUE(env.database().execute(
        QStringLiteral("insert into data1 (a,z,[3],[4],day1) values ('橡皮',?,1,1,'2014-08-12')"),
        {QVariant(number + u("0"))}));
    ticket()->slipButton()->click();

    ASSERT_EQ(slips, 1);
    EXPECT_EQ(previewParent, window.get());
    const auto words = slipWords(1);
    EXPECT_TRUE(findWord(words, u("云杉软件销售单")));
    EXPECT_EQ(lineOf(words, u("客户名称：王五")),
              (QStringList{u("客户名称：王五"), u("单"), u("号：") + number}));
    EXPECT_EQ(
        lineOf(words, u("客户地址：青岚路8号")),
        (QStringList{u("客户地址：青岚路8号"), u("联系电话：13800000000"), u("日"), u("期：2014-08-12")}));
    EXPECT_EQ(lineOf(words, u("钢笔")).mid(0, 6), (QStringList{u("钢笔"), u("英雄616"), QStringLiteral("2"),
                                                               QStringLiteral("36"), QStringLiteral("72")}));
    EXPECT_TRUE(findWord(words, u("笔记本")));
    EXPECT_FALSE(findWord(words, u("橡皮")));
    EXPECT_TRUE(findWord(words, u("捌拾肆元伍角")) && findWord(words, u("￥84.5")));
    EXPECT_TRUE(findWord(words, u("制单人：张三")));

    SalesDetailWindow *detail = shop->reports()->salesDetail();
    EXPECT_EQ(detail->sales().rowCount(), 2) << "the list shows the ticket's rows";
    EXPECT_NE(shop->salePanel()->saleNumber(), number) << "the next ticket follows";
    // The next ticket is empty: refused, and the ticket after it follows all the same.
    const QString empty = shop->salePanel()->saleNumber();
    ticket()->slipButton()->click();
    EXPECT_EQ(env.dialogs().lastText(), u("先进行销售"));
    EXPECT_EQ(slips, 1);
    EXPECT_NE(shop->salePanel()->saleNumber(), empty);
}

TEST_F(ShopPrintTest, TheSalesDetailWindowPreviewsTheSlipOfItsSaleNumberField) {
    start();
    slipsToPdf();
    sell(pen, "1", u("王五"));
    const QString number = shop->salePanel()->saleNumber();
    SalesDetailWindow *detail = shop->reports()->salesDetail();
    detail->slipSaleNumber()->clear();
    detail->slipPreviewButton()->click();
    EXPECT_EQ(env.dialogs().texts(), QStringList{u("点选要打印的某行记录")});
    EXPECT_EQ(slips, 0);

    // The confirmed sale put its number into the field; "查 询" lists that ticket alone.
    detail->takeSale(u("王五"), number);
    ASSERT_TRUE(env.database().execute(QStringLiteral(
        "insert into data1 (a,z,[3],[4],day1) values ('橡皮','20140801001',1,1,'2014-08-01')")));
    detail->showAllRecords();
    ASSERT_EQ(detail->sales().rowCount(), 2);
    detail->slipSearchButton()->click();
    EXPECT_EQ(detail->sales().rowCount(), 1);

    detail->slipSaleNumber()->setText(QStringLiteral(" ") + number);
    detail->slipPreviewButton()->click();
    ASSERT_EQ(slips, 1);
    EXPECT_EQ(previewParent, detail);
    const auto words = slipWords(1);
    // The number as typed, its blank included.
    EXPECT_EQ(lineOf(words, u("客户名称：王五")),
              (QStringList{u("客户名称：王五"), u("单"), u("号："), number}));
    EXPECT_TRUE(findWord(words, u("叁拾陆元整")) && findWord(words, u("￥36")));

    // A number of no ticket: a slip with no rows and a total of 0.
    detail->slipSaleNumber()->setText(QStringLiteral("20990101001"));
    detail->slipPreviewButton()->click();
    ASSERT_EQ(slips, 2);
    EXPECT_EQ(detail->sales().rowCount(), 0);
    const auto none = slipWords(2);
    EXPECT_TRUE(findWord(none, u("￥0")));
    EXPECT_FALSE(findWord(none, u("钢笔")));
    EXPECT_TRUE(findWord(none, u("制单人：张三")));
}

TEST_F(ShopPrintTest, SavedTextsAreThoseOfTheNextRunAndAnEmptyFirstSloganLeavesTheBandOut) {
    start();
    PrintSettingsWindow *settings = shop->printing()->settings();
    child(settings, "Edit5")->setText(u("青岚文具店销售单"));
    child(settings, "Edit7")->clear();
    child(settings, "Edit8")->setText(u("第二句宣传语"));
    child<QToolButton>(settings, "Image1")->click();
    EXPECT_EQ(env.dialogs().texts(), QStringList{u("已保存成功！")});
    sell(pen, "1");

    // The next run.
    shop = nullptr;
    window = std::make_unique<MainWindow>(env.database());
    shop = new Shop(env.database(), *window);
    start();
    slipsToPdf();
    EXPECT_EQ(child(shop->printing()->settings(), "Edit5")->text(), u("青岚文具店销售单"));
    SalesDetailWindow *detail = shop->reports()->salesDetail();
    detail->slipSaleNumber()->setText(QStringLiteral("20140812001"));
    detail->slipPreviewButton()->click();
    ASSERT_EQ(slips, 1);
    const auto words = slipWords(1);
    EXPECT_TRUE(findWord(words, u("青岚文具店销售单")));
    EXPECT_TRUE(findWord(words, u("钢笔")));
    EXPECT_FALSE(findWord(words, u("第二句宣传语")));
}
} // namespace

// The slip's preview opens as large as the other previews, the page as wide as the window: a slip is
// read there before it is printed.
TEST_F(ShopPrintTest, TheSlipPreviewOpensAtAReadableSize) {
    start();
    sell(pen, "1", u("王五"));
    QSize size;
    QPrintPreviewWidget::ZoomMode zoom = QPrintPreviewWidget::CustomZoom;
    slip::setPreviewRunner([&](QPrintPreviewDialog &dialog) {
        size = dialog.size();
        if (auto *preview = dialog.findChild<QPrintPreviewWidget *>()) zoom = preview->zoomMode();
    });
    ticket()->slipButton()->click();
    EXPECT_EQ(size, previewwindow::size(window->screen()->availableGeometry()));
    EXPECT_EQ(zoom, QPrintPreviewWidget::FitToWidth);
}
