// The settings store's absent/empty rules and the number texts every window writes and parses.
#include "store/numbers.h"
#include "store/settingsstore.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(SettingsStore, ReadsWithoutCreatingAndWritesCreating) {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("tuomei/vov.ini")));
    EXPECT_FALSE(store.exists());
    EXPECT_EQ(store.read(QStringLiteral("number")), QString());
    EXPECT_FALSE(store.exists()); // reading never creates the key
    ASSERT_TRUE(store.write(QStringLiteral("number"), QStringLiteral("8")));
    EXPECT_TRUE(store.exists());
    EXPECT_EQ(store.read(QStringLiteral("number")), QStringLiteral("8"));
    EXPECT_EQ(store.read(QStringLiteral("skin")), QString());
    ASSERT_TRUE(store.write(QStringLiteral("company"), QStringLiteral("嘉穗商店, \"老店\"")));
    EXPECT_EQ(SettingsStore(store.path()).read(QStringLiteral("company")),
              QStringLiteral("嘉穗商店, \"老店\""));
    EXPECT_EQ(store.layoutPath(), dir.filePath(QStringLiteral("tuomei/jsjxc.ini")));
}

TEST(SettingsStore, TicketCounterMustBeAWholeNumber) {
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("vov.ini")));
    const struct {
        const char *stored;
        std::optional<qlonglong> read;
    } cases[] = {{"12", 12}, {" 7 ", 7}, {"", std::nullopt}, {"abc", std::nullopt}, {"1.5", std::nullopt},
                 {"0", 0}};
    for (const auto &c : cases) {
        ASSERT_TRUE(store.write(QStringLiteral("danhao"), QString::fromLatin1(c.stored)));
        EXPECT_EQ(store.readWholeNumber(QStringLiteral("danhao")), c.read) << c.stored;
    }
}

TEST(SettingsStore, UnwritableLocationIsReported) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore store(dir.filePath(QStringLiteral("file/vov.ini"))); // a folder that is a file
    QString error;
    EXPECT_FALSE(store.write(QStringLiteral("riqi"), QStringLiteral("2014-08-12"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(Numbers, Formats) {
    const struct {
        double value;
        const char *general, *fixed2, *display3, *display2;
    } cases[] = {
        {86, "86", "86.00", "86", "86"},
        {0.1 + 0.2, "0.3", "0.30", "0.3", "0.3"},
        {12.3456, "12.3456", "12.35", "12.346", "12.35"},
        {-36, "-36", "-36.00", "-36", "-36"},
        {2.675, "2.675", "2.68", "2.675", "2.68"},
        {1234567.5, "1234567.5", "1234567.50", "1234567.5", "1234567.5"},
        {-0.0001, "-0.0001", "0.00", "0", "0"},
        {0, "0", "0.00", "0", "0"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(num::general(c.value), QString::fromLatin1(c.general)) << c.general;
        EXPECT_EQ(num::fixed2(c.value), QString::fromLatin1(c.fixed2)) << c.general;
        EXPECT_EQ(num::display3(c.value), QString::fromLatin1(c.display3)) << c.general;
        EXPECT_EQ(num::display2(c.value), QString::fromLatin1(c.display2)) << c.general;
    }
}

TEST(Numbers, ParsingEntryTextReportsFailureInsteadOfZero) {
    const struct {
        const char *text;
        std::optional<double> value;
    } cases[] = {{"12", 12},
                 {" 12.5 ", 12.5},
                 {"0", 0},
                 {".5", 0.5},
                 {"", std::nullopt},
                 {".", std::nullopt},
                 {"1.2.3", std::nullopt},
                 {"abc", std::nullopt},
                 {"1,5", std::nullopt},
                 {"-3", -3}};
    for (const auto &c : cases)
        EXPECT_EQ(num::parse(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST(Numbers, RoundingRules) {
    EXPECT_DOUBLE_EQ(num::round(2.675, 2), 2.68);
    EXPECT_DOUBLE_EQ(num::round(-2.675, 2), -2.68);
    EXPECT_DOUBLE_EQ(num::round(7.0 - 0.3 - 0.1, 2), 6.6);
    EXPECT_DOUBLE_EQ(num::roundHalfEven(2.5), 2);
    EXPECT_DOUBLE_EQ(num::roundHalfEven(3.5), 4);
    EXPECT_DOUBLE_EQ(num::stored(0.1 + 0.2), 0.3);
}
