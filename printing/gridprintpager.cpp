#include "printing/gridprintpager.h"

#include "printing/gridprint.h"
#include "widgets/datasetmodel.h"

#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace gridprint {

namespace {
// The cell's padding on each side, in ems of its font.
constexpr double PadX = 0.3;
constexpr double PadY = 0.15;
// Room for what the widths of a shape or of single characters leave out (kerning, rounding).
constexpr double Slack = 1.02;
// A name squeezed to the least keeps this many characters a line.
constexpr double NameLeastEms = 3.0;
// A name too long for its squeezed column wraps to at most this many lines, the last one cut.
constexpr int MaxLines = 3;

QFont cellFont(double points, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

Qt::Alignment horizontal(Qt::Alignment alignment) {
    const Qt::Alignment h = alignment & Qt::AlignHorizontal_Mask;
    return h ? h : Qt::AlignLeft;
}
} // namespace

Measure measure(const DatasetModel &model, std::vector<int> logical, const QPrinter &printer) {
    Measure result;
    result.logical = std::move(logical);
    TextWidths plain(cellFont(BodyPoints), &printer);
    TextWidths bold(cellFont(BodyPoints, true), &printer);
    // Device pixels at the body size to page points per point of font size, padding added.
    const double perPoint = printer.resolution() / 72.0 * BodyPoints;
    const auto need = [perPoint](double pixels) { return pixels * Slack / perPoint + 2 * PadX; };
    const int rows = model.rowCount();
    for (const int column : result.logical) {
        double widestWhole = 0, widestOther = 0;
        bool whole = true;
        for (int row = 0; row < rows; ++row) {
            const QString text = model.cellText(row, column);
            if (text.isEmpty()) continue;
            if (isWholeText(text)) {
                widestWhole = std::max(widestWhole, plain.width(text));
            } else {
                whole = false;
                widestOther = std::max(widestOther, plain.width(text));
            }
        }
        // A total is a figure of the column; a fixed text there ("合计") is a name.
        const QString footer = model.footerText(column);
        if (isWholeText(footer))
            widestWhole = std::max(widestWhole, bold.width(footer));
        else
            widestOther = std::max(widestOther, bold.width(footer));
        const double title = plain.width(model.column(column).title.trimmed());
        ColumnNeed columnNeed;
        columnNeed.natural = need(std::max({widestWhole, widestOther, title}));
        columnNeed.least = whole ? need(widestWhole) : std::min(columnNeed.natural, NameLeastEms + 2 * PadX);
        result.needs.push_back(columnNeed);
        result.whole.push_back(whole);
    }
    return result;
}

Pager::Pager(QPrinter &printer, const DatasetModel &model, const Report &report, const Measure &measure)
    : m_printer(printer), m_model(model), m_report(report), m_measure(measure) {
    m_page = printer.pageLayout().paintRectPixels(printer.resolution());
    m_page.moveTo(0, 0);
    m_plan = planFor(measure.needs, printer.pageLayout().orientation(),
                     printer.pageLayout().paintRect(QPageLayout::Point).width());
    m_cellFont = cellFont(m_plan.points);
    m_boldFont = cellFont(m_plan.points, true);
    m_titleFont = QFont(QStringLiteral("Courier New"), 14, QFont::Bold);
    m_plainWidths.emplace(m_cellFont, &printer);
    m_boldWidths.emplace(m_boldFont, &printer);
    double x = 0;
    for (const double points : m_plan.widths) {
        m_x.push_back(x);
        m_width.push_back(pixels(points));
        x += m_width.back();
    }
    m_padX = pixels(PadX * m_plan.points);
    m_padY = pixels(PadY * m_plan.points);
    m_lineHeight = QFontMetricsF(m_cellFont, &printer).height();
    m_gap = pixels(2);
    const QFontMetricsF body(cellFont(BodyPoints), &printer);
    m_headerHeight = body.height() + 4 * m_gap;
    m_titleHeight = QFontMetricsF(m_titleFont, &printer).height() * 1.5 + m_gap;
    m_bottomHeight = body.height() * 2;

    const int rows = model.rowCount();
    for (const int column : measure.logical) {
        const QVariant alignment =
            rows > 0 ? model.data(model.index(0, column), Qt::TextAlignmentRole) : QVariant();
        m_alignment.push_back(alignment.isValid() ? horizontal(Qt::Alignment(alignment.toInt()))
                                                  : Qt::AlignLeft);
    }
    for (std::size_t i = 0; i < measure.logical.size(); ++i) {
        const GridColumn &column = model.column(measure.logical[i]);
        const double inner = m_width[i] - 2 * m_padX;
        m_titleLines = std::max<int>(
            m_titleLines, wrapLines(column.title.trimmed(), m_cellFont, &printer, inner, MaxLines).size());
    }
    std::vector<Cell> totals = totalsCells();
    for (std::size_t i = 0; i < totals.size(); ++i)
        m_totalsLines = std::max(m_totalsLines, lines(i, totals[i].text, true));
    m_levelHeight = m_titleLines * m_lineHeight + 2 * m_padY;
    layOutPages();
}

double Pager::pixels(double points) const {
    return points * m_printer.resolution() / 72.0;
}

QStringList Pager::cellLines(std::size_t column, const QString &text, const QFont &font, double width) const {
    if (m_measure.whole[column]) return {text};
    TextWidths &widths = font.bold() ? *m_boldWidths : *m_plainWidths;
    if (widths.width(text) * Slack <= width) return {text};
    return wrapLines(text, font, &m_printer, width, MaxLines);
}

int Pager::lines(std::size_t column, const QString &text, bool bold) {
    if (text.isEmpty()) return 1;
    const double inner = m_width[column] - 2 * m_padX;
    return std::max<int>(1, cellLines(column, text, bold ? m_boldFont : m_cellFont, inner).size());
}

double Pager::rowHeight(int rowLines) const {
    return rowLines * m_lineHeight + 2 * m_padY;
}

double Pager::top(int page) const {
    return m_headerHeight + (page == 0 ? m_titleHeight : 0) + 2 * m_levelHeight;
}

void Pager::layOutPages() {
    const int rows = m_model.rowCount();
    // Only a squeezed column wraps: the rows of a list that fits are all one line, unmeasured.
    bool wraps = false;
    for (std::size_t i = 0; i < m_measure.logical.size(); ++i)
        wraps = wraps || (!m_measure.whole[i] && m_plan.squeezed);
    if (wraps) {
        m_rowLines.assign(static_cast<std::size_t>(rows), 1);
        for (int row = 0; row < rows; ++row)
            for (std::size_t i = 0; i < m_measure.logical.size(); ++i)
                if (!m_measure.whole[i])
                    m_rowLines[row] = static_cast<unsigned char>(std::max<int>(
                        m_rowLines[row], lines(i, m_model.cellText(row, m_measure.logical[i]), false)));
    }
    const double height = m_page.height();
    m_pages.push_back({});
    double y = top(0);
    const auto turn = [&](int row) {
        m_pages.push_back({row, row, false, false});
        y = top(static_cast<int>(m_pages.size()) - 1);
    };
    for (int row = 0; row < rows; ++row) {
        const double h = rowHeight(m_rowLines.empty() ? 1 : m_rowLines[row]);
        if (y + h > height && m_pages.back().endRow > m_pages.back().firstRow) turn(row);
        m_pages.back().endRow = row + 1;
        y += h;
    }
    const double totals = rowHeight(m_totalsLines);
    if (y + totals > height && m_pages.back().endRow > m_pages.back().firstRow) turn(rows);
    m_pages.back().totals = true;
    y += totals;
    if (y + m_bottomHeight > height) turn(rows);
    m_pages.back().bottomLine = true;
}

std::vector<Pager::Cell> Pager::rowCells(int row) const {
    std::vector<Cell> cells;
    const QVariant colour =
        m_measure.logical.empty()
            ? QVariant()
            : m_model.data(m_model.index(row, m_measure.logical.front()), Qt::ForegroundRole);
    for (std::size_t i = 0; i < m_measure.logical.size(); ++i)
        cells.push_back({m_model.cellText(row, m_measure.logical[i]), m_alignment[i],
                         colour.isValid() ? colour.value<QColor>() : QColor()});
    return cells;
}

std::vector<Pager::Cell> Pager::totalsCells() const {
    std::vector<Cell> cells;
    for (const int column : m_measure.logical)
        cells.push_back({m_model.footerText(column), horizontal(m_model.footerAlignment(column)), QColor()});
    return cells;
}

void Pager::drawLines(QPainter &painter, const QRectF &box, const QStringList &lines,
                      Qt::Alignment alignment) const {
    // Never clipped: the widths were made for the texts, and a cut figure is worse than a touching one.
    const double height = lines.size() * m_lineHeight;
    double y = box.center().y() - height / 2;
    for (const QString &line : lines) {
        painter.drawText(QRectF(box.left(), y, box.width(), m_lineHeight),
                         int(alignment | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip), line);
        y += m_lineHeight;
    }
}

void Pager::drawCell(QPainter &painter, const QRectF &box, std::size_t column, const Cell &cell) const {
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(box);
    if (cell.text.isEmpty()) return;
    painter.setPen(cell.colour.isValid() ? cell.colour : QColor(Qt::black));
    const QRectF inner = box.adjusted(m_padX, m_padY, -m_padX, -m_padY);
    drawLines(painter, inner, cellLines(column, cell.text, painter.font(), inner.width()), cell.alignment);
}

void Pager::drawHeader(QPainter &painter, int index) const {
    const QFont body = cellFont(BodyPoints);
    painter.setFont(body);
    painter.setPen(Qt::black);
    const QRectF header(0, 0, m_page.width(), QFontMetricsF(body, &m_printer).height());
    painter.drawText(header, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Page. %1").arg(index + 1));
    const double line = header.bottom() + m_gap;
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(QPointF(0, line), QPointF(m_page.width(), line));
    painter.drawLine(QPointF(0, line + m_gap), QPointF(m_page.width(), line + m_gap));
    if (index != 0) return;
    painter.setFont(m_titleFont);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, m_headerHeight, m_page.width(), m_titleHeight - m_gap),
                     Qt::AlignHCenter | Qt::AlignVCenter, m_report.title);
}

// Two title rows: a group title spans its neighbouring columns; a column without one has its title
// over both rows.
void Pager::drawTitles(QPainter &painter, double y) const {
    painter.setFont(m_cellFont);
    const std::size_t count = m_measure.logical.size();
    const auto title = [&](const QRectF &box, const QString &text) {
        painter.setPen(QPen(Qt::black, 0));
        painter.drawRect(box);
        painter.setPen(Qt::black);
        const QRectF inner = box.adjusted(m_padX, m_padY, -m_padX, -m_padY);
        drawLines(painter, inner, wrapLines(text.trimmed(), m_cellFont, &m_printer, inner.width(), MaxLines),
                  Qt::AlignHCenter);
    };
    std::size_t i = 0;
    while (i < count) {
        const GridColumn &column = m_model.column(m_measure.logical[i]);
        if (column.group.isEmpty()) {
            title(QRectF(m_x[i], y, m_width[i], 2 * m_levelHeight), column.title);
            ++i;
            continue;
        }
        std::size_t end = i;
        double width = 0;
        while (end < count && m_model.column(m_measure.logical[end]).group == column.group) {
            title(QRectF(m_x[end], y + m_levelHeight, m_width[end], m_levelHeight),
                  m_model.column(m_measure.logical[end]).title);
            width += m_width[end];
            ++end;
        }
        title(QRectF(m_x[i], y, width, m_levelHeight), column.group);
        i = end;
    }
}

void Pager::drawRow(QPainter &painter, double y, const std::vector<Cell> &cells, int rowLines,
                    bool bold) const {
    painter.setFont(bold ? m_boldFont : m_cellFont);
    const double height = rowHeight(rowLines);
    for (std::size_t i = 0; i < cells.size(); ++i)
        drawCell(painter, QRectF(m_x[i], y, m_width[i], height), i, cells[i]);
}

void Pager::paintPage(QPainter &painter, int index) {
    const Page &page = m_pages[static_cast<std::size_t>(index)];
    drawHeader(painter, index);
    double y = m_headerHeight + (index == 0 ? m_titleHeight : 0);
    drawTitles(painter, y);
    y += 2 * m_levelHeight;
    for (int row = page.firstRow; row < page.endRow; ++row) {
        const int rowLines = m_rowLines.empty() ? 1 : m_rowLines[static_cast<std::size_t>(row)];
        drawRow(painter, y, rowCells(row), rowLines, false);
        y += rowHeight(rowLines);
    }
    if (page.totals) {
        drawRow(painter, y, totalsCells(), m_totalsLines, true);
        y += rowHeight(m_totalsLines);
    }
    if (!page.bottomLine) return;
    const QFont body = cellFont(BodyPoints);
    painter.setFont(body);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, y, m_page.width(), m_bottomHeight), Qt::AlignRight | Qt::AlignVCenter,
                     m_report.bottomLine);
}

} // namespace gridprint
