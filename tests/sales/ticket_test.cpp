// The rules behind the ticket view: which records form a ticket, its sums, the change and the checks
// before printing.
#include "sales/ticket.h"
#include "store/dataset.h"
#include "tests/sales/ticketfixture.h"

#include <gtest/gtest.h>

namespace {

class TicketLoadTest : public ::testing::Test {
  protected:
    TestEnv env;
    Database &db = env.database();
    Dataset lines;

    QStringList names() const {
        QStringList listed;
        for (int r = 0; r < lines.rowCount(); ++r)
            listed << lines.text(r, QStringLiteral("a"));
        return listed;
    }
};

TEST_F(TicketLoadTest, ListsExactlyTheRecordsOfTheNumberInTheOrderTheyWereSold) {
    // Counter 100 and counter 1000 of one day: each number contains the other's text or is contained.
    addTicketLine(db, QStringLiteral("20140812100"), QStringLiteral("乙"), 3, 1);
    addTicketLine(db, QStringLiteral("201408121000"), QStringLiteral("千"), 7, 1);
    addTicketLine(db, QStringLiteral("20140812100"), QStringLiteral("甲"), 2, 1);
    addTicketLine(db, QStringLiteral("2014081210"), QStringLiteral("十"), 5, 1);
    addTicketLine(db, QStringLiteral("20140812100"), QStringLiteral("丙"), 4, 1);

    const struct {
        const char *number;
        QStringList expected;
    } cases[] = {
        {"20140812100", {QStringLiteral("乙"), QStringLiteral("甲"), QStringLiteral("丙")}},
        {"201408121000", {QStringLiteral("千")}},
        {"2014081210", {QStringLiteral("十")}},
        {"  20140812100 ", {QStringLiteral("乙"), QStringLiteral("甲"), QStringLiteral("丙")}},
        {"2014081", {}},
        {"20140812101", {}},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(ticket::load(db, QString::fromLatin1(c.number), lines)) << c.number;
        EXPECT_EQ(names(), c.expected) << c.number;
    }
}

TEST_F(TicketLoadTest, FindsANumberWithQuotesAsTyped) {
    const QString odd = QStringLiteral("2014'08\"12' or '1'='1");
    addTicketLine(db, odd, QStringLiteral("引号"), 2, 1);
    addTicketLine(db, QStringLiteral("20140812001"), QStringLiteral("别的"), 2, 1);
    ASSERT_TRUE(ticket::load(db, odd, lines));
    EXPECT_EQ(names(), QStringList{QStringLiteral("引号")});
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from data1")).toInt(), 2);
}

TEST_F(TicketLoadTest, AnEmptyNumberListsNothingEvenBesideRecordsWithoutANumber) {
    addTicketLine(db, QString(), QStringLiteral("无号"), 2, 1);
    addTicketLine(db, QStringLiteral("20140812001"), QStringLiteral("有号"), 2, 1);
    for (const QString &number : {QString(), QStringLiteral("   ")}) {
        ASSERT_TRUE(ticket::load(db, number, lines));
        EXPECT_EQ(lines.rowCount(), 0);
    }
}

TEST_F(TicketLoadTest, AFailedQueryLeavesNoLinesOfTheTicketBefore) {
    addTicketLine(db, QStringLiteral("20140812001"), QStringLiteral("甲"), 2, 1);
    ASSERT_TRUE(ticket::load(db, QStringLiteral("20140812001"), lines));
    ASSERT_EQ(lines.rowCount(), 1);
    db.close();
    EXPECT_FALSE(ticket::load(db, QStringLiteral("20140812001"), lines));
    EXPECT_EQ(lines.rowCount(), 0);
    EXPECT_FALSE(db.errorText().isEmpty());
}

TEST_F(TicketLoadTest, SumsAreTakenToFourDecimals) {
    const struct {
        std::vector<std::pair<double, double>> lines; // price, quantity
        const char *quantity;
        const char *amount;
    } cases[] = {
        {{{36, 1}, {12.5, 1}}, "2", "48.5"},
        {{{1.23456, 1}, {1.00001, 1}}, "2", "2.2346"},
        {{{0.1, 1}, {0.2, 1}}, "2", "0.3"},
        {{{2, 1.00004}, {2, 2}}, "3", "6.0001"},
        {{{36, 1}, {36, -1}}, "0", "0"}, // a return cancelling the sale
        {{{2, 0.3}, {2, -0.1}, {2, -0.2}}, "0", "0"},
        {{}, "0", "0"},
    };
    int counter = 0;
    for (const auto &c : cases) {
        const QString number = QStringLiteral("20140812%1").arg(++counter, 3, 10, QLatin1Char('0'));
        for (const auto &[price, quantity] : c.lines)
            addTicketLine(db, number, QStringLiteral("货"), price, quantity);
        ASSERT_TRUE(ticket::load(db, number, lines));
        EXPECT_EQ(ticket::sumText(lines, QStringLiteral("3")), QString::fromLatin1(c.quantity))
            << number.toStdString();
        EXPECT_EQ(ticket::sumText(lines, QStringLiteral("4")), QString::fromLatin1(c.amount))
            << number.toStdString();
    }
}

TEST(TicketChange, IsCashLessTotalAndKeepsItsTextWithoutCash) {
    using S = ticket::Change::Status;
    const struct {
        const char *cash;
        const char *total;
        S status;
        const char *change;
    } cases[] = {
        {"50", "48.5", S::Computed, "1.5"},
        {"48.5", "48.5", S::Computed, "0"},
        {"40", "48.5", S::Computed, "-8.5"},
        {"0", "48.5", S::Computed, "-48.5"},
        {"0.3", "0.1", S::Computed, "0.2"},
        {"100", "0", S::Computed, "100"},
        {"", "48.5", S::Kept, ""},
        {".", "48.5", S::CashNotANumber, ""},
        {"1.2.3", "48.5", S::CashNotANumber, ""},
    };
    for (const auto &c : cases) {
        const ticket::Change change =
            ticket::changeFor(QString::fromLatin1(c.cash), QString::fromLatin1(c.total));
        EXPECT_EQ(change.status, c.status) << c.cash;
        EXPECT_EQ(change.text, QString::fromLatin1(c.change)) << c.cash;
    }
}

TEST(TicketChecks, RefuseAnEmptyTicketMissingOrShortCashInThatOrder) {
    using R = ticket::Refusal;
    const struct {
        const char *total;
        const char *cash;
        R receipt;
        R slip;
    } cases[] = {
        {"0", "", R::EmptyTicket, R::EmptyTicket},
        {"0", "50", R::EmptyTicket, R::EmptyTicket},
        {"48.5", "", R::NoCash, R::None},
        {"48.5", ".", R::CashNotANumber, R::None},
        {"48.5", "48.4", R::CashShort, R::None},
        {"48.5", "48.5", R::None, R::None},
        {"48.5", "50", R::None, R::None},
        {"-12", "0", R::None, R::None}, // more returned than sold: nothing is due
    };
    for (const auto &c : cases) {
        const QString total = QString::fromLatin1(c.total);
        EXPECT_EQ(ticket::checkReceipt(total, QString::fromLatin1(c.cash)), c.receipt)
            << c.total << " " << c.cash;
        EXPECT_EQ(ticket::checkSlip(total), c.slip) << c.total;
    }
}

} // namespace
