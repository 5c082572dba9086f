#include "printing/gridprint.h"

#include "printing/previewwindow.h"
#include "widgets/datagrid.h"
#include "widgets/datasetmodel.h"

#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <algorithm>
#include <vector>

namespace gridprint {

namespace {
PreviewRunner &runner() {
    static PreviewRunner instance;
    return instance;
}

struct Cell {
    QString text;
    Qt::Alignment alignment;
    QColor colour;
};

// The grid's visible columns as they go onto the page: their x positions and widths in device pixels.
struct Columns {
    std::vector<int> logical;
    std::vector<double> x;
    std::vector<double> width;
};

Columns fitColumns(const DataGrid &grid, double pageWidth) {
    Columns columns;
    columns.logical = grid.visibleColumnsInOrder();
    double total = 0;
    for (int column : columns.logical)
        total += std::max(grid.shownWidth(column), 1);
    double x = 0;
    for (int column : columns.logical) {
        const double width = pageWidth * std::max(grid.shownWidth(column), 1) / std::max(total, 1.0);
        columns.x.push_back(x);
        columns.width.push_back(width);
        x += width;
    }
    return columns;
}

class Pager {
  public:
    Pager(QPrinter &printer, QPainter &painter, const DataGrid &grid, const Report &report)
        : m_printer(printer), m_painter(painter), m_model(*grid.datasetModel()), m_report(report) {
        m_page = printer.pageLayout().paintRectPixels(printer.resolution());
        m_page.moveTo(0, 0);
        m_cellFont = QFont(QStringLiteral("Arial"), 9);
        m_titleFont = QFont(QStringLiteral("Courier New"), 14, QFont::Bold);
        m_columns = fitColumns(grid, m_page.width());
        m_padding = printer.resolution() / 50.0;
    }

    int run() {
        startPage();
        const int rows = m_model.rowCount();
        for (int row = 0; row < rows; ++row)
            placeRow(rowCells(row), false);
        std::vector<Cell> totals;
        for (std::size_t i = 0; i < m_columns.logical.size(); ++i) {
            const int column = m_columns.logical[i];
            totals.push_back({m_model.footerText(column), m_model.footerAlignment(column), QColor()});
        }
        placeRow(totals, true);
        placeBottomLine();
        return m_pages;
    }

  private:
    std::vector<Cell> rowCells(int row) const {
        std::vector<Cell> cells;
        for (int column : m_columns.logical) {
            const QModelIndex index = m_model.index(row, column);
            const QVariant colour = m_model.data(index, Qt::ForegroundRole);
            const QVariant alignment = m_model.data(index, Qt::TextAlignmentRole);
            cells.push_back({m_model.cellText(row, column),
                             alignment.isValid() ? Qt::Alignment(alignment.toInt()) : Qt::AlignLeft,
                             colour.isValid() ? colour.value<QColor>() : QColor()});
        }
        return cells;
    }

    double textHeight(const QString &text, double width) const {
        const QFontMetricsF metrics(m_cellFont, &m_printer);
        const QRectF bounds =
            metrics.boundingRect(QRectF(0, 0, std::max(width - 2 * m_padding, 1.0), 1e6), Qt::TextWordWrap,
                                 text.isEmpty() ? QStringLiteral(" ") : text);
        return bounds.height() + 2 * m_padding;
    }

    double rowHeight(const std::vector<Cell> &cells) const {
        double height = textHeight(QString(), 100);
        for (std::size_t i = 0; i < cells.size(); ++i)
            height = std::max(height, textHeight(cells[i].text, m_columns.width[i]));
        return height;
    }

    void drawCell(const QRectF &box, const Cell &cell) {
        m_painter.setPen(QPen(Qt::black, 0));
        m_painter.drawRect(box);
        m_painter.setPen(cell.colour.isValid() ? cell.colour : QColor(Qt::black));
        m_painter.drawText(box.adjusted(m_padding, m_padding, -m_padding, -m_padding),
                           int(cell.alignment | Qt::AlignVCenter) | Qt::TextWordWrap, cell.text);
    }

    void startPage() {
        if (m_pages > 0) m_printer.newPage();
        ++m_pages;
        m_painter.setFont(m_cellFont);
        m_painter.setPen(Qt::black);
        const QFontMetricsF metrics(m_cellFont, &m_printer);
        const QRectF header(0, 0, m_page.width(), metrics.height());
        m_painter.drawText(header, Qt::AlignHCenter | Qt::AlignVCenter,
                           QStringLiteral("Page. %1").arg(m_pages));
        const double gap = m_printer.resolution() / 72.0 * 2;
        const double line = header.bottom() + gap;
        m_painter.setPen(QPen(Qt::black, 0));
        m_painter.drawLine(QPointF(0, line), QPointF(m_page.width(), line));
        m_painter.drawLine(QPointF(0, line + gap), QPointF(m_page.width(), line + gap));
        m_y = line + 3 * gap;
        if (m_pages == 1) {
            m_painter.setFont(m_titleFont);
            const QFontMetricsF titleMetrics(m_titleFont, &m_printer);
            const QRectF title(0, m_y, m_page.width(), titleMetrics.height() * 1.5);
            m_painter.drawText(title, Qt::AlignHCenter | Qt::AlignVCenter, m_report.title);
            m_y = title.bottom() + gap;
            m_painter.setFont(m_cellFont);
        }
        drawTitles();
    }

    // Two title rows: a group title spans its neighbouring columns; a column without one has its title
    // over both rows.
    void drawTitles() {
        const QFontMetricsF metrics(m_cellFont, &m_printer);
        const double level = metrics.height() + 2 * m_padding;
        const std::size_t count = m_columns.logical.size();
        std::size_t i = 0;
        while (i < count) {
            const GridColumn &column = m_model.column(m_columns.logical[i]);
            if (column.group.isEmpty()) {
                drawCell(QRectF(m_columns.x[i], m_y, m_columns.width[i], 2 * level),
                         {column.title, Qt::AlignHCenter, QColor()});
                ++i;
                continue;
            }
            std::size_t end = i;
            double width = 0;
            while (end < count && m_model.column(m_columns.logical[end]).group == column.group) {
                drawCell(QRectF(m_columns.x[end], m_y + level, m_columns.width[end], level),
                         {m_model.column(m_columns.logical[end]).title, Qt::AlignHCenter, QColor()});
                width += m_columns.width[end];
                ++end;
            }
            drawCell(QRectF(m_columns.x[i], m_y, width, level), {column.group, Qt::AlignHCenter, QColor()});
            i = end;
        }
        m_y += 2 * level;
    }

    void placeRow(const std::vector<Cell> &cells, bool totals) {
        const double height = rowHeight(cells);
        if (m_y + height > m_page.height()) startPage();
        QFont font = m_cellFont;
        font.setBold(totals);
        m_painter.setFont(font);
        for (std::size_t i = 0; i < cells.size(); ++i)
            drawCell(QRectF(m_columns.x[i], m_y, m_columns.width[i], height), cells[i]);
        m_painter.setFont(m_cellFont);
        m_y += height;
    }

    void placeBottomLine() {
        const QFontMetricsF metrics(m_cellFont, &m_printer);
        const double height = metrics.height() * 2;
        if (m_y + height > m_page.height()) startPage();
        m_painter.setPen(Qt::black);
        m_painter.drawText(QRectF(0, m_y, m_page.width(), height), Qt::AlignRight | Qt::AlignVCenter,
                           m_report.bottomLine);
        m_y += height;
    }

    QPrinter &m_printer;
    QPainter &m_painter;
    const DatasetModel &m_model;
    const Report &m_report;
    QRectF m_page;
    QFont m_cellFont;
    QFont m_titleFont;
    Columns m_columns;
    double m_padding = 0;
    double m_y = 0;
    int m_pages = 0;
};
} // namespace

QString makerLine(const QString &userName, const QDate &today) {
    return QStringLiteral("制表人：") + userName + QStringLiteral("    日期：") +
           today.toString(QStringLiteral("yyyy-MM-dd"));
}

void setUpPage(QPrinter &printer) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(2.0, 2.0, 2.0, 2.0), QPageLayout::Millimeter);
    printer.setColorMode(QPrinter::Color);
}

int render(const DataGrid &grid, const Report &report, QPrinter &printer) {
    grid.finishLoading();
    if (!grid.datasetModel()) return 0;
    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    const int pages = Pager(printer, painter, grid, report).run();
    painter.end();
    return pages;
}

void preview(const DataGrid &grid, const Report &report, QWidget *parent) {
    QPrinter printer(QPrinter::HighResolution);
    setUpPage(printer);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(report.title);
    previewwindow::fitForReading(dialog);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&grid, &report](QPrinter *target) { render(grid, report, *target); });
    if (runner())
        runner()(dialog);
    else
        dialog.exec();
}

void setPreviewRunner(PreviewRunner r) {
    runner() = std::move(r);
}

} // namespace gridprint
