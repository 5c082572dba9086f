#include "printing/slip.h"

#include "printing/printtexts.h"
#include "printing/songfont.h"
#include "store/dataset.h"

#include <QPainter>
#include <QPrinter>
#include <array>

namespace slip {

namespace {
constexpr double BandWidth = 180.2;
constexpr double TitleHeight = 14.0;
constexpr double CustomerHeight = 6.1;
constexpr double HeaderHeight = 7.4;
constexpr double DetailHeight = 6.6;
constexpr double SummaryHeight = 9.5;
constexpr double SloganHeight = 11.9;
constexpr double SignatureHeight = 8.2;
constexpr double LineWidth = 0.2;
// The column rules of the header and the detail bands.
constexpr std::array<double, 6> ColumnRules = {35.8, 75.7, 101.5, 116.3, 133.3, 150.2};
// What a text longer than its place may take of its room, clear of the rules beside it.
constexpr double RuleClearance = 0.5;
constexpr double FieldClearance = 1.0;
// Text is made smaller in these steps; below the last it would no longer be read.
constexpr double ShrinkStep = 0.25;
constexpr double SmallestPoints = 3.0;

// A cell of the detail band: where its text stands when it fits at the band's size, and the room
// between its column's rules that a longer one may take, made smaller. A figure or a code is never
// cut, and one size for the whole column keeps its figures in line; a name or a remark may wrap
// within its own cell.
struct Cell {
    double x, width;
    double roomLeft, roomRight;
    Qt::Alignment alignment;
    QString Row::*text;
    bool wholeColumn;
};
constexpr std::array<Cell, 7> Cells = {{
    {2.1, 32.8, RuleClearance, 35.8 - RuleClearance, Qt::AlignLeft, &Row::name, false},
    {36.8, 38.6, 35.8 + RuleClearance, 75.7 - RuleClearance, Qt::AlignLeft, &Row::model, false},
    {77.3, 23.3, 75.7 + RuleClearance, 101.5 - RuleClearance, Qt::AlignLeft, &Row::code, true},
    {102.0, 113.8 - 102.0, 101.5 + RuleClearance, 116.3 - RuleClearance, Qt::AlignRight, &Row::quantity,
     true},
    {116.8, 129.9 - 116.8, 116.3 + RuleClearance, 133.3 - RuleClearance, Qt::AlignRight, &Row::price, true},
    {133.8, 147.7 - 133.8, 133.3 + RuleClearance, 150.2 - RuleClearance, Qt::AlignRight, &Row::amount, true},
    {150.8, 28.3, 150.2 + RuleClearance, BandWidth - RuleClearance, Qt::AlignLeft, &Row::remark, false},
}};

std::optional<QString> customerValue(const Dataset &ticket, const QString &field) {
    const int column = ticket.fieldIndex(field);
    // No listed row: its fields are as good as NULL.
    if (ticket.rowCount() == 0) return std::nullopt;
    if (column < 0) return QString();
    if (ticket.isNull(0, column)) return std::nullopt;
    return ticket.text(0, column);
}

// Paints bands down the pages, in millimetres from the top left of the printable area.
class BandPainter {
  public:
    BandPainter(QPrinter &printer, QPainter &painter, const Content &content)
        : m_printer(printer), m_painter(painter), m_content(content) {
        m_dotsPerMm = printer.resolution() / 25.4;
        m_pageHeight = printer.pageLayout().paintRect(QPageLayout::Millimeter).height();
        m_pen = QPen(Qt::black, mm(LineWidth));
    }

    int run() {
        layOutColumns();
        titleBand();
        customerBand1();
        customerBand2();
        headerBand();
        for (const Row &row : m_content.rows)
            detailBand(row);
        summaryBand();
        if (!m_content.slogan1.isEmpty()) sloganBand();
        signatureBand();
        return m_pages;
    }

  private:
    double mm(double millimetres) const { return millimetres * m_dotsPerMm; }

    // The band's top; a band that does not fit below the last one starts a new page under the
    // column header.
    double place(double height) {
        if (m_y + height > m_pageHeight + 1e-6 && m_y > 0) {
            m_printer.newPage();
            ++m_pages;
            m_y = 0;
            headerBand();
        }
        const double top = m_y;
        m_y += height;
        return top;
    }

    // A text with its top left corner at (x, y) of the band.
    void text(double top, double x, double y, const QString &text, const QFont &font) {
        m_painter.setFont(font);
        m_painter.drawText(QPointF(mm(x), mm(top + y) + m_painter.fontMetrics().ascent()), text);
    }
    // The band's font, made smaller until the text fits the box whole (on more lines when it may wrap).
    QFont fitted(QFont font, const QRectF &box, const QString &text, bool wrap) {
        const int flags = wrap ? int(Qt::TextWordWrap) : int(Qt::TextSingleLine);
        while (font.pointSizeF() > SmallestPoints) {
            m_painter.setFont(font);
            const QRectF needed = m_painter.boundingRect(box, flags, text);
            if (needed.width() <= box.width() && needed.height() <= box.height()) break;
            font.setPointSizeF(font.pointSizeF() - ShrinkStep);
        }
        return font;
    }
    // A text in the box of the band, vertically centred, smaller and wrapped when it is too long.
    void fittedBox(double top, double height, double x, double width, Qt::Alignment alignment,
                   const QString &text, const QFont &font) {
        const QRectF box(mm(x), mm(top), mm(width), mm(height));
        m_painter.setFont(fitted(font, box, text, true));
        m_painter.drawText(box, int(alignment | Qt::AlignVCenter | Qt::TextWordWrap), text);
    }
    // A text in a box of the band, vertically centred.
    void boxed(double top, double height, double x, double width, Qt::Alignment alignment,
               const QString &text, const QFont &font) {
        m_painter.setFont(font);
        m_painter.drawText(QRectF(mm(x), mm(top), mm(width), mm(height)),
                           int(alignment | Qt::AlignVCenter | Qt::TextSingleLine), text);
    }
    void hline(double top, double x, double y, double length) {
        m_painter.setPen(m_pen);
        m_painter.drawLine(QPointF(mm(x), mm(top + y)), QPointF(mm(x + length), mm(top + y)));
    }
    void vline(double top, double x, double height) {
        m_painter.setPen(m_pen);
        m_painter.drawLine(QPointF(mm(x), mm(top)), QPointF(mm(x), mm(top + height)));
    }
    // Frame lines top, left and right, and the column rules.
    void frame(double top, double height, const std::vector<double> &rules) {
        hline(top, 0, 0, BandWidth);
        vline(top, 0, height);
        vline(top, BandWidth, height);
        for (const double x : rules)
            vline(top, x, height);
    }
    static std::vector<double> columnRules() { return {ColumnRules.begin(), ColumnRules.end()}; }

    void titleBand() {
        const double top = place(TitleHeight);
        boxed(top, 6.3, 0, BandWidth, Qt::AlignHCenter, m_content.title, printing::songFont(16, true));
        hline(top, 42.6, 6.3, 96.8);
        hline(top, 42.6, 7.4, 96.8);
        const QFont contact = printing::songFont(10);
        m_painter.setFont(contact);
        const double width = m_painter.fontMetrics().horizontalAdvance(m_content.contact) / m_dotsPerMm;
        text(top, (BandWidth - width) / 2, 9.0, m_content.contact, contact);
    }

    // Each value keeps to its room, up to the next field of the line.
    void customerLine(double top, double x, double end, const char *caption,
                      const std::optional<QString> &value) {
        if (!value) return;
        fittedBox(top, CustomerHeight, x, end - x, Qt::AlignLeft, QString::fromUtf8(caption) + *value,
                  printing::songFont(11));
    }
    void customerBand1() {
        const double top = place(CustomerHeight);
        customerLine(top, 4.2, 137.3 - FieldClearance, "客户名称：", m_content.customer);
        customerLine(top, 137.3, BandWidth, "单 号：", m_content.saleNumber);
    }
    void customerBand2() {
        const double top = place(CustomerHeight);
        customerLine(top, 4.2, 88.4 - FieldClearance, "客户地址：", m_content.address);
        customerLine(top, 88.4, 137.3 - FieldClearance, "联系电话：", m_content.phone);
        customerLine(top, 137.3, BandWidth, "日 期：", m_content.date);
    }

    void headerBand() {
        const double top = m_y;
        m_y += HeaderHeight;
        frame(top, HeaderHeight, columnRules());
        const QFont bold = printing::songFont(11, true);
        const std::pair<double, const char *> titles[] = {
            {8.5, "商品名称"}, {47.1, "规格型号"}, {83.9, "编 码"}, {104.5, "数量"},
            {119.3, "单 价"},  {136.5, "金 额"},   {158.8, "备 注"}};
        for (const auto &[x, title] : titles)
            boxed(top, HeaderHeight, x, 30, Qt::AlignLeft, QString::fromUtf8(title), bold);
    }

    // A column whose texts all fit their place keeps it at the band's size; otherwise the whole
    // column takes its room at the size its widest text fits.
    void layOutColumns() {
        const QFont font = printing::songFont(11);
        for (std::size_t i = 0; i < Cells.size(); ++i) {
            const Cell &cell = Cells[i];
            ColumnLayout &layout = m_columns[i];
            layout = {cell.x, cell.width, font};
            if (!cell.wholeColumn) continue;
            const auto fitsAll = [&](double x, double width, const QFont &size) {
                const QRectF box(mm(x), 0, mm(width), mm(DetailHeight));
                for (const Row &row : m_content.rows)
                    if (fitted(size, box, row.*cell.text, false).pointSizeF() < size.pointSizeF())
                        return false;
                return true;
            };
            if (fitsAll(cell.x, cell.width, font)) continue;
            layout.x = cell.roomLeft;
            layout.width = cell.roomRight - cell.roomLeft;
            const QRectF room(mm(layout.x), 0, mm(layout.width), mm(DetailHeight));
            for (const Row &row : m_content.rows) {
                const QFont smaller = fitted(layout.font, room, row.*cell.text, false);
                if (smaller.pointSizeF() < layout.font.pointSizeF()) layout.font = smaller;
            }
        }
    }

    void detailBand(const Row &row) {
        const double top = place(DetailHeight);
        frame(top, DetailHeight, columnRules());
        for (std::size_t i = 0; i < Cells.size(); ++i) {
            const Cell &cell = Cells[i];
            const ColumnLayout &layout = m_columns[i];
            if (cell.wholeColumn)
                boxed(top, DetailHeight, layout.x, layout.width, cell.alignment, row.*cell.text, layout.font);
            else
                fittedBox(top, DetailHeight, layout.x, layout.width, cell.alignment, row.*cell.text,
                          layout.font);
        }
    }

    void summaryBand() {
        const double top = place(SummaryHeight);
        frame(top, SummaryHeight, {133.3});
        const QFont bold = printing::songFont(11, true);
        text(top, 4.5, 0.5, QStringLiteral("合 计"), bold);
        text(top, 3.4, 4.8, QStringLiteral("人民币"), bold);
        text(top, 18.8, 2.4, QStringLiteral("（大写） ") + m_content.capital, bold);
        QFont underlined = bold;
        underlined.setUnderline(true);
        text(top, 136.3, 3.2, QStringLiteral("￥") + m_content.total, underlined);
    }

    void sloganBand() {
        const double top = place(SloganHeight);
        m_painter.setPen(m_pen);
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRect(QRectF(mm(0), mm(top), mm(BandWidth), mm(SloganHeight)));
        const QFont font = printing::songFont(10);
        text(top, 3.2, 1.3, m_content.slogan1, font);
        text(top, 3.2, 6.3, m_content.slogan2, font);
    }

    void signatureBand() {
        const double top = place(SignatureHeight);
        const QFont font = printing::songFont(11);
        boxed(top, SignatureHeight, 6.3, 50, Qt::AlignLeft, QStringLiteral("收货人："), font);
        boxed(top, SignatureHeight, 65.6, 50, Qt::AlignLeft, QStringLiteral("送货人："), font);
        boxed(top, SignatureHeight, 130.7, BandWidth - 130.7, Qt::AlignLeft,
              QStringLiteral("制单人：") + m_content.maker, font);
    }

    struct ColumnLayout {
        double x = 0, width = 0;
        QFont font;
    };
    std::array<ColumnLayout, Cells.size()> m_columns;
    QPrinter &m_printer;
    QPainter &m_painter;
    const Content &m_content;
    double m_dotsPerMm = 1;
    double m_pageHeight = 0;
    double m_y = 0;
    int m_pages = 1;
    QPen m_pen;
};
} // namespace

Content fill(const Dataset &ticket, const PrintTexts &texts, const QString &saleNumber, const QString &total,
             const QString &maker, const QDate &today) {
    Content content;
    content.title = texts.slipTitle;
    content.contact = texts.slipContact;
    content.saleNumber = saleNumber;
    content.customer = customerValue(ticket, QStringLiteral("g"));
    content.address = customerValue(ticket, QStringLiteral("h"));
    content.phone = customerValue(ticket, QStringLiteral("i"));
    content.date = today.toString(QStringLiteral("yyyy-MM-dd"));
    content.total = total;
    content.slogan1 = texts.slipSlogan1;
    content.slogan2 = texts.slipSlogan2;
    content.maker = maker;
    const auto field = [&ticket](const char *name) { return ticket.fieldIndex(QString::fromLatin1(name)); };
    const int columns[] = {field("a"), field("b"), field("c"), field("3"),
                           field("2"), field("4"), field("j")};
    const auto cell = [&ticket](int row, int column) {
        return column < 0 ? QString() : ticket.text(row, column);
    };
    for (int row = 0; row < ticket.rowCount(); ++row)
        content.rows.push_back({cell(row, columns[0]), cell(row, columns[1]), cell(row, columns[2]),
                                cell(row, columns[3]), cell(row, columns[4]), cell(row, columns[5]),
                                cell(row, columns[6])});
    return content;
}

void setUpPage(QPrinter &printer) {
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(15, 10, 15, 10), QPageLayout::Millimeter));
}

int render(QPrinter &printer, const Content &content) {
    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    const int pages = BandPainter(printer, painter, content).run();
    painter.end();
    return pages;
}

} // namespace slip
