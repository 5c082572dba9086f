// The five stored skins: loading by index, the stored choice, and the red stock rows under every skin.
#include "widgets/skins.h"

#include "store/settingsstore.h"
#include "tests/support/focusmark.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class SkinsTest : public ::testing::Test {
  protected:
    TestEnv env;
    void TearDown() override { qApp->setStyleSheet(QString()); }
};

TEST_F(SkinsTest, FiveNamedSkinsEachWithItsOwnLook) {
    const char *captions[] = {"黑色经典(皮肤)", "蓝色幻想(皮肤)", "梦幻天空(皮肤)", "黑色遐想(皮肤)",
                              "梦想成真(皮肤)"};
    const char *items[] = {"N19", "N26", "N32", "N42", "N52"};
    ASSERT_EQ(skins::stored().size(), 5u);
    QStringList sheets;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(skins::stored()[i].caption, QString::fromUtf8(captions[i]));
        EXPECT_EQ(skins::stored()[i].item, QString::fromLatin1(items[i]));
        sheets << skins::styleSheet(i);
    }
    sheets.removeDuplicates();
    EXPECT_EQ(sheets.size(), 5);
    EXPECT_TRUE(skins::styleSheet(5).isEmpty());
}

TEST_F(SkinsTest, ChoosingASkinLoadsItAndStoresItsIndex) {
    ASSERT_TRUE(skins::choose(4));
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("skin")), QStringLiteral("4"));
    EXPECT_EQ(qApp->styleSheet(), skins::styleSheet(4));
    EXPECT_EQ(skins::loaded(), 4);
}

TEST_F(SkinsTest, AStoredValueWithoutASkinChangesNothing) {
    ASSERT_TRUE(skins::load(1));
    for (const char *value : {"5", "9", "", " 2", "a", "-1", "22"}) {
        EXPECT_FALSE(skins::loadFromSetting(QString::fromLatin1(value))) << value;
        EXPECT_EQ(skins::loaded(), 1) << value;
        EXPECT_EQ(qApp->styleSheet(), skins::styleSheet(1)) << value;
    }
    EXPECT_TRUE(skins::loadFromSetting(QStringLiteral("0")));
    EXPECT_EQ(skins::loaded(), 0);
}

TEST_F(SkinsTest, ListsKeepTheRedTheirModelGivesACell) {
    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), QStringLiteral("██████"));
    model.setData(model.index(0, 0), QColor(255, 0, 0), Qt::ForegroundRole);
    for (int index = 0; index < 5; ++index) {
        ASSERT_TRUE(skins::load(index));
        QTableView view;
        view.setModel(&model);
        view.resize(200, 80);
        view.show();
        const QImage image = view.viewport()->grab().toImage();
        bool red = false;
        for (int y = 0; y < image.height() && !red; ++y)
            for (int x = 0; x < image.width() && !red; ++x) {
                const QColor c = image.pixelColor(x, y);
                red = c.red() > 200 && c.green() < 60 && c.blue() < 60;
            }
        EXPECT_TRUE(red) << "skin " << index;
    }
}

// How far the farthest pixel of the check box's indicator is from the colour around the box.
int indicatorContrast(QCheckBox &box) {
    QStyleOptionButton option;
    option.initFrom(&box);
    option.state |= box.isChecked() ? QStyle::State_On : QStyle::State_Off;
    const QRect indicator = box.style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, &box);
    const QImage image = box.grab().toImage();
    const QColor around = image.pixelColor(0, 0);
    int farthest = 0;
    for (int y = indicator.top(); y <= indicator.bottom(); ++y)
        for (int x = indicator.left(); x <= indicator.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            farthest =
                std::max(farthest, std::abs(c.red() - around.red()) + std::abs(c.green() - around.green()) +
                                       std::abs(c.blue() - around.blue()));
        }
    return farthest;
}

QImage indicatorImage(QCheckBox &box) {
    QStyleOptionButton option;
    option.initFrom(&box);
    const QRect indicator = box.style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, &box);
    return box.grab().toImage().copy(indicator);
}

TEST_F(SkinsTest, ACheckBoxShowsItsBoxTickedAndUnticked) {
    for (int index = 0; index < 5; ++index) {
        SCOPED_TRACE("skin " + std::to_string(index));
        ASSERT_TRUE(skins::load(index));
        QWidget window;
        auto *box = new QCheckBox(QStringLiteral("不显示零库存"), &window);
        box->move(10, 10);
        window.resize(200, 60);
        window.show();
        EXPECT_GT(indicatorContrast(*box), 150) << "unticked";
        const QImage unticked = indicatorImage(*box);
        box->setChecked(true);
        EXPECT_GT(indicatorContrast(*box), 150) << "ticked";
        EXPECT_NE(indicatorImage(*box), unticked) << "the two states look alike";
    }
}

// The built-in look and each stored skin: a button that Tab or the program focused (a push button, and
// a flat tool button like the sale panel's 销售确认) is framed in a colour that stands out, and keeps
// its size.
TEST_F(SkinsTest, TheFocusedButtonIsPlainlyMarkedInEverySkin) {
    skins::installFocusMark();
    for (int index = -1; index < 5; ++index) {
        SCOPED_TRACE("skin " + std::to_string(index));
        if (index < 0)
            qApp->setStyleSheet(QString());
        else
            ASSERT_TRUE(skins::load(index));
        QWidget window;
        auto *push = new QPushButton(QStringLiteral("确 定"), &window);
        push->move(10, 10);
        auto *tool = new QToolButton(&window);
        tool->setText(QStringLiteral("销售确认"));
        tool->setAutoRaise(true);
        tool->setFocusPolicy(Qt::TabFocus);
        tool->move(10, 50);
        auto *field = new QLineEdit(&window);
        field->move(10, 90);
        window.resize(220, 130);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        const auto check = [&](QWidget *button, bool byTab) {
            SCOPED_TRACE(std::string(button->metaObject()->className()) +
                         (byTab ? " by Tab" : " by program"));
            field->setFocus(Qt::OtherFocusReason);
            const QSize size = button->size();
            const QImage plain = button->grab().toImage();
            if (byTab) {
                while (QApplication::focusWidget() != button && QApplication::focusWidget())
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            } else {
                button->setFocus(Qt::TabFocusReason);
            }
            ASSERT_TRUE(button->hasFocus());
            const QImage focused = button->grab().toImage();
            EXPECT_EQ(button->size(), size);
            EXPECT_GE(changedEdgeShare(plain, focused), 0.5);
        };
        for (QWidget *button : {static_cast<QWidget *>(push), static_cast<QWidget *>(tool)})
            for (bool byTab : {true, false})
                check(button, byTab);
    }
}

} // namespace
