// The print settings window: its fields and defaults, the save into the settings store and the load
// at start-up with its rule on pos1.
#include "printing/printsettingswindow.h"
#include "store/settingsstore.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
class PrintSettingsTest : public ::testing::Test {
  protected:
    QString stored(const char *name) { return SettingsStore::instance().read(QString::fromLatin1(name)); }
    void store(const char *name, const QString &value) {
        ASSERT_TRUE(SettingsStore::instance().write(QString::fromLatin1(name), value));
    }
    QLineEdit *field(const char *name) { return window.findChild<QLineEdit *>(QString::fromLatin1(name)); }

    TestEnv env;
    PrintSettingsWindow window;
};

TEST_F(PrintSettingsTest, AFreshInstallationHasTheDefaultTexts) {
    EXPECT_EQ(window.objectName(), QStringLiteral("Tpos"));
    EXPECT_EQ(window.windowTitle(), u("销售单小票设置"));
    window.load();
    const PrintTexts texts = window.texts();
    EXPECT_EQ(texts, PrintTexts::defaults());
    EXPECT_EQ(field("Edit1")->text(), u("POS小票销售单"));
    EXPECT_EQ(field("Edit2")->text(), u("嘉穗进销存软件提供技术支持"));
    EXPECT_TRUE(field("Edit3")->text().startsWith(u("官网：http://")));
    EXPECT_EQ(field("Edit4")->text(), u("欢迎下次惠顾！"));
    EXPECT_EQ(field("Edit5")->text(), u("云杉软件销售单"));
    EXPECT_TRUE(field("Edit6")->text().contains(QRegularExpression(u("^客服电话：[0-9-]+ 客服QQ:[0-9]+$"))))
        << field("Edit6")->text().toStdString();
    EXPECT_FALSE(field("Edit7")->text().isEmpty());
    EXPECT_EQ(field("Edit8")->text(), field("Edit3")->text());
    EXPECT_EQ(field("Edit9")->text(), u("云杉软件"));
    bool noteShown = false;
    for (const QLabel *label : window.findChildren<QLabel *>())
        noteShown |= label->text() == u("说明：宣传语1不填写，销售单可以不打印此项");
    EXPECT_TRUE(noteShown);
    EXPECT_FALSE(SettingsStore::instance().exists()) << "loading creates nothing";
}

TEST_F(PrintSettingsTest, SavingStoresAllNineTextsEmptyOnesIncludedAndTheNextRunLoadsThem) {
    window.show();
    field("Edit1")->setText(u("本店小票"));
    field("Edit7")->clear();
    field("Edit9")->setText(u("青岚文具店"));
    window.findChild<QToolButton *>(QStringLiteral("Image1"))->click();

    EXPECT_EQ(env.dialogs().texts(), QStringList{u("已保存成功！")});
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(stored("pos1"), u("本店小票"));
    EXPECT_EQ(stored("pos4"), u("欢迎下次惠顾！"));
    EXPECT_EQ(stored("company"), u("青岚文具店"));
    const QSettings ini(SettingsStore::instance().path(), QSettings::IniFormat);
    EXPECT_TRUE(ini.contains(QStringLiteral("dan3")));
    EXPECT_EQ(stored("dan3"), QString());

    PrintSettingsWindow nextRun;
    nextRun.load();
    EXPECT_EQ(nextRun.texts(), window.texts());
    EXPECT_EQ(nextRun.texts().slipSlogan1, QString());
}

TEST_F(PrintSettingsTest, AnEmptyOrMissingPos1KeepsTheFieldsAndAMissingValueEmptiesItsField) {
    store("pos2", u("存着的宣传语"));
    window.load();
    EXPECT_EQ(window.texts(), PrintTexts::defaults()) << "no pos1";
    store("pos1", QString());
    window.load();
    EXPECT_EQ(window.texts(), PrintTexts::defaults()) << "an empty pos1";

    store("pos1", u("小票"));
    window.load();
    EXPECT_EQ(field("Edit1")->text(), u("小票"));
    EXPECT_EQ(field("Edit2")->text(), u("存着的宣传语"));
    for (const char *name : {"Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8", "Edit9"})
        EXPECT_EQ(field(name)->text(), QString()) << name;
}

TEST_F(PrintSettingsTest, AFailedSaveIsReportedAndLeavesTheWindowAndTheTextsAsTheyAre) {
    // The settings folder's place is taken by a file: nothing can be written there.
    const QString blocker = env.file(QStringLiteral("blocked"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    SettingsStore::setInstancePath(blocker + QStringLiteral("/tuomei/vov.ini"));
    window.show();
    field("Edit1")->setText(u("改过的标题"));

    EXPECT_FALSE(window.save());
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_EQ(env.dialogs().shown()[0].kind, Dialogs::Kind::Error);
    EXPECT_NE(env.dialogs().lastText(), u("已保存成功！"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.texts().receiptTitle, u("改过的标题"));
    EXPECT_FALSE(SettingsStore::instance().exists());
}
} // namespace
