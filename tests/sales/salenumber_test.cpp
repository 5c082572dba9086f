// The sale number and the moves of the ticket counter.
#include "sales/salenumber.h"
#include "store/sessionstate.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(SaleNumber, IsTheDateAndTheCounterOfAtLeastThreeDigits) {
    const QDate day(2014, 8, 1);
    const std::pair<qlonglong, const char *> cases[] = {
        {7, "20140801007"}, {0, "20140801000"}, {100, "20140801100"}, {1000, "201408011000"}};
    for (const auto &[counter, number] : cases)
        EXPECT_EQ(salenumber::make(day, counter), QString::fromLatin1(number));
    EXPECT_EQ(salenumber::make(QDate(2014, 12, 31), 12), QStringLiteral("20141231012"));
}

TEST(SaleNumber, TheCounterMovesByOneAndNeverBelowZero) {
    EXPECT_EQ(salenumber::next(1), 2);
    EXPECT_EQ(salenumber::previous(2), 1);
    EXPECT_EQ(salenumber::previous(1), 0);
    EXPECT_EQ(salenumber::previous(0), 0);
    const qlonglong largest = std::numeric_limits<qlonglong>::max();
    EXPECT_EQ(salenumber::next(largest), largest);
}

TEST(SaleNumber, ANewDayStartsTheCounterOnceAndKeepsItAfterThat) {
    SessionState session;
    session.lastExitDate = QStringLiteral("2014-08-11");
    session.ticketCounter = 8; // yesterday's last ticket was 7
    salenumber::DailyRestart restart;
    EXPECT_TRUE(restart.apply(session, QStringLiteral("2014-08-12")));
    EXPECT_EQ(session.ticketCounter, 1);
    session.ticketCounter = 2; // "+" after the first customer
    EXPECT_FALSE(restart.apply(session, QStringLiteral("2014-08-12")));
    EXPECT_EQ(session.ticketCounter, 2);
    // The next day of the same run starts again.
    EXPECT_TRUE(restart.apply(session, QStringLiteral("2014-08-13")));
    EXPECT_EQ(session.ticketCounter, 1);
}

TEST(SaleNumber, TheDayOfTheLastExitContinuesTheStoredCounter) {
    SessionState session;
    session.lastExitDate = QStringLiteral("2014-08-12");
    session.ticketCounter = 8;
    salenumber::DailyRestart restart;
    EXPECT_FALSE(restart.apply(session, QStringLiteral("2014-08-12")));
    EXPECT_EQ(session.ticketCounter, 8);
    // Without a recorded exit every sale date counts as new (once).
    SessionState fresh;
    fresh.ticketCounter = 5;
    EXPECT_TRUE(salenumber::DailyRestart().apply(fresh, QStringLiteral("2014-08-12")));
    EXPECT_EQ(fresh.ticketCounter, 1);
}

} // namespace
