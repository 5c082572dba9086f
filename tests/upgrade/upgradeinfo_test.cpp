// The information file's keys and the newer-version tests.
#include "upgrade/upgradeinfo.h"
#include "upgrade/upgradetexts.h"

#include <gtest/gtest.h>

TEST(UpgradeInfo, KeysAreFoundInAnyCaseAndValuesKeepTheirsUpToTheLineEnd) {
    const QString text =
        QStringLiteral("#DATE=08/05/2014\r\n#Url=http://Host/Download/A.exe\r\n#method=1x\n#date=01/01/2020");
    EXPECT_EQ(upgradeInfoValue(text, QStringLiteral("date")), QStringLiteral("08/05/2014"))
        << "the first wins";
    EXPECT_EQ(upgradeInfoValue(text, QStringLiteral("url")), QStringLiteral("http://Host/Download/A.exe"));
    EXPECT_EQ(upgradeInfoValue(text, QStringLiteral("version")), QString());
    EXPECT_EQ(readUpgradeInfo(text).method, UpgradeMethod::ExternalSetup);
    EXPECT_EQ(upgradeInfoValue(QStringLiteral("#url=last"), QStringLiteral("url")), QStringLiteral("last"));
}

TEST(UpgradeInfo, NumberedAddressesGoOnFromThePositionInTheList) {
    const struct {
        const char *text;
        const char *urls; // joined by blanks
    } cases[] = {
        {"#url=a\n#url0=b\n#url3=c\n#url4=d\n#url2=x\n", "a b c d"},
        {"#url=a\n#url2=b\n#url3=c\n#url1=x\n", "a b c"},
        {"#url1=a\n#url2=b\n#url4=x\n", "a b"},
        {"#url0=a\n#url2=b\n", "a b"},
        {"#url=a\n#url2=\n#url3=x\n", "a"},
        {"#date=01/01/2015\n", ""},
    };
    for (const auto &test : cases)
        EXPECT_EQ(readUpgradeInfo(QString::fromLatin1(test.text)).urls.join(u' '),
                  QString::fromLatin1(test.urls))
            << test.text;
}

TEST(UpgradeInfo, HashesStandBesideTheirAddresses) {
    const UpgradeInfo info =
        readUpgradeInfo(QStringLiteral("#url=a\n#SHA256=AB12\n#url0=b\n#url3=c\n#sha2563=cd34\n#sha2560=\n"));
    EXPECT_EQ(info.hashes, (QStringList{QStringLiteral("ab12"), QString(), QStringLiteral("cd34")}));
}

TEST(UpgradeInfo, TheMessageRunsBetweenBracesOverLinesOrToTheEnd) {
    EXPECT_EQ(upgradeInfoMessage(QString::fromUtf8("#Message={第一行\r\n第二行}\n#date=1")),
              QString::fromUtf8("第一行\r\n第二行"));
    EXPECT_EQ(upgradeInfoMessage(QStringLiteral("#message={no end\n#date=08/05/2014")),
              QStringLiteral("no end\n#date=08/05/2014"));
    EXPECT_EQ(upgradeInfoMessage(QStringLiteral("#message=plain")), QString()) << "only with its brace";
}

TEST(UpgradeVersion, ByDateAMissingOrUnreadableDateIsToday) {
    const QDate today(2026, 12, 10);
    EXPECT_TRUE(isNewerByDate(QStringLiteral("07/29/2014"), QStringLiteral("07/30/2014"), today));
    EXPECT_FALSE(isNewerByDate(QStringLiteral("07/29/2014"), QStringLiteral("07/29/2014"), today));
    EXPECT_FALSE(isNewerByDate(QStringLiteral("07/29/2014"), QStringLiteral("12/31/2013"), today));
    EXPECT_TRUE(isNewerByDate(QStringLiteral("07/29/2014"), QString(), today));
    EXPECT_TRUE(isNewerByDate(QStringLiteral("07/29/2014"), QStringLiteral("2014-08-01"), today));
    EXPECT_FALSE(isNewerByDate(QStringLiteral("07/29/2014"), QStringLiteral("08/01/14"), today))
        << "the year 14";
    EXPECT_EQ(upgradeDate(QStringLiteral("02/30/2014"), today), today);
}

TEST(UpgradeVersion, ByNumberPartsAsIntegersElseTheTexts) {
    const struct {
        const char *installed, *offered;
        bool newer;
    } cases[] = {
        {"4.3.9.1", "4.3.10", true}, {"4.3.9.1", "4.3.9.1", false}, {"4.3.9", "4.3.9.0", false},
        {"4.3.9.1", "4.3.9", false}, {"", "0.0.0.1", true},         {"4.3", "4.3b", true},
        {"4.3b", "4.3", false},      {"10.0", "9.9", false},
    };
    for (const auto &test : cases)
        EXPECT_EQ(isNewerByNumber(QString::fromLatin1(test.installed), QString::fromLatin1(test.offered)),
                  test.newer)
            << test.installed << " -> " << test.offered;
}

TEST(UpgradeTexts, TheLanguageFollowsTheLocaleAndValuesFillInOrder) {
    EXPECT_EQ(upgradeLanguageFor(QLocale(QLocale::Chinese, QLocale::China)),
              UpgradeLanguage::ChineseSimplified);
    EXPECT_EQ(upgradeLanguageFor(QLocale(QLocale::English, QLocale::UnitedStates)), UpgradeLanguage::English);
    EXPECT_EQ(upgradeLanguageFor(QLocale(QLocale::German)), UpgradeLanguage::English);
    setUpgradeLanguage(UpgradeLanguage::English);
    EXPECT_EQ(
        upgradeText(upgradetext::Question, {QStringLiteral("A"), QStringLiteral("%s")}),
        QStringLiteral("A newer version of A was released.\n%s\nDo you want to update your version with the "
                       "latest one?"));
    setUpgradeLanguage(UpgradeLanguage::ChineseSimplified);
    EXPECT_EQ(upgradeText(upgradetext::ErrorCaption), QString::fromUtf8("错误"));
    setUpgradeLanguage(std::nullopt);
}
