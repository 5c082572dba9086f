#pragma once
// How a data grid shows one field of its dataset: the title (with an optional group title spanning
// neighbouring columns), the display format, what its totals-row cell holds, width and alignment.
#include <QString>
#include <Qt>

// "#0.###" and "#0.##": up to three or two decimals without trailing zeros.
enum class DisplayFormat { None, Decimals3, Decimals2 };

// The numbers are the ones the layout file stores.
enum class SortMarker { None = 0, Down = 1, Up = 2 };

struct GridColumn {
    enum class Footer { None, Text, Sum };

    QString field;
    QString title;
    // Columns next to each other with the same group title share one title cell above theirs; a
    // column without one has its title over both levels.
    QString group;
    DisplayFormat format = DisplayFormat::None;
    Footer footer = Footer::None;
    QString footerText; // for Footer::Text
    int width = 80;
    // Empty: numbers to the right, texts to the left.
    Qt::Alignment alignment = {};
    bool visible = true;
    // A column of codes (a bar code) keeps room for this many digits, like the figures, so that the
    // code a shopkeeper reads off a packet is never shown shortened.
    int keptDigits = 0;

    // "group|title" as the export writes the two title levels; a caption without "|" is a title alone.
    static GridColumn fromCaption(const QString &field, const QString &caption);
    // A column as the lists declare theirs: UTF-8 names and titles, a default width, a format, a footer.
    static GridColumn make(const char *field, const char *group, const char *title, int width,
                           DisplayFormat format = DisplayFormat::None, Footer footer = Footer::None);
    QString caption() const { return group.isEmpty() ? title : group + QLatin1Char('|') + title; }
};

inline GridColumn GridColumn::fromCaption(const QString &field, const QString &caption) {
    GridColumn column;
    column.field = field;
    const qsizetype bar = caption.indexOf(QLatin1Char('|'));
    if (bar < 0) {
        column.title = caption;
    } else {
        column.group = caption.left(bar);
        column.title = caption.mid(bar + 1);
    }
    return column;
}

inline GridColumn GridColumn::make(const char *field, const char *group, const char *title, int width,
                                   DisplayFormat format, Footer footer) {
    GridColumn c;
    c.field = QString::fromUtf8(field);
    c.group = QString::fromUtf8(group);
    c.title = QString::fromUtf8(title);
    c.width = width;
    c.format = format;
    c.footer = footer;
    return c;
}
