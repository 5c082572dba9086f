// The sale number and the moves of the ticket counter.
#include "sales/salenumber.h"
#include "store/database.h"
#include "store/sessionstate.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {
const auto none = [] { return qlonglong(0); };

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
    EXPECT_TRUE(restart.apply(session, QStringLiteral("2014-08-12"), none));
    EXPECT_EQ(session.ticketCounter, 1);
    session.ticketCounter = 2; // "+" after the first customer
    EXPECT_FALSE(restart.apply(session, QStringLiteral("2014-08-12"), none));
    EXPECT_EQ(session.ticketCounter, 2);
    // The next day of the same run starts again.
    EXPECT_TRUE(restart.apply(session, QStringLiteral("2014-08-13"), none));
    EXPECT_EQ(session.ticketCounter, 1);
}

TEST(SaleNumber, TheDayOfTheLastExitContinuesTheStoredCounter) {
    SessionState session;
    session.lastExitDate = QStringLiteral("2014-08-12");
    session.ticketCounter = 8;
    salenumber::DailyRestart restart;
    EXPECT_FALSE(restart.apply(session, QStringLiteral("2014-08-12"), none));
    EXPECT_EQ(session.ticketCounter, 8);
    // Without a recorded exit every sale date counts as new (once).
    SessionState fresh;
    fresh.ticketCounter = 5;
    EXPECT_TRUE(salenumber::DailyRestart().apply(fresh, QStringLiteral("2014-08-12"), none));
    EXPECT_EQ(fresh.ticketCounter, 1);
}

TEST(SaleNumber, ARestartGoesPastTheTicketsAlreadyStoredForToday) {
    TestEnv env; // today is 2014-08-12
    Database &db = env.database();
    const auto sold = [&](const char *number) {
        ASSERT_TRUE(db.execute(QStringLiteral("insert into data1 (a,z) values ('x',?)"),
                               {QString::fromLatin1(number)}));
    };
    const QDate today(2014, 8, 12);
    EXPECT_EQ(salenumber::highestStoredCounter(db, today), 0);
    // Yesterday's, tomorrow's and numbers typed by hand that the counter cannot make do not count.
    for (const char *number : {"20140811099", "20140813050", "2014081204x", "2014081277", "201408120a9"})
        sold(number);
    EXPECT_EQ(salenumber::highestStoredCounter(db, today), 0);
    for (const char *number : {"20140812001", "20140812003", "20140812003", "20140812002"})
        sold(number);
    EXPECT_EQ(salenumber::highestStoredCounter(db, today), 3);
    sold("201408121000");
    EXPECT_EQ(salenumber::highestStoredCounter(db, today), 1000);

    // A run that did not exit cleanly yesterday, or a sale date switched away and back.
    SessionState session;
    session.lastExitDate = QStringLiteral("2014-08-11");
    salenumber::DailyRestart restart;
    const auto stored = [&] { return *salenumber::highestStoredCounter(db, today); };
    EXPECT_TRUE(restart.apply(session, QStringLiteral("2014-08-12"), stored));
    EXPECT_EQ(session.ticketCounter, 1001);
    EXPECT_TRUE(restart.apply(session, QStringLiteral("2014-08-10"), stored));
    EXPECT_TRUE(restart.apply(session, QStringLiteral("2014-08-12"), stored));
    EXPECT_EQ(session.ticketCounter, 1001);
}

// Whatever digits the day's tickets reached, the next one is past the highest of them.
TEST(SaleNumber, TheNextTicketOfTheDayFollowsItsHighestStoredOne) {
    const struct {
        std::vector<const char *> stored;
        qlonglong next;
    } cases[] = {
        {{"20140812001", "20140812950"}, 951}, {{"20140812999"}, 1000},
        {{"20140812900", "20140812899"}, 901}, {{"201408129000", "20140812999"}, 9001},
        {{"20140812090", "20140812009"}, 91},
    };
    for (const auto &c : cases) {
        TestEnv env;
        Database &db = env.database();
        for (const char *number : c.stored)
            ASSERT_TRUE(db.execute(QStringLiteral("insert into data1 (a,z) values ('x',?)"),
                                   {QString::fromLatin1(number)}));
        SessionState session;
        session.lastExitDate = QStringLiteral("2014-08-11");
        ASSERT_TRUE(salenumber::DailyRestart().apply(session, QStringLiteral("2014-08-12"), [&] {
            return *salenumber::highestStoredCounter(db, QDate(2014, 8, 12));
        }));
        EXPECT_EQ(session.ticketCounter, c.next) << c.stored.back();
    }
}

} // namespace
