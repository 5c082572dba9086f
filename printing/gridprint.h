#pragma once
// The grid print of the lists (sales detail, goods list, goods summary): the visible columns of a data
// grid with their two-level titles, the rows and the totals row on A4 pages, under a centred title,
// each page headed "Page. n" above a double line, and a right-aligned line below the grid. The user
// prints from a print preview. The columns are as wide as their texts, the page turned and the font
// made smaller as the columns need (gridprintplan.h); a long print shows its progress and can be
// cancelled.
#include "printing/gridprintplan.h"

#include <QDate>
#include <QString>
#include <functional>

class DataGrid;
class QPrinter;
class QPrintPreviewDialog;
class QWidget;

namespace gridprint {

struct Report {
    QString title;      // above the grid
    QString bottomLine; // below the grid, right-aligned
};

// The line below the grid: "制表人：<user>    日期：<yyyy-mm-dd>".
QString makerLine(const QString &userName, const QDate &today);

// The fixed page setup: A4, millimetres, all margins 2.0, in colour.
void setUpPage(QPrinter &printer);
struct Result {
    int pages = 0; // painted
    bool cancelled = false;
};
// Paints the whole list (one still being read is read first) on the printer's pages, in the
// printer's orientation. A print to a PDF file replaces the file only when it is complete; a
// cancelled or failed one leaves the file as it was, and the user is told.
Result render(const DataGrid &grid, const Report &report, QPrinter &printer);

// The font size and column widths the print of the grid takes on the printer's page as it is set up.
Plan layOut(const DataGrid &grid, const QPrinter &printer);

// Opens the print preview of the report (modal), from which the user prints or sets up the printer.
// The page is turned to landscape when the columns need it. Cancelling the preview's own long
// rendering closes it.
void preview(const DataGrid &grid, const Report &report, QWidget *parent);

// What is done with the preview once it is set up; the program shows it (exec). Tests install their
// own to print the previewed document to a file instead. An empty runner restores the program's.
using PreviewRunner = std::function<void(QPrintPreviewDialog &)>;
void setPreviewRunner(PreviewRunner runner);

} // namespace gridprint
