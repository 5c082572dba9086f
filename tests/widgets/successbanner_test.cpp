// The success banner: a second message replaces the text without lengthening the display.
#include "widgets/successbanner.h"

#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
class SuccessBannerTest : public ::testing::Test {
  protected:
    SuccessBannerTest() {
        window.resize(600, 400);
        window.show();
    }
    QWidget window;
    SuccessBanner *banner = new SuccessBanner(&window);
};

TEST_F(SuccessBannerTest, HiddenAtStartInTheTopLeftCorner) {
    EXPECT_FALSE(banner->isVisible());
    EXPECT_FALSE(banner->timer()->isActive());
    EXPECT_EQ(banner->objectName(), QStringLiteral("Panel4"));
    EXPECT_EQ(banner->timer()->objectName(), QStringLiteral("Timer2"));
    EXPECT_EQ(banner->geometry(), QRect(0, 0, 257, 49));
    EXPECT_TRUE(banner->font().bold());
    EXPECT_EQ(banner->palette().color(QPalette::WindowText), QColor(Qt::white));
}

TEST_F(SuccessBannerTest, ASecondMessageKeepsTheFirstTimer) {
    banner->showMessage(QStringLiteral("数据入库成功..."));
    EXPECT_TRUE(banner->isVisible());
    EXPECT_TRUE(banner->timer()->isActive());
    EXPECT_EQ(banner->timer()->interval(), 2000);
    QTest::qWait(200);
    const int leftAfterFirst = banner->timer()->remainingTime();

    banner->showMessage(QStringLiteral("销售数据保存成功..."));

    EXPECT_EQ(banner->text(), QStringLiteral("销售数据保存成功..."));
    EXPECT_LE(banner->timer()->remainingTime(), leftAfterFirst) << "the timer was started again";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !banner->isVisible(); }, 4000));
    EXPECT_FALSE(banner->timer()->isActive());
}

TEST_F(SuccessBannerTest, TheNextMessageAfterHidingGetsAFreshTimer) {
    banner->showMessage(QStringLiteral("修改数据成功..."));
    ASSERT_TRUE(QMetaObject::invokeMethod(banner->timer(), "timeout")); // the tick, without waiting
    EXPECT_FALSE(banner->isVisible());

    banner->showMessage(QStringLiteral("删除数据成功..."));
    EXPECT_TRUE(banner->isVisible());
    EXPECT_GT(banner->timer()->remainingTime(), 1500);
}
} // namespace
