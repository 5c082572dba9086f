#include "printing/gridprinttext.h"

#include "printing/gridprintplan.h"

#include <QPaintDevice>
#include <QTextLayout>

namespace gridprint {

TextWidths::TextWidths(const QFont &font, const QPaintDevice *device)
    : m_metrics(font, device), m_widestDigit(u'0') {
    double widest = 0;
    for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
        const double advance = m_metrics.horizontalAdvance(QChar(digit));
        if (advance > widest) {
            widest = advance;
            m_widestDigit = QChar(digit);
        }
    }
}

double TextWidths::width(const QString &text) {
    if (isWholeText(text)) {
        QString shape = text;
        for (QChar &ch : shape)
            if (ch.isDigit()) ch = m_widestDigit;
        const auto known = m_shapes.constFind(shape);
        if (known != m_shapes.constEnd()) return *known;
        // The tight box as well: a glyph may reach past its advance.
        const double width =
            std::max(m_metrics.horizontalAdvance(shape), m_metrics.boundingRect(shape).width());
        m_shapes.insert(shape, width);
        return width;
    }
    double width = 0;
    for (const QChar ch : text) {
        if (ch.isSurrogate()) return m_metrics.horizontalAdvance(text);
        auto known = m_characters.constFind(ch.unicode());
        if (known == m_characters.constEnd())
            known = m_characters.insert(ch.unicode(), m_metrics.horizontalAdvance(ch));
        width += *known;
    }
    return width;
}

QStringList wrapLines(const QString &text, const QFont &font, const QPaintDevice *device, double width,
                      int maxLines) {
    QTextLayout layout(text, font, const_cast<QPaintDevice *>(device));
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    int rest = 0;
    bool more = false;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        if (lines.size() == maxLines) {
            more = true;
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
        rest = line.textStart();
    }
    layout.endLayout();
    if (more) {
        const QFontMetricsF metrics(font, device);
        lines.back() = metrics.elidedText(text.mid(rest), Qt::ElideRight, width);
    }
    return lines;
}

} // namespace gridprint
