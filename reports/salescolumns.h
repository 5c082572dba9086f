#pragma once
// The fifteen columns of the sales-detail list under their group titles, with display formats and the
// totals row, and the popup menu's column items with their settings flags.
#include "widgets/columnitem.h"
#include "widgets/gridcolumn.h"

#include <QStringList>
#include <vector>

namespace salescolumns {

std::vector<GridColumn> columns();

// One column item of the sales-detail popup menu; only the sale number's mark means "shown".
using Item = ColumnItem;
// In the order their flags are applied at start.
const std::vector<Item> &items();
const Item *findItem(const QString &item);

// The fields that "全部显示" makes visible: every column except the name and the sale number.
QStringList showAllFields();

} // namespace salescolumns
