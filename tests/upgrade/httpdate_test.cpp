// Reading the dates of HTTP headers in the forms servers write.
#include "upgrade/httpdate.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {
QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC).toLocalTime();
}
} // namespace

TEST(HttpDate, TheFormsOfServersReadAsTheSameMoment) {
    const struct {
        const char *text;
        QDateTime expected;
    } cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", utc(1994, 11, 6, 8, 49, 37)},
        {"Sunday, 06-Nov-94 08:49:37 GMT", utc(1994, 11, 6, 8, 49, 37)},
        {"Sun Nov  6 08:49:37 1994", utc(1994, 11, 6, 8, 49, 37)},
        {"  tue, 29 jul 2014 10:00:00 GMT ", utc(2014, 7, 29, 10)},
        {"29 Jul 14 10:00:00 GMT", utc(2014, 7, 29, 10)},
        {"Tue, 29 Jul 2014 18:00:00 +0800", utc(2014, 7, 29, 10)},
        {"Tue, 29 Jul 2014 05:30:00 -0430", utc(2014, 7, 29, 10)},
        {"Tue, 29 Jul 2014 10:00:00 +08", utc(2014, 7, 29, 10)}, // a short zone counts as 0
        {"29-Jul-2014", utc(2014, 7, 29)},
        {"Jul 29 2014", utc(2014, 7, 29)},
        {"01 Jan 80 00:00:00 GMT", utc(1980, 1, 1)},
        {"01 Jan 79 00:00:00 GMT", utc(2079, 1, 1)},
    };
    for (const auto &test : cases)
        EXPECT_EQ(parseHttpDate(QString::fromLatin1(test.text)), test.expected) << test.text;
}

TEST(HttpDate, WhatDoesNotReadAsADateIsZero) {
    for (const char *text :
         {"", "garbage", "Sun,", "32 Jan 2014", "06 Foo 1994 08:00:00", "06 Nov 1994 25:61:00"})
        EXPECT_FALSE(parseHttpDate(QString::fromLatin1(text)).isValid()) << text;
}

TEST(HttpStatus, TextsByStageNumber) {
    EXPECT_EQ(httpStatusText(10), QStringLiteral("Resolving name"));
    EXPECT_EQ(httpStatusText(110), QStringLiteral("Redirect"));
    EXPECT_EQ(httpStatusText(42), QStringLiteral("CTL Response received"));
    EXPECT_EQ(httpStatusText(7), QStringLiteral("Unknown status"));
}
