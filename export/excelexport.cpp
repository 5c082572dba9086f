#include "export/excelexport.h"

#include "store/dataset.h"
#include "widgets/datagrid.h"
#include "widgets/dialogs.h"

namespace excelexport {

QString fileFilter() {
    return QStringLiteral("Microsoft Excel xls文件 (*.xls)");
}

QString defaultSuffix() {
    return QStringLiteral("xls");
}

QString emptyListMessage() {
    return QStringLiteral("列表中没有记录，没有可导出的数据。");
}

GridExporter::Result exportList(QWidget *parent, const DataGrid &grid, const QString &title,
                                const QString &userName) {
    // A list still being read holds rows already; the exporter reads it to its end.
    const Dataset *rows = grid.dataset();
    if (!rows || rows->rowCount() == 0) {
        Dialogs::instance().information(parent, emptyListMessage());
        return GridExporter::Result::Nothing;
    }
    GridExporter exporter(parent);
    exporter.setTitleName(title);
    exporter.setUserName(userName);
    exporter.setGrid(&grid);
    exporter.setShowProgress(true);
    // Asked before the file is chosen, so that nobody picks a file for a list that cannot go into it.
    if (!exporter.fitsOneSheet()) return GridExporter::Result::TooMany;
    const QString fileName = Dialogs::instance().saveFileNameWithSuffix(parent, QStringLiteral("另存为"), {},
                                                                        fileFilter(), defaultSuffix());
    if (fileName.trimmed().isEmpty()) return GridExporter::Result::Nothing;
    exporter.setFileName(fileName);
    return exporter.exportGrid();
}

} // namespace excelexport
