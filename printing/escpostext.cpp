#include "printing/escpostext.h"

#include <QStringEncoder>

namespace escpos {

namespace {
constexpr char Unknown = '?';

bool isLeadByte(uchar byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

// A lone surrogate would vanish in the encoder and shift every column after it.
QString withoutLoneSurrogates(const QString &text) {
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            clean += ch;
            clean += text.at(++i);
        } else if (ch.isSurrogate()) {
            clean += QLatin1Char(Unknown);
        } else {
            clean += ch;
        }
    }
    return clean;
}
} // namespace

QByteArray encode(const QString &text) {
    // Opening the converter costs more than a receipt line's text: one per thread, kept.
    thread_local QStringEncoder encoder("GB18030", QStringConverter::Flag::Stateless);
    const QByteArray raw = encoder(withoutLoneSurrogates(text));
    QByteArray out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size();) {
        const auto byte = static_cast<uchar>(raw.at(i));
        if (isLeadByte(byte) && i + 1 < raw.size()) {
            const auto second = static_cast<uchar>(raw.at(i + 1));
            if (second >= 0x30 && second <= 0x39) { // a four-byte sequence: no glyph in the printer
                out += Unknown;
                i += 4;
            } else {
                out += raw.mid(i, 2);
                i += 2;
            }
            continue;
        }
        if (byte == '\t')
            out += ' ';
        else if (byte < 0x20 || byte >= 0x7F)
            out += Unknown;
        else
            out += static_cast<char>(byte);
        ++i;
    }
    return out;
}

QList<QByteArray> wrap(const QByteArray &encoded, int columns) {
    columns = std::max(columns, 2);
    QList<QByteArray> pieces;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < encoded.size()) {
        const int width = isLeadByte(static_cast<uchar>(encoded.at(i))) ? 2 : 1;
        if (i + width - start > columns) {
            pieces.append(encoded.mid(start, i - start));
            start = i;
        }
        i += width;
    }
    if (start < encoded.size()) pieces.append(encoded.mid(start));
    return pieces;
}

QByteArray alignRight(const QByteArray &encoded, int columns) {
    return QByteArray(std::max<qsizetype>(columns - encoded.size(), 0), ' ') + encoded;
}

QByteArray alignLeft(const QByteArray &encoded, int columns) {
    return encoded + QByteArray(std::max<qsizetype>(columns - encoded.size(), 0), ' ');
}

} // namespace escpos
