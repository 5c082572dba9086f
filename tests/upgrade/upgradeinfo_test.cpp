// The information file's keys and the newer-version tests.
#include "upgrade/upgradeinfo.h"
#include "upgrade/upgradeinfomaker.h"
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

TEST(UpgradeInfo, SizesAndTheSerialAreWholeNumbersOrNone) {
    const UpgradeInfo info = readUpgradeInfo(QStringLiteral(
        "#Serial= 1723456789\n#url=a\n#SIZE=120\n#url0=b\n#size0=-5\n#url3=c\n#size3=1e3\n#url4=d\n"));
    EXPECT_EQ(info.serial, 1723456789);
    EXPECT_EQ(info.sizes, (QList<qint64>{120, -1, -1, -1}));
    for (const char *serial : {"", "#serial=\n", "#serial=12x\n", "#serial=-1\n", "#serial=0x10\n"})
        EXPECT_EQ(readUpgradeInfo(QString::fromLatin1(serial) + QStringLiteral("#url=a\n")).serial, -1)
            << serial;
    EXPECT_EQ(readUpgradeInfo(QStringLiteral("#serial=0\n")).serial, 0);
}

TEST(UpgradeInfoMaker, TheLinesWrittenForTheFilesReadBackInTheirOrder) {
    QList<upgrademaker::ListedFile> files;
    for (int i = 0; i < 5; ++i)
        files.append(
            {QStringLiteral("https://host/download/f%1").arg(i), QString(64, QChar(u'a' + i)), 100 + i});
    const QString lines = upgrademaker::fileLines(files);
    EXPECT_TRUE(lines.startsWith(QStringLiteral("#url=https://host/download/f0\r\n#sha256=aaaa")));
    EXPECT_TRUE(lines.contains(QStringLiteral("#url0=https://host/download/f1\r\n")));
    EXPECT_TRUE(lines.contains(QStringLiteral("#size3=102\r\n")));
    const UpgradeInfo info = readUpgradeInfo(lines);
    ASSERT_EQ(info.urls.size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(info.urls[i], files[i].address);
        EXPECT_EQ(info.hashes[i], files[i].sha256);
        EXPECT_EQ(info.sizes[i], files[i].size);
    }
}

TEST(UpgradeInfoMaker, WhatTheProgramWouldRefuseIsFoundBeforeSigning) {
    const QString hash(64, u'c');
    const QString good = QStringLiteral("#serial=7\n#date=08/05/2014\n#url=https://h/a\n#sha256=") + hash +
                         QStringLiteral("\n#size=10\n");
    EXPECT_EQ(upgrademaker::problems(good), QStringList());
    EXPECT_EQ(
        upgrademaker::problems(QStringLiteral("#serial=7\n#date=08/05/2014\n#method=2\n#url=https://h/news")),
        QStringList())
        << "a page to open downloads nothing";
    const struct {
        QString text;
        int problems;
    } cases[] = {
        {QString(good).replace(QStringLiteral("#serial=7"), QStringLiteral("#serial=seven")), 1},
        {QString(good).replace(QStringLiteral("08/05/2014"), QStringLiteral("2014-08-05")), 1},
        {QString(good).replace(QStringLiteral("#size=10"), QString()), 1},
        {QString(good).replace(hash, QStringLiteral("00")), 1},
        {good + QStringLiteral("#url0=https://h/b\n"), 2},
        {QStringLiteral("#url=https://h/a\n"), 4},
    };
    for (const auto &test : cases)
        EXPECT_EQ(upgrademaker::problems(test.text).size(), test.problems) << test.text.toStdString();
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
        {"4.3b", "4.3", false},      {"10.0", "9.9", false},        {"4.3b", "4.3b", false},
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
