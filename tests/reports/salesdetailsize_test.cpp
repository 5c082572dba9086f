// The size the sales-detail window opens at.
#include "reports/salesdetailsize.h"

#include <gtest/gtest.h>

TEST(SalesDetailSize, TheRememberedSizeOrOneForTheDefaultColumnsWithinTheScreen) {
    using salesdetailsize::Default;
    const QRect bigScreen(0, 0, 1920, 1040);
    const struct {
        const char *stored;
        QRect available;
        QSize expected;
    } cases[] = {
        {"", bigScreen, Default},
        {"1200x700", bigScreen, {1200, 700}},
        {" 1200 x 700 ", bigScreen, {1200, 700}},
        {"3000x2000", bigScreen, {1904, 1000}},     // a larger screen before
        {"1200x700", QRect(0, 0, 1024, 740), {1008, 700}},
        {"", QRect(0, 0, 1280, 760), {1264, 720}},  // the default on a small screen
        {"300x200", bigScreen, Default},            // too small to use the list
        {"wide", bigScreen, Default},
        {"-5x700", bigScreen, Default},
        {"1200x700", QRect(), {1200, 700}},         // no screen known
    };
    for (const auto &c : cases)
        EXPECT_EQ(salesdetailsize::initial(salesdetailsize::parse(QString::fromUtf8(c.stored)), c.available),
                  c.expected)
            << c.stored;
    EXPECT_EQ(salesdetailsize::parse(salesdetailsize::text({1333, 777})), QSize(1333, 777));
}
