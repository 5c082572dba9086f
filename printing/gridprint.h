#pragma once
// The grid print of the lists (sales detail, goods list, goods summary): the visible columns of a data
// grid with their two-level titles, the rows and the totals row on A4 pages, under a centred title,
// each page headed "Page. n" above a double line, and a right-aligned line below the grid. The user
// prints from a print preview.
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
// Paints the report on the printer's pages; returns the number of pages.
int render(const DataGrid &grid, const Report &report, QPrinter &printer);

// Opens the print preview of the report (modal), from which the user prints or sets up the printer.
void preview(const DataGrid &grid, const Report &report, QWidget *parent);

// What is done with the preview once it is set up; the program shows it (exec). Tests install their
// own to print the previewed document to a file instead. An empty runner restores the program's.
using PreviewRunner = std::function<void(QPrintPreviewDialog &)>;
void setPreviewRunner(PreviewRunner runner);

} // namespace gridprint
