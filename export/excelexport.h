#pragma once
// "导出Excel" of a list: the list's rows to a worksheet file the user names in a save dialog, under the
// list's report title and the user's name, then opened with the desktop's program for it.
#include "export/gridexporter.h"

#include <QString>

class DataGrid;
class QWidget;

namespace excelexport {

// The save dialog's file type and default extension.
QString fileFilter();
QString defaultSuffix();
// What an empty list says instead of a save dialog.
QString emptyListMessage();

// The whole command: an empty list or one too long for a sheet is refused with a message before the
// save dialog; a cancelled dialog ends it.
GridExporter::Result exportList(QWidget *parent, const DataGrid &grid, const QString &title,
                                const QString &userName);

} // namespace excelexport
