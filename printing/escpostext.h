#pragma once
// Texts as a Chinese roll printer takes them in its Chinese mode: GB18030 bytes where a character is
// one byte (ASCII, one column) or two (a double-byte character, two columns), so that a text's
// columns are its byte count. Characters the printer's font cannot show become "?".
#include <QByteArray>
#include <QList>
#include <QString>

namespace escpos {

// The text in GB18030. What the printer cannot show becomes one "?": a character that GB18030 writes
// in four bytes (outside the double-byte range of GBK, e.g. U+20000), a lone surrogate, and a control
// character (which would otherwise reach the printer as a command; a tab becomes a blank).
QByteArray encode(const QString &text);
// The encoded text cut into pieces of at most `columns` columns, never inside a double-byte
// character. Nothing for an empty text; a column count below two is taken as two.
QList<QByteArray> wrap(const QByteArray &encoded, int columns);
// Blanks before (right aligned) or after (left aligned) the text up to `columns`; a longer text is
// returned whole.
QByteArray alignRight(const QByteArray &encoded, int columns);
QByteArray alignLeft(const QByteArray &encoded, int columns);

} // namespace escpos
