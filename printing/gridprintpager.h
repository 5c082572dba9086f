#pragma once
// Lays the grid print out on the printer's pages and paints them one by one: the measured columns,
// the page breaks decided before the first page is painted (so that a long print can say how far it
// is), then each page with its header, titles and rows, the totals and the line below the grid.
#include "printing/gridprintplan.h"
#include "printing/gridprinttext.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

class DatasetModel;
class QPainter;
class QPrinter;

namespace gridprint {

struct Report;

// What the columns of a list need, measured once: the widths do not depend on the page.
struct Measure {
    std::vector<int> logical; // the grid's visible columns in screen order
    std::vector<ColumnNeed> needs;
    std::vector<bool> whole; // prints only figures, dates or codes
};
Measure measure(const DatasetModel &model, std::vector<int> logical, const QPrinter &printer);

class Pager {
  public:
    Pager(QPrinter &printer, const DatasetModel &model, const Report &report, const Measure &measure);

    const Plan &plan() const { return m_plan; }
    int pageCount() const { return static_cast<int>(m_pages.size()); }
    // Paints page `index` (from 0) with the painter begun on the printer; the caller turns the pages.
    void paintPage(QPainter &painter, int index);

  private:
    struct Page {
        int firstRow = 0, endRow = 0;
        bool totals = false, bottomLine = false;
    };
    struct Cell {
        QString text;
        Qt::Alignment alignment;
        QColor colour;
    };

    double pixels(double points) const;
    void layOutPages();
    int lines(std::size_t column, const QString &text, bool bold);
    QStringList cellLines(std::size_t column, const QString &text, const QFont &font, double width) const;
    double rowHeight(int rowLines) const;
    double top(int page) const;
    std::vector<Cell> rowCells(int row) const;
    std::vector<Cell> totalsCells() const;
    void drawLines(QPainter &painter, const QRectF &box, const QStringList &lines,
                   Qt::Alignment alignment) const;
    void drawCell(QPainter &painter, const QRectF &box, std::size_t column, const Cell &cell) const;
    void drawTitles(QPainter &painter, double y) const;
    void drawRow(QPainter &painter, double y, const std::vector<Cell> &cells, int rowLines, bool bold) const;
    void drawHeader(QPainter &painter, int index) const;

    QPrinter &m_printer;
    const DatasetModel &m_model;
    const Report &m_report;
    const Measure &m_measure;
    Plan m_plan;
    QRectF m_page;
    QFont m_cellFont, m_boldFont, m_titleFont;
    std::vector<double> m_x, m_width; // device pixels
    std::vector<Qt::Alignment> m_alignment;
    double m_padX = 0, m_padY = 0, m_lineHeight = 0, m_headerHeight = 0, m_titleHeight = 0;
    double m_levelHeight = 0, m_bottomHeight = 0, m_gap = 0;
    int m_titleLines = 1, m_totalsLines = 1;
    mutable std::optional<TextWidths> m_plainWidths, m_boldWidths;
    std::vector<unsigned char> m_rowLines; // per row; empty when every row is one line
    std::vector<Page> m_pages;
};

} // namespace gridprint
