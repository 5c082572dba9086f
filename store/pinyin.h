#pragma once
// Pinyin initials of goods texts (电脑 -> dn), stored beside name and model so that goods can be
// found by the letters typed. Works byte by byte on GBK so that stored initials stay comparable.
#include <QByteArray>
#include <QString>

// The small letter whose code range holds the two-byte unit b1 b2 (first-level GB2312 characters
// are ordered by reading), or 0 when the code lies outside 0xB0A1-0xD7F9.
char codeRangeInitial(unsigned char b1, unsigned char b2);

// Initials of GBK bytes, as ASCII: digits, letters and the signs !.#$%()*+-,/[\|^~`@{}_ are copied;
// every other byte starts a two-byte unit (a last lone byte is paired with 0) that gives its range
// letter, else the letter of the first initials list holding the unit, else "!".
QByteArray pinyinInitials(const QByteArray &gbk);

// The same for a Unicode text, converted to GBK first. A character GBK cannot encode (an emoji, a
// rare CJK character) counts as one two-byte character that stands in no list: it gives "!".
QString pinyinInitials(const QString &text);
