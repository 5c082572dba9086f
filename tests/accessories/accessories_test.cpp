// The help window, the about box and the "技术支持" commands, reached through the main window's menus,
// with every outside target through the shell.
#include "accessories/aboutbox.h"
#include "accessories/helpwindow.h"
#include "accessories/makercontact.h"
#include "app/mainwindow.h"
#include "app/shop.h"
#include "app/shopmaintenance.h"
#include "tests/support/recordingshell.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {
class AccessoriesTest : public ::testing::Test {
  protected:
    void trigger(const char *name) { window->command(QString::fromLatin1(name))->trigger(); }

    TestEnv env;
    RecordingShell shell;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(env.database());
    Shop *shop = new Shop(env.database(), *window);
};
} // namespace

TEST_F(AccessoriesTest, TheHelpWindowShowsTheQuickStartTextLineByLine) {
    HelpWindow *help = shop->maintenance()->help();
    EXPECT_EQ(help->objectName(), QStringLiteral("Tchhform"));
    EXPECT_EQ(help->windowTitle(), u("使用帮助"));
    EXPECT_FALSE(help->isVisible()) << "made at the start, shown on demand";
    auto *pages = help->findChild<QTabWidget *>();
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->count(), 1);
    EXPECT_EQ(pages->tabText(0), u("快速使用"));
    EXPECT_TRUE(help->text()->isReadOnly());

    const QStringList lines = help->text()->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 22);
    const struct {
        int line;
        const char *text;
    } expected[] = {
        {1, "1、入库："},
        {4, "直接点击已经输入好的记录，自动填充入库窗口中，稍加修改就可以入库。"},
        {9, "比如：一个客户购买几件商品，销售的这几件商品就可以用同一个销售单号。"},
        {13, "小于库存报警数字的记录显示为红色，此数字可以自行设置，点表格后生效。"},
        {14, ""},
        {15, "小技巧："},
        {20, "5、超级管理员有最高权限，其他新增用户没有入库，查看入库单价和金额功能。"},
        {21, "6、支持各种查询结果导出Excel和打印功能"},
        {22, ""},
    };
    for (const auto &e : expected)
        EXPECT_EQ(lines[e.line - 1], u(e.text)) << "line " << e.line;

    trigger("N34");
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    help->close();
    EXPECT_FALSE(help->isVisible());
    EXPECT_EQ(shop->maintenance()->help(), help) << "closing only hides it";
    trigger("N34");
    EXPECT_TRUE(help->isVisible());
}

TEST_F(AccessoriesTest, TheAboutBoxIsModalAndItsAddressesOpenThroughTheShell) {
    AboutBox *about = shop->maintenance()->about();
    EXPECT_EQ(about->objectName(), QStringLiteral("TAboutBox"));
    EXPECT_EQ(about->windowTitle(), u("关于软件..."));
    for (QLabel *label : {about->mailLabel(), about->webLabel()}) {
        EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(label->toolTip(), u("云杉软件"));
    }
    EXPECT_EQ(about->mailLabel()->objectName(), QStringLiteral("Label7"));
    EXPECT_EQ(about->webLabel()->objectName(), QStringLiteral("Label3"));
    EXPECT_EQ(about->webLabel()->text(), maker::webAddress());
    EXPECT_EQ(makercontact::supportEmail(), QStringLiteral("support@jiasuisoft.cn"));

    bool checkedInside = false;
    QTimer::singleShot(0, about, [&] {
        checkedInside = true;
        EXPECT_TRUE(about->isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), about);
        QTest::mouseClick(about->mailLabel(), Qt::LeftButton);
        QTest::mouseClick(about->webLabel(), Qt::LeftButton);
        about->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
    });
    trigger("N30");
    EXPECT_TRUE(checkedInside);
    EXPECT_FALSE(about->isVisible());
    EXPECT_EQ(shell.urls, (QStringList{QStringLiteral("mailto:support@jiasuisoft.cn"), maker::webAddress()}));
}

TEST_F(AccessoriesTest, TheWebSiteCommandOpensTheMakersAddress) {
    EXPECT_TRUE(window->command(QStringLiteral("N21"))->isEnabled());
    trigger("N21");
    EXPECT_EQ(shell.urls, QStringList{maker::webAddress()});
}
