// The customer look-ups over the sales records.
#include "sales/customer.h"
#include "tests/sales/salefixture.h"
#include "tests/support/failingwrite.h"

#include <gtest/gtest.h>

namespace {

class CustomerTest : public ::testing::Test {
  protected:
    TestEnv env;
    Database &db = env.database();
};

TEST_F(CustomerTest, ATicketsCustomerIsFoundByItsExactNumber) {
    insertSaleRecord(db, QStringLiteral("201408121000"), QStringLiteral("李四"), QStringLiteral("南街"));
    insertSaleRecord(db, QStringLiteral("20140812100"), QStringLiteral("张三"), QStringLiteral("北街"),
                     QStringLiteral("139"), QStringLiteral("常客"));
    const auto found = customers::ofTicket(db, QStringLiteral(" 20140812100 "));
    ASSERT_TRUE(found.ok);
    ASSERT_TRUE(found.found);
    EXPECT_EQ(found.found->name, QStringLiteral("张三"));
    EXPECT_EQ(found.found->address, QStringLiteral("北街"));
    EXPECT_EQ(found.found->contact, QStringLiteral("139"));
    EXPECT_EQ(found.found->remark, QStringLiteral("常客"));
    // Ticket 1000 of the day does not belong to ticket 100, nor does a part of a number find anything.
    EXPECT_EQ(customers::ofTicket(db, QStringLiteral("201408121000")).found->name, QStringLiteral("李四"));
    for (const char *number : {"2014081210", "20140812", "", "   "}) {
        const auto none = customers::ofTicket(db, QString::fromLatin1(number));
        EXPECT_TRUE(none.ok) << number;
        EXPECT_FALSE(none.found) << number;
    }
}

TEST_F(CustomerTest, QuotesInNumbersAndNamesAreFoundAsTyped) {
    insertSaleRecord(db, QStringLiteral("2014'08"), QStringLiteral("O'Brien"), QStringLiteral("Kim's 1号"),
                     QStringLiteral("0'1"));
    const auto ticket = customers::ofTicket(db, QStringLiteral("2014'08"));
    ASSERT_TRUE(ticket.ok);
    ASSERT_TRUE(ticket.found);
    EXPECT_EQ(ticket.found->name, QStringLiteral("O'Brien"));
    const auto contact = customers::contactOf(db, QStringLiteral("O'Brien"));
    ASSERT_TRUE(contact.found);
    EXPECT_EQ(contact.found->address, QStringLiteral("Kim's 1号"));
    EXPECT_EQ(contact.found->contact, QStringLiteral("0'1"));
    EXPECT_TRUE(customers::contactOf(db, QStringLiteral("' or '1'='1")).ok);
    EXPECT_FALSE(customers::contactOf(db, QStringLiteral("' or '1'='1")).found);
}

TEST_F(CustomerTest, AContactIsFoundByTheWholeName) {
    insertSaleRecord(db, QStringLiteral("1"), QStringLiteral("张三丰"), QStringLiteral("武当"),
                     QStringLiteral("1"));
    insertSaleRecord(db, QStringLiteral("2"), QStringLiteral("张三"), QStringLiteral("北街"),
                     QStringLiteral("139"));
    const auto found = customers::contactOf(db, QStringLiteral("张三 "));
    ASSERT_TRUE(found.found);
    EXPECT_EQ(found.found->address, QStringLiteral("北街"));
    EXPECT_EQ(found.found->contact, QStringLiteral("139"));
    EXPECT_TRUE(found.found->name.isEmpty());
    EXPECT_FALSE(customers::contactOf(db, QStringLiteral("张")).found);
}

TEST_F(CustomerTest, TheNamesAreSortedOnceEachWithTheEmptyOneFirst) {
    for (const char *name : {"王五", "", "张三", "王五"})
        insertSaleRecord(db, QStringLiteral("1"), QString::fromUtf8(name));
    const auto names = customers::names(db);
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, (QStringList{QString(), QStringLiteral("张三"), QStringLiteral("王五")}));
}

TEST_F(CustomerTest, ANewNameGoesWhereTheRecordsWouldSortIt) {
    // U+FF21 sorts before U+1F600 by UTF-8 bytes, after it by UTF-16 units.
    const QString names[] = {QStringLiteral("Ａ"), QStringLiteral("😀"), QStringLiteral("Zoe"),
                             QStringLiteral("张三"), QStringLiteral("ab")};
    for (const QString &name : names)
        insertSaleRecord(db, QStringLiteral("1"), name);
    const QStringList sorted = *customers::names(db);
    ASSERT_EQ(sorted.size(), 5);
    for (int i = 0; i < sorted.size(); ++i) {
        QStringList others = sorted;
        others.removeAt(i);
        EXPECT_EQ(customers::insertionPoint(others, sorted[i]), i) << i;
        EXPECT_EQ(customers::insertionPoint(sorted, sorted[i]), i) << i;
    }
    EXPECT_EQ(customers::insertionPoint({}, QStringLiteral("x")), 0);
}

TEST_F(CustomerTest, AFailingStatementIsReported) {
    ASSERT_TRUE(failingwrite::hideTable(db, QStringLiteral("data1"))) << db.errorText().toStdString();
    EXPECT_FALSE(customers::ofTicket(db, QStringLiteral("1")).ok);
    EXPECT_FALSE(customers::contactOf(db, QStringLiteral("张三")).ok);
    EXPECT_FALSE(customers::names(db));
    EXPECT_FALSE(db.errorText().isEmpty());
}

} // namespace
