#include "reports/salesviewprefs.h"

#include "reports/salescolumns.h"
#include "widgets/datagrid.h"

SalesViewPreferences::SalesViewPreferences(DataGrid *grid, QObject *parent)
    : ViewPreferences(grid, salescolumns::items(), "ranvelgrid2", parent) {}

void SalesViewPreferences::showAll() {
    if (!grid()) return;
    for (const QString &field : salescolumns::showAllFields())
        grid()->setColumnVisible(field, true);
}
