#pragma once
// Saves and restores a data grid's column layout in a section of the layout file: one line per column
// under "<grid name>.<field>" holding "position,width,marker,visible,sortIndex,dropDownRows,
// dropDownWidth", and "(Default)" holding "rowHeight,lines".
#include <QString>

class DataGrid;

namespace gridlayout {
// Writes every column's line and the "(Default)" line, leaving the section's other keys in place.
// False (and why, in *error) when the file cannot be written; the old file is then unchanged.
bool save(const DataGrid &grid, const QString &path, const QString &section, QString *error = nullptr);
// Restores order, widths, sort markers and indexes, visibility, row height and lines, drop-down rows
// and widths. A column without a line is left alone, a number that does not parse leaves its
// property. False when the file or the section does not exist: nothing changes then.
bool restore(DataGrid &grid, const QString &path, const QString &section);
} // namespace gridlayout
