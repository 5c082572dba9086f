// Pinyin initials: the byte-wise reading of GBK text, the code ranges, the generated initials lists
// and the generator that makes them.
#include "store/pinyin.h"
#include "store/pinyin_lists.h"

#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

QByteArray gbk(const QString &text) {
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder.encode(text);
    EXPECT_FALSE(encoder.hasError()) << text.toStdString();
    return bytes;
}

int codeOf(const QString &character) {
    const QByteArray bytes = gbk(character);
    EXPECT_EQ(bytes.size(), 2) << character.toStdString();
    return static_cast<unsigned char>(bytes[0]) * 256 + static_cast<unsigned char>(bytes[1]);
}

QByteArray unit(int code) {
    const char bytes[] = {char(code >> 8), char(code & 0xFF)};
    return QByteArray(bytes, 2);
}

// Initials of the first-level characters follow from their code alone.
struct Range {
    char letter;
    int first, last;
    const char *firstCharacter, *lastCharacter;
};
const Range kRanges[] = {
    {'a', 45217, 45252, "啊", "澳"}, {'b', 45253, 45760, "芭", "怖"}, {'c', 45761, 46317, "擦", "错"},
    {'d', 46318, 46825, "搭", "堕"}, {'e', 46826, 47009, "蛾", "贰"}, {'f', 47010, 47296, "发", "咐"},
    {'g', 47297, 47613, "噶", "过"}, {'h', 47614, 48118, "哈", "祸"}, {'j', 48119, 49061, "击", "骏"},
    {'k', 49062, 49323, "喀", "阔"}, {'l', 49324, 49895, "垃", "络"}, {'m', 49896, 50370, "妈", "穆"},
    {'n', 50371, 50613, "拿", "诺"}, {'o', 50614, 50621, "哦", "沤"}, {'p', 50622, 50905, "啪", "瀑"},
    {'q', 50906, 51386, "期", "群"}, {'r', 51387, 51445, "然", "弱"}, {'s', 51446, 52217, "撒", "所"},
    {'t', 52218, 52697, "塌", "唾"}, {'w', 52698, 52979, "挖", "误"}, {'x', 52980, 53688, "昔", "迅"},
    {'y', 53689, 54480, "压", "孕"}, {'z', 54481, 55289, "匝", "座"},
};

char rangeLetter(int code) {
    for (const Range &range : kRanges)
        if (code >= range.first && code <= range.last) return range.letter;
    return 0;
}

// Second-level characters in no list, and those in several lists (with their lists).
const char kNoList[] =
    "丨丿丶匚刂冂亻伢佼偎氽勹亠冫冖讠诙谘卩阝叟廴凵垅艹苁莼薰廾扌搡吖呒哌咤唢唷嗦嗯噢囗峋崽彳"
    "徇徉彡犭夂饣忄怏惴丬氵泱淙漪宀辶迤彐屮嬉驿骢纟缢琮璁枰辍攵肫灬礻肀钅铮稔穑鹑疒窀衤衽"
    "虍蝽筝踔龊鞅麟";
const std::map<QString, std::string> &multiList() {
    static const std::map<QString, std::string> lists = [] {
        const char *pairs[][2] = {
            {"嗌", "ay"}, {"拗", "an"}, {"钯", "bp"},  {"陂", "bp"}, {"埤", "bp"}, {"芘", "bp"}, {"吡", "bp"},
            {"睥", "bp"}, {"裨", "bp"}, {"缏", "bp"},  {"骠", "bp"}, {"杓", "bs"}, {"玢", "bf"}, {"钹", "bp"},
            {"楂", "cz"}, {"禅", "cs"}, {"镡", "ctx"}, {"焯", "cz"}, {"坻", "cd"}, {"帱", "cd"}, {"褚", "cz"},
            {"嘬", "cz"}, {"茈", "cz"}, {"呲", "cz"},  {"嗒", "dt"}, {"沓", "dt"}, {"呔", "dt"}, {"骀", "dt"},
            {"澹", "dt"}, {"焘", "dt"}, {"绨", "dt"},  {"阽", "dy"}, {"铫", "dy"}, {"喋", "dz"}, {"町", "dt"},
            {"铤", "dt"}, {"垌", "dt"}, {"峒", "dt"},  {"沌", "dz"}, {"柁", "dt"}, {"彷", "fp"}, {"莩", "fp"},
            {"鬲", "gl"}, {"仡", "gy"}, {"纥", "gh"},  {"硌", "gl"}, {"颌", "gh"}, {"枸", "gj"}, {"嘏", "gj"},
            {"鹄", "gh"}, {"栝", "gk"}, {"莞", "gw"},  {"矜", "gq"}, {"桧", "gh"}, {"炅", "gj"}, {"阚", "hk"},
            {"浒", "hx"}, {"砉", "hx"}, {"郇", "hx"},  {"圜", "hy"}, {"浍", "hk"}, {"亟", "jq"}, {"荠", "jq"},
            {"瘕", "jx"}, {"袷", "jq"}, {"囝", "jn"},  {"犍", "jq"}, {"峤", "jq"}, {"湫", "jq"}, {"颉", "jx"},
            {"廑", "jq"}, {"靓", "jl"}, {"苣", "jq"},  {"瞿", "jq"}, {"噱", "jx"}, {"隗", "kw"}, {"悝", "kl"},
            {"栎", "ly"}, {"泷", "ls"}, {"泺", "lp"},  {"漯", "lt"}, {"祢", "mn"}, {"渑", "ms"}, {"乜", "mn"},
            {"慝", "nt"}, {"俟", "qs"}, {"圻", "qy"},  {"欹", "qy"}, {"蹊", "qx"}, {"茜", "qx"}, {"缲", "qs"},
            {"溱", "qz"}, {"蝤", "qy"}, {"葚", "rs"},  {"剡", "sy"}, {"苕", "st"}, {"蛸", "sx"}, {"摺", "sz"},
            {"歙", "sx"}, {"椹", "sz"}, {"腧", "sy"},  {"忪", "sz"}, {"荑", "ty"}, {"裼", "tx"}, {"菀", "wy"},
            {"尢", "wy"}, {"圩", "wx"}, {"荥", "xy"},  {"窨", "xy"}, {"繇", "yz"},
        };
        std::map<QString, std::string> result;
        for (const auto &pair : pairs)
            result.emplace(QString::fromUtf8(pair[0]), pair[1]);
        return result;
    }();
    return lists;
}

bool isSecondLevel(int code) {
    return (code >> 8) >= 0xD8 && (code >> 8) <= 0xF7 && (code & 0xFF) >= 0xA1 && (code & 0xFF) <= 0xFE;
}

// The letters of the lists that hold the character as an entry of its own.
std::string listsHolding(int code) {
    std::string letters;
    for (const InitialsList &list : kInitialsLists)
        for (qsizetype i = 0; i + 2 < list.text.size(); i += 3)
            if (list.text.sliced(i, 2) == unit(code)) {
                letters += list.letter;
                break;
            }
    return letters;
}

TEST(PinyinInitials, TextsGiveTheirInitials) {
    const struct {
        const char *text, *initials;
    } cases[] = {
        {"电脑", "dn"},
        {"USB线", "USBx"},
        {"iPhone手机壳", "iPhonesjk"},
        {"阚", "h"}, // second level, first of its lists: h before k
        {"丨", "!"}, // second level, in no list
        {"", ""},
        {"2014ABCXYZ", "2014ABCXYZ"}, // digits and capitals stay as they are
        {"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!.#$%()*+-,/[\\|^~`@{}_",
         "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!.#$%()*+-,/[\\|^~`@{}_"},
        {"a b", "a!"}, // a blank takes the next byte with it
        {"a&b", "a!"},
        {"1=2", "1!"},
        {"x:", "x!"},   // ... or 0 when it is the last byte
        {" 是a", "!q"}, // 是 is CA C7: the blank pairs with CA, then C7 'a' lands in q
        {"手机 ", "sj!"},
        {"锕", "a"}, // second level, from the lists
        {"怄", "o"},
        {"齄", "z"}, // the last second-level character
        {"兀", "w"},
        // Characters GBK cannot encode count as one character in no list.
        {"a😀b", "a!b"},
        {"😀手机", "!sj"},
        {"手𠀀机", "s!j"},
        {"电脑😀", "dn!"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(pinyinInitials(QString::fromUtf8(c.text)), QString::fromUtf8(c.initials)) << c.text;
}

TEST(PinyinInitials, LoneSurrogatesCountAsOneUnencodableCharacter) {
    const QChar high(0xD800), low(0xDC00);
    EXPECT_EQ(pinyinInitials(QStringLiteral("x") + high + QStringLiteral("y")), QStringLiteral("x!y"));
    EXPECT_EQ(pinyinInitials(QStringLiteral("x") + low + QStringLiteral("y")), QStringLiteral("x!y"));
    EXPECT_EQ(pinyinInitials(QStringLiteral("电") + high), QStringLiteral("d!"));
}

TEST(PinyinInitials, BytesGiveTheirInitials) {
    const struct {
        QByteArray bytes;
        const char *initials;
    } cases[] = {
        {QByteArray("\xC0"), "k"}, // a lone lead byte pairs with 0: 0xC000 lies in k
        {QByteArray("ab\xC0"), "abk"},
        {QByteArray("\xB1\x40"), "b"}, // GBK beyond GB2312, but inside the code ranges
        {QByteArray("\xD6\x40"), "z"},
        {QByteArray("\x81\x40"), "!"}, // GBK beyond GB2312, outside the ranges
        {QByteArray("\xB0\xA0"), "!"}, // just below the first range
        {QByteArray("\xD7\xFA"), "!"}, // just above the last range
        {QByteArray(" "), "!"},
        {QByteArray("\xFF\xFF"), "!"},
        {QByteArray("\xC0\xAB\xC0\xAC"), "kl"}, // last of k, first of l
    };
    for (const auto &c : cases)
        EXPECT_EQ(pinyinInitials(c.bytes), QByteArray(c.initials)) << c.bytes.toHex().toStdString();
}

TEST(PinyinInitials, CodeRangesAreTheFirstLevelCharactersInOrder) {
    for (const Range &range : kRanges) {
        EXPECT_EQ(codeOf(QString::fromUtf8(range.firstCharacter)), range.first) << range.letter;
        EXPECT_EQ(codeOf(QString::fromUtf8(range.lastCharacter)), range.last) << range.letter;
    }
    for (int code = 0; code <= 0xFFFF; ++code)
        ASSERT_EQ(codeRangeInitial(code >> 8, code & 0xFF), rangeLetter(code)) << std::hex << code;
}

TEST(PinyinInitials, EveryFirstLevelCharacterGivesItsRangeLetter) {
    int characters = 0;
    for (int lead = 0xB0; lead <= 0xD7; ++lead)
        for (int trail = 0xA1; trail <= (lead == 0xD7 ? 0xF9 : 0xFE); ++trail) {
            const int code = lead * 256 + trail;
            ASSERT_EQ(pinyinInitials(unit(code)), QByteArray(1, rangeLetter(code))) << std::hex << code;
            ++characters;
        }
    EXPECT_EQ(characters, 3755);
}

TEST(PinyinInitials, CharactersInNoListGiveExclamationMark) {
    const QString characters = QString::fromUtf8(kNoList);
    ASSERT_EQ(characters.size(), 93);
    for (const QChar c : characters) {
        EXPECT_EQ(pinyinInitials(QString(c)), QStringLiteral("!")) << QString(c).toStdString();
        EXPECT_TRUE(isSecondLevel(codeOf(c))) << QString(c).toStdString();
    }
}

TEST(PinyinInitials, CharactersInSeveralListsGiveTheFirstLetter) {
    ASSERT_EQ(multiList().size(), 110u);
    for (const auto &[character, letters] : multiList())
        EXPECT_EQ(pinyinInitials(character), QString(QLatin1Char(letters[0]))) << character.toStdString();
}

// The first characters of each list as saved rows know them: the second-level ones must give the
// letter of the first list that holds them.
TEST(PinyinInitials, KnownListCharactersGiveTheirLetter) {
    const char *firstCharacters[] = {
        "锕捱嗳嗌嫒瑷暧砹", "茇菝岜灞钯粑鲅魃", "嚓礤孱骖璨粲黪嘈", "耷哒嗒怛妲沓疸褡", "噩谔垩苊莪萼呃愕",
        "垡砝蕃蘩幡梵燔畈", "尬尕尜旮钆丐陔垓", "蛤虾铪嘿咳嗨胲醢", "丌亟乩剞佶偈诘墼", "佧咔胩剀垲蒈忾恺",
        "剌邋旯砬瘌崃徕涞", "唛犸嬷杩蟆劢荬霾", "捺肭镎衲鼐艿萘柰", "讴怄瓯耦",         "葩杷钯筢俳蒎拚爿",
        "亟亓俟圻芑芪荠萁", "苒蚺髯禳穰荛娆桡", "卅仨挲脎飒噻馓毵", "獭挞蹋拓嗒闼溻漯", "佤娲腽烷皖惋宛婉",
        "僖兮隰郗茜菥葸蓰", "垭揠岈迓娅琊桠氩", "咂甾拶瓒昝簪糌趱",
    };
    const char letters[] = "abcdefghjklmnopqrstwxyz";
    for (int i = 0; i < 23; ++i) {
        const char letter = letters[i];
        for (const QChar c : QString::fromUtf8(firstCharacters[i])) {
            const int code = codeOf(c);
            if (!isSecondLevel(code)) continue;
            const auto multi = multiList().find(QString(c));
            const char expected = multi == multiList().end() ? letter : multi->second[0];
            EXPECT_EQ(pinyinInitials(QString(c)), QString(QLatin1Char(expected))) << QString(c).toStdString();
        }
    }
}

TEST(PinyinInitials, ListsHoldEverySecondLevelCharacterExceptTheNoListOnes) {
    const char letters[] = "abcdefghjklmnopqrstwxyz";
    for (int i = 0; i < 23; ++i) {
        const InitialsList &list = kInitialsLists[i];
        EXPECT_EQ(list.letter, letters[i]);
        ASSERT_EQ(list.text.size() % 3, 0) << list.letter;
        for (qsizetype at = 0; at < list.text.size(); at += 3) {
            ASSERT_TRUE(isSecondLevel(static_cast<unsigned char>(list.text[at]) * 256 +
                                      static_cast<unsigned char>(list.text[at + 1])))
                << list.letter << at;
            ASSERT_EQ(list.text[at + 2], ' ') << list.letter << at;
        }
    }
    std::set<int> noList;
    for (const QChar c : QString::fromUtf8(kNoList))
        noList.insert(codeOf(c));
    std::map<int, std::string> multi;
    for (const auto &[character, lists] : multiList())
        multi[codeOf(character)] = lists;

    int listed = 0;
    for (int lead = 0xD8; lead <= 0xF7; ++lead)
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            const int code = lead * 256 + trail;
            const std::string holding = listsHolding(code);
            if (noList.count(code))
                EXPECT_EQ(holding, "") << std::hex << code;
            else if (multi.count(code))
                EXPECT_EQ(holding, multi[code]) << std::hex << code;
            else
                EXPECT_EQ(holding.size(), 1u) << std::hex << code << " in " << holding;
            listed += holding.empty() ? 0 : 1;
        }
    EXPECT_EQ(listed, 2915);
}

TEST(PinyinInitials, CommandPrintsTheInitialsOfEachLine) {
    QProcess command;
    command.start(QStringLiteral(JSJXC_PINYIN_TOOL), {});
    ASSERT_TRUE(command.waitForStarted());
    command.write("电脑\nUSB线\r\n\n阚丨\n😀");
    command.closeWriteChannel();
    ASSERT_TRUE(command.waitForFinished());
    EXPECT_EQ(command.exitCode(), 0);
    EXPECT_EQ(command.readAllStandardOutput(), QByteArray("dn\nUSBx\n\nh!\n!\n"));
}

// The committed lists are exactly what the generator makes from Debian's Unihan readings.
TEST(PinyinInitials, GeneratorReproducesTheCommittedLists) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = QStringLiteral(JSJXC_SOURCE_DIR);
    const QString output = dir.filePath(QStringLiteral("pinyin_lists.cpp"));
    QProcess generator;
    generator.start(QStringLiteral(JSJXC_PYTHON3),
                    {source + QStringLiteral("/tools/gen_pinyin_lists.py"), output});
    ASSERT_TRUE(generator.waitForStarted()) << JSJXC_PYTHON3;
    ASSERT_TRUE(generator.waitForFinished(120000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();

    QFile generated(output), committed(source + QStringLiteral("/store/pinyin_lists.cpp"));
    ASSERT_TRUE(generated.open(QIODevice::ReadOnly));
    ASSERT_TRUE(committed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(generated.readAll() == committed.readAll())
        << "store/pinyin_lists.cpp differs from the generator's output; run tools/gen_pinyin_lists.py";
}

} // namespace
