#pragma once
// Reads a printed PDF back with pdftotext -bbox: the words with their boxes, page by page.
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

struct PdfWord {
    int page;
    double xMin, yMin, xMax, yMax;
    QString text;
};

// The CJK fonts' glyphs of some characters are read back as their Kangxi radicals ("⾦" for "金"):
// those become the characters again, everything else stays as printed.
inline QString unifiedIdeographs(const QString &text) {
    QString out;
    for (const QChar ch : text) {
        if (ch.unicode() >= 0x2E80 && ch.unicode() <= 0x2FDF)
            out += QString(ch).normalized(QString::NormalizationForm_KC);
        else
            out += ch;
    }
    return out;
}

inline std::vector<PdfWord> pdfWords(const QString &pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    process.waitForFinished(30000);
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    std::vector<PdfWord> words;
    int page = 0;
    static const QRegularExpression tag(
        QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    auto it = tag.globalMatch(html);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++page;
            continue;
        }
        QString text = m.captured(5);
        text.replace(QLatin1String("&amp;"), QLatin1String("&"))
            .replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&quot;"), QLatin1String("\""));
        words.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                         m.captured(4).toDouble(), unifiedIdeographs(text)});
    }
    return words;
}

// Each page's size in points, as pdftotext reads it.
inline std::vector<std::pair<double, double>> pdfPageSizes(const QString &pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    process.waitForFinished(30000);
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression page(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\""));
    std::vector<std::pair<double, double>> sizes;
    auto it = page.globalMatch(html);
    while (it.hasNext()) {
        const auto m = it.next();
        sizes.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    return sizes;
}

// The words of one page joined by blanks, in reading order as pdftotext gives them.
inline QString pdfPageText(const std::vector<PdfWord> &words, int page) {
    QStringList texts;
    for (const PdfWord &word : words)
        if (word.page == page) texts << word.text;
    return texts.join(QLatin1Char(' '));
}

inline const PdfWord *findWord(const std::vector<PdfWord> &words, const QString &text, int page = 1) {
    for (const PdfWord &word : words)
        if (word.page == page && word.text == text) return &word;
    return nullptr;
}

// The words standing on the same printed line as the first word `text` of the page, left to right.
inline QStringList lineOf(const std::vector<PdfWord> &words, const QString &text, int page = 1) {
    const PdfWord *anchor = findWord(words, text, page);
    if (!anchor) return {};
    std::vector<const PdfWord *> line;
    for (const PdfWord &word : words)
        if (word.page == page &&
            std::abs((word.yMin + word.yMax) / 2 - (anchor->yMin + anchor->yMax) / 2) < 2)
            line.push_back(&word);
    std::sort(line.begin(), line.end(), [](const PdfWord *a, const PdfWord *b) { return a->xMin < b->xMin; });
    QStringList texts;
    for (const PdfWord *word : line)
        texts << word->text;
    return texts;
}
