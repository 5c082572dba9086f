#include "store/pinyin.h"

#include "store/pinyin_lists.h"

#include <QStringEncoder>
#include <QtGlobal>
#include <array>

namespace {

constexpr char kPlainCharacters[] = "0123456789abcdefghijklmnopqrstuvwxyz"
                                    "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                    "!.#$%()*+-,/[\\|^~`@{}_";

constexpr std::array<bool, 256> plainTable() {
    std::array<bool, 256> table{};
    for (const char *c = kPlainCharacters; *c; ++c)
        table[static_cast<unsigned char>(*c)] = true;
    return table;
}
constexpr std::array<bool, 256> kPlain = plainTable();

struct CodeRange {
    char letter;
    int first; // the range runs up to the next range's first code
};
// The first-level GB2312 characters are ordered by reading, so each initial is one run of codes.
constexpr CodeRange kCodeRanges[] = {
    {'a', 45217}, {'b', 45253}, {'c', 45761}, {'d', 46318}, {'e', 46826}, {'f', 47010},
    {'g', 47297}, {'h', 47614}, {'j', 48119}, {'k', 49062}, {'l', 49324}, {'m', 49896},
    {'n', 50371}, {'o', 50614}, {'p', 50622}, {'q', 50906}, {'r', 51387}, {'s', 51446},
    {'t', 52218}, {'w', 52698}, {'x', 52980}, {'y', 53689}, {'z', 54481},
};
constexpr int kLastRangeCode = 55289;

// Stands for a character GBK cannot encode: no GBK character, outside the code ranges and in no
// list, so it gives "!" and keeps the byte pairing of its neighbours as a real character would.
// (Substituting a one-byte "?" instead would swallow the next character's first byte.)
constexpr char kUnencodable[] = "\xFF\xFF";

char listInitial(const char unit[2]) {
    const QByteArrayView needle(unit, 2);
    for (const InitialsList &list : kInitialsLists)
        if (list.text.indexOf(needle) >= 0) return list.letter;
    return '!';
}

// One code point at a time, so that each character GBK lacks becomes one unit of its own. (The
// encoder's error flag stays set once raised, hence a fresh encoder after each failure; and a lone
// surrogate is never handed to it, as a trailing one would be held back and lost.)
QByteArray toGbk(const QString &text) {
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    const bool usable = encoder.isValid();
    if (!usable) qWarning("pinyinInitials: no GBK encoder (Qt without ICU); non-ASCII characters give \"!\"");
    QByteArray out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        const QStringView character = QStringView(text).mid(i, length);
        i += length;
        if (c.unicode() < 0x80) {
            out += char(c.unicode());
            continue;
        }
        if (!usable || (c.isSurrogate() && !pair)) {
            out += kUnencodable;
            continue;
        }
        const QByteArray bytes = encoder.encode(character);
        if (encoder.hasError()) {
            out += kUnencodable;
            encoder = QStringEncoder("GBK", QStringConverter::Flag::Stateless);
        } else {
            out += bytes;
        }
    }
    return out;
}

} // namespace

char codeRangeInitial(unsigned char b1, unsigned char b2) {
    const int code = b1 * 256 + b2;
    if (code < kCodeRanges[0].first || code > kLastRangeCode) return 0;
    char letter = 0;
    for (const CodeRange &range : kCodeRanges)
        if (code >= range.first) letter = range.letter;
    return letter;
}

QByteArray pinyinInitials(const QByteArray &gbk) {
    QByteArray result;
    result.reserve(gbk.size());
    const qsizetype n = gbk.size();
    for (qsizetype i = 0; i < n;) {
        const auto byte = static_cast<unsigned char>(gbk[i]);
        if (kPlain[byte]) {
            result += char(byte);
            ++i;
            continue;
        }
        const char unit[2] = {gbk[i], i + 1 < n ? gbk[i + 1] : '\0'};
        const char letter = codeRangeInitial(byte, static_cast<unsigned char>(unit[1]));
        result += letter ? letter : listInitial(unit);
        i += 2;
    }
    return result;
}

QString pinyinInitials(const QString &text) {
    return QString::fromLatin1(pinyinInitials(toGbk(text)));
}
