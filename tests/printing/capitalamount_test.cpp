// The total in capitals: every case of the algorithm's rules in one table, and the bad character.
#include "printing/capitalamount.h"
#include "tests/support/typing.h"

#include <gtest/gtest.h>

namespace {
struct Case {
    const char *amount;
    const char *capital;
};

TEST(CapitalAmount, ConvertsAmountsByTheirCents) {
    const Case cases[] = {
        {"36", "叁拾陆元整"},
        {"48.5", "肆拾捌元伍角"},
        {"0.5", "伍角"},
        {"0.05", "伍分"},
        // A zero inside is written once, before the next digit.
        {"10.05", "壹拾元零伍分"},
        {"1001", "壹仟零壹元整"},
        {"105.06", "壹佰零伍元零陆分"},
        // A zero yuan digit writes no 零 before the jiao.
        {"200.3", "贰佰元叁角"},
        {"120000", "壹拾贰万元整"},
        {"100000000", "壹亿元整"},
        {"100010000", "壹亿零壹万元整"},
        {"1000000001", "壹拾亿零壹元整"},
        {"0", ""},
        {"0.00", ""},
        // The cents come from the digits, never from a binary fraction one cent short.
        {"1.05", "壹元零伍分"},
        {"0.53", "伍角叁分"},
        {"7.891", "柒元捌角玖分"},
        {"036", "叁拾陆元整"},
        {"5.", "伍元整"},
        {".5", "伍角"},
        {"", ""},
    };
    for (const Case &c : cases) {
        const capital::Conversion conversion = capital::convert(QString::fromLatin1(c.amount));
        EXPECT_EQ(conversion.text, u(c.capital)) << c.amount;
        EXPECT_FALSE(conversion.badCharacter) << c.amount;
        EXPECT_TRUE(capital::messages(conversion).isEmpty()) << c.amount;
    }
}

TEST(CapitalAmount, ABadCharacterIsToldByItsCodeAndGivesNothing) {
    const struct {
        const char *amount;
        int code;
    } cases[] = {{"3-6", 45}, {"--36", 45}, {"36-", 45}, {"3,600", 44}, {"48.5元", 0x5143}, {"1e5", 101}};
    for (const auto &c : cases) {
        const capital::Conversion conversion = capital::convert(u(c.amount));
        EXPECT_EQ(conversion.text, QString()) << c.amount;
        ASSERT_TRUE(conversion.badCharacter) << c.amount;
        EXPECT_EQ(*conversion.badCharacter, c.code) << c.amount;
        EXPECT_EQ(capital::messages(conversion),
                  (QStringList{QString::number(c.code), u("读取错误，应为数字")}))
            << c.amount;
    }
}

// A return ticket totals below zero; its capital is the amount's own with 负 before it.
TEST(CapitalAmount, ANegativeAmountIsItsMagnitudeAfter负) {
    const Case cases[] = {
        {"-3234.56", "负叁仟贰佰叁拾肆元伍角陆分"},
        {"-0.5", "负伍角"},
        {"-0.05", "负伍分"},
        {"-100", "负壹佰元整"},
        {"-36", "负叁拾陆元整"},
        {"-10.05", "负壹拾元零伍分"},
        {"-1.05", "负壹元零伍分"},
        {"-99999999.99", "负玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
        // A zero has no sign worth printing.
        {"-0", ""},
        {"-0.00", ""},
        {"-", ""},
    };
    for (const Case &c : cases) {
        const capital::Conversion conversion = capital::convert(QString::fromLatin1(c.amount));
        EXPECT_EQ(conversion.text, u(c.capital)) << c.amount;
        EXPECT_FALSE(conversion.badCharacter) << c.amount;
        EXPECT_TRUE(capital::messages(conversion).isEmpty()) << c.amount;
    }
}

TEST(CapitalAmount, TheLargestAmountsUseEveryUnitAndLongerOnesGiveNothing) {
    // 28 digits before the point: the highest unit is 仟 of 亿亿亿.
    const QString largest = QStringLiteral("1") + QString(27, QLatin1Char('0'));
    EXPECT_EQ(capital::convert(largest).text, u("壹仟亿亿亿元整"));
    EXPECT_EQ(capital::convert(QStringLiteral("10000000000000000")).text, u("壹亿亿元整"));
    EXPECT_EQ(capital::convert(QStringLiteral("1000000000000")).text, u("壹万亿元整"));
    EXPECT_EQ(capital::convert(largest + QLatin1Char('0')).text, QString());
}
} // namespace
