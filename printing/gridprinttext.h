#pragma once
// The texts of grid-print cells: their widths, cheap enough for every cell of a long list, and a
// name's lines when it has to wrap.
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QStringList>

class QPaintDevice;

namespace gridprint {

// Widths in device pixels in one font. A figure, date or code is measured by its shape (each digit
// as the font's widest), so that the few shapes of a column are measured once, and never narrower
// than it prints; any other text by the advances of its characters.
class TextWidths {
  public:
    TextWidths(const QFont &font, const QPaintDevice *device);
    double width(const QString &text);

  private:
    QFontMetricsF m_metrics;
    QChar m_widestDigit;
    QHash<QString, double> m_shapes;
    QHash<char16_t, double> m_characters;
};

// The lines of a text in a width: broken between words, inside a word only when it is longer than
// the width; at most `maxLines`, the last one cut with "…" when the text needs more.
QStringList wrapLines(const QString &text, const QFont &font, const QPaintDevice *device, double width,
                      int maxLines);

} // namespace gridprint
