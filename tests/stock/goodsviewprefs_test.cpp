// The remembered view of the goods list: column-hiding items with their flags and ticks, and the
// saved column layout.
#include "stock/goodscolumns.h"
#include "stock/goodsviewprefs.h"
#include "store/settingsstore.h"
#include "tests/stock/stockfixture.h"
#include "widgets/datagrid.h"

#include <QAction>
#include <QFile>
#include <gtest/gtest.h>

namespace {

class GoodsViewPrefsTest : public ::testing::Test {
  protected:
    StockWindow w;
    DataGrid *grid = w.list->grid();
    GoodsViewPreferences prefs{grid};
    SettingsStore &settings = SettingsStore::instance();

    bool shown(const char *field) { return grid->isColumnVisible(QString::fromLatin1(field)); }
};

TEST_F(GoodsViewPrefsTest, HidingAmountsTwiceHidesThenShowsTheThreeAmountColumns) {
    QAction item(QStringLiteral("隐藏金额"));
    prefs.setItemAction(QStringLiteral("N6"), &item);
    QObject::connect(&item, &QAction::triggered, &prefs, [this] { prefs.toggle(QStringLiteral("N6")); });
    item.trigger();
    EXPECT_FALSE(shown("3"));
    EXPECT_FALSE(shown("6"));
    EXPECT_FALSE(shown("8"));
    EXPECT_TRUE(shown("2"));
    EXPECT_TRUE(item.isChecked());
    EXPECT_EQ(settings.read(QStringLiteral("rukuyin2")), QStringLiteral("yes"));
    item.trigger();
    EXPECT_TRUE(shown("3") && shown("6") && shown("8"));
    EXPECT_FALSE(item.isChecked());
    EXPECT_EQ(settings.read(QStringLiteral("rukuyin2")), QStringLiteral("no"));
}

TEST_F(GoodsViewPrefsTest, RememberedFlagsHideShowOrLeaveTheirColumns) {
    // Nothing is stored yet: every column stays.
    prefs.applyRemembered();
    for (const auto &item : goodscolumns::hidingItems())
        for (const QString &field : item.fields)
            EXPECT_TRUE(grid->isColumnVisible(field));

    settings.write(QStringLiteral("rukuyin1"), QStringLiteral("yes"));
    settings.write(QStringLiteral("rukuyin6"), QStringLiteral("no"));
    settings.write(QStringLiteral("rukuyin3"), QStringLiteral("YES")); // neither word: left alone
    settings.write(QStringLiteral("rukuyin5"), QStringLiteral("yes"));
    grid->setColumnVisible(QStringLiteral("4"), false);
    grid->setColumnVisible(QStringLiteral("day1"), false);
    prefs.applyRemembered();
    EXPECT_FALSE(shown("1"));
    EXPECT_TRUE(prefs.isTicked(QStringLiteral("N5")));
    EXPECT_TRUE(shown("4"));
    EXPECT_FALSE(prefs.isTicked(QStringLiteral("N31")));
    EXPECT_FALSE(shown("day1"));
    EXPECT_FALSE(shown("z"));
    EXPECT_TRUE(prefs.isTicked(QStringLiteral("N7")));
    EXPECT_TRUE(shown("g"));
}

TEST_F(GoodsViewPrefsTest, ASavedLayoutRestoresAHiddenColumnWithoutTouchingTheTick) {
    EXPECT_FALSE(prefs.restoreLayout()); // nothing saved yet
    prefs.toggle(QStringLiteral("N10"));
    ASSERT_TRUE(prefs.saveLayout());
    QFile file(settings.layoutPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[ranvelgrid]"));
    EXPECT_TRUE(text.contains("DBGrid1.day1="));
    prefs.toggle(QStringLiteral("N10"));
    ASSERT_TRUE(shown("g"));
    EXPECT_TRUE(prefs.restoreLayout());
    EXPECT_FALSE(shown("g"));
    EXPECT_FALSE(prefs.isTicked(QStringLiteral("N10")));
}

} // namespace
