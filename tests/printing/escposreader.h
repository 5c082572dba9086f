#pragma once
// A reader of the ESC/POS bytes our receipts use, for tests: the text lines (decoded from GB18030,
// with their width in columns, size and alignment), the bar codes, cuts and drawer pulses, and a
// fault for anything a printer would misread (an unknown command, a split double-byte character,
// text left without its line feed, bytes above 0x7F outside the Chinese mode).
#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <array>
#include <vector>

struct EscposLine {
    QString text;
    int columns = 0; // a double-width character counts twice as wide
    bool doubleSize = false;
    bool centred = false;
    int copy = 0; // 0, 1, 2: a copy ends with its cut or, without a cutter, its feed (ESC d)
};

struct EscposBarcode {
    QByteArray data; // code set B, "{{" read as "{"
    int height = 0, moduleWidth = 0, hri = 0;
};

struct EscposDocument {
    std::vector<EscposLine> lines;
    std::vector<EscposBarcode> barcodes;
    std::vector<int> cuts;                  // the n of GS V 66 n
    std::vector<std::array<int, 3>> pulses; // m, t1, t2
    int resets = 0;
    bool chinese = false;
    QStringList faults;

    std::vector<EscposLine> linesOfCopy(int copy) const {
        std::vector<EscposLine> found;
        for (const EscposLine &line : lines)
            if (line.copy == copy) found.push_back(line);
        return found;
    }
};

inline EscposDocument readEscpos(const QByteArray &bytes) {
    EscposDocument doc;
    QByteArray text;
    int widthFactor = 1, height = 0, moduleWidth = 0, hri = 0, copy = 0;
    bool centred = false, doubled = false;
    auto at = [&](qsizetype i) { return i < bytes.size() ? static_cast<uchar>(bytes.at(i)) : -1; };
    auto need = [&](qsizetype i, qsizetype count) {
        if (i + count <= bytes.size()) return true;
        doc.faults << QStringLiteral("command cut short at %1").arg(i);
        return false;
    };
    auto endLine = [&] {
        EscposLine line;
        QStringDecoder decoder("GB18030");
        line.text = decoder(text);
        line.columns = static_cast<int>(text.size()) * widthFactor;
        line.doubleSize = doubled;
        line.centred = centred;
        line.copy = copy;
        doc.lines.push_back(line);
        text.clear();
    };
    auto atLineStart = [&](const char *what, qsizetype i) {
        if (!text.isEmpty())
            doc.faults << QStringLiteral("%1 inside a line at %2").arg(QLatin1String(what)).arg(i);
    };
    for (qsizetype i = 0; i < bytes.size();) {
        const uchar byte = at(i);
        if (byte == 0x0A) {
            endLine();
            ++i;
        } else if (byte == 0x1B) { // ESC
            if (!need(i, 2)) break;
            const int c = at(i + 1);
            if (c == '@') {
                ++doc.resets;
                i += 2;
            } else if (c == 'a' && need(i, 3)) {
                atLineStart("ESC a", i);
                centred = at(i + 2) == 1;
                i += 3;
            } else if (c == 'd' && need(i, 3)) {
                atLineStart("ESC d", i);
                ++copy;
                i += 3;
            } else if (c == 'p' && need(i, 5)) {
                doc.pulses.push_back({at(i + 2), at(i + 3), at(i + 4)});
                i += 5;
            } else {
                doc.faults << QStringLiteral("unknown ESC %1 at %2").arg(c).arg(i);
                i += 2;
            }
        } else if (byte == 0x1C) { // FS
            if (!need(i, 2)) break;
            if (at(i + 1) == '&')
                doc.chinese = true;
            else if (at(i + 1) == '.')
                doc.chinese = false;
            else
                doc.faults << QStringLiteral("unknown FS %1 at %2").arg(at(i + 1)).arg(i);
            i += 2;
        } else if (byte == 0x1D) { // GS
            if (!need(i, 3)) break;
            const int c = at(i + 1), n = at(i + 2);
            if (c == '!') {
                widthFactor = ((n >> 4) & 7) + 1;
                doubled = n == 0x11;
                i += 3;
            } else if (c == 'h') {
                height = n;
                i += 3;
            } else if (c == 'w') {
                moduleWidth = n;
                i += 3;
            } else if (c == 'H') {
                hri = n;
                i += 3;
            } else if (c == 'V' && n == 66 && need(i, 4)) {
                atLineStart("GS V", i);
                doc.cuts.push_back(at(i + 3));
                ++copy;
                i += 4;
            } else if (c == 'k' && n == 73 && need(i, 4)) {
                atLineStart("GS k", i);
                const int length = at(i + 3);
                if (!need(i + 4, length)) break;
                const QByteArray raw = bytes.mid(i + 4, length);
                if (!raw.startsWith("{B")) doc.faults << QStringLiteral("bar code not in code set B");
                // "{{" is a "{"; "{" before anything else switches code sets or sends a function code.
                QByteArray data;
                for (qsizetype k = 2; k < raw.size(); ++k) {
                    if (raw.at(k) == '{' && (k + 1 >= raw.size() || raw.at(++k) != '{'))
                        doc.faults << QStringLiteral("bar code function or shift in its data");
                    data += raw.at(k);
                }
                doc.barcodes.push_back({data, height, moduleWidth, hri});
                i += 4 + length;
            } else {
                doc.faults << QStringLiteral("unknown GS %1 at %2").arg(c).arg(i);
                i += 2;
            }
        } else if (byte < 0x20 || byte == 0x7F) {
            doc.faults << QStringLiteral("control byte %1 at %2").arg(byte).arg(i);
            ++i;
        } else if (byte < 0x80) {
            text += static_cast<char>(byte);
            ++i;
        } else {
            const int second = at(i + 1);
            if (!doc.chinese)
                doc.faults << QStringLiteral("byte %1 outside the Chinese mode at %2").arg(byte).arg(i);
            if (byte < 0x81 || byte == 0xFF || second < 0x40 || second == 0x7F || second > 0xFE) {
                doc.faults << QStringLiteral("not a double-byte character at %1").arg(i);
                ++i;
                continue;
            }
            text += bytes.mid(i, 2);
            i += 2;
        }
    }
    if (!text.isEmpty()) doc.faults << QStringLiteral("text without its line feed at the end");
    return doc;
}
