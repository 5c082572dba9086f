// The remembered view of a list: column items that hide (or show) their columns with their marks and
// flags, and the flags applied in item order. (Each list's layout section is tested with its list.)
#include "store/settingsstore.h"
#include "tests/widgets/goodsgrid.h"
#include "widgets/viewpreferences.h"

#include <QAction>
#include <gtest/gtest.h>

namespace {

std::vector<ColumnItem> testItems() {
    return {
        {QStringLiteral("N1"),
         QStringLiteral("隐藏金额"),
         QStringLiteral("flag1"),
         {QStringLiteral("3"), QStringLiteral("6")}},
        {QStringLiteral("N2"),
         QStringLiteral("显示备注"),
         QStringLiteral("flag2"),
         {QStringLiteral("z")},
         true},
        // Shares column "3" with N1 and comes after it.
        {QStringLiteral("N3"),
         QStringLiteral("隐藏进货"),
         QStringLiteral("flag3"),
         {QStringLiteral("3"), QStringLiteral("g")}},
    };
}

class ViewPreferencesTest : public ::testing::Test {
  protected:
    GoodsGrid goods;
    DataGrid *grid = goods.grid.get();
    ViewPreferences prefs{grid, testItems(), "testgrid", nullptr};
    SettingsStore &settings = SettingsStore::instance();

    bool shown(const char *field) { return grid->isColumnVisible(QString::fromLatin1(field)); }
    QString flag(const char *name) { return settings.read(QString::fromLatin1(name)); }
};

TEST_F(ViewPreferencesTest, AMarkHidesItsColumnsOrShowsThemWhenItsMarkMeansShown) {
    grid->setColumnVisible(QStringLiteral("z"), false);
    QAction hiding, showing;
    prefs.setItemAction(QStringLiteral("N1"), &hiding);
    prefs.setItemAction(QStringLiteral("N2"), &showing);
    prefs.setItemAction(QStringLiteral("N9"), nullptr); // no such item: ignored

    prefs.toggle(QStringLiteral("N1"));
    prefs.toggle(QStringLiteral("N2"));
    EXPECT_FALSE(shown("3"));
    EXPECT_FALSE(shown("6"));
    EXPECT_TRUE(shown("z"));
    EXPECT_TRUE(hiding.isChecked() && showing.isChecked());
    EXPECT_TRUE(prefs.isMarked(QStringLiteral("N1")) && prefs.isMarked(QStringLiteral("N2")));
    EXPECT_EQ(flag("flag1"), QStringLiteral("yes"));
    EXPECT_EQ(flag("flag2"), QStringLiteral("yes"));

    prefs.toggle(QStringLiteral("N1"));
    prefs.toggle(QStringLiteral("N2"));
    EXPECT_TRUE(shown("3") && shown("6"));
    EXPECT_FALSE(shown("z"));
    EXPECT_FALSE(hiding.isChecked() || showing.isChecked());
    EXPECT_EQ(flag("flag1"), QStringLiteral("no"));
    EXPECT_EQ(flag("flag2"), QStringLiteral("no"));
    EXPECT_TRUE(goods.env.dialogs().texts().isEmpty());
}

TEST_F(ViewPreferencesTest, RememberedFlagsApplyInItemOrderAndOtherWordsLeaveTheirItem) {
    settings.write(QStringLiteral("flag1"), QStringLiteral("no"));
    settings.write(QStringLiteral("flag2"), QStringLiteral("Yes")); // neither word
    settings.write(QStringLiteral("flag3"), QStringLiteral("yes"));
    prefs.applyRemembered();
    EXPECT_FALSE(shown("3")) << "the later item wins the column both name";
    EXPECT_TRUE(shown("6"));
    EXPECT_FALSE(shown("g"));
    EXPECT_TRUE(shown("z"));
    EXPECT_FALSE(prefs.isMarked(QStringLiteral("N1")));
    EXPECT_FALSE(prefs.isMarked(QStringLiteral("N2")));
    EXPECT_TRUE(prefs.isMarked(QStringLiteral("N3")));
}

} // namespace
