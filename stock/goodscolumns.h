#pragma once
// The fifteen columns of the goods list under their group titles, with display formats and the totals
// row, and the column groups that the "隐藏列" items hide.
#include "widgets/columnitem.h"
#include "widgets/gridcolumn.h"

#include <vector>

namespace goodscolumns {

std::vector<GridColumn> columns();

// One "隐藏列" item: its menu name and caption, its settings flag and the fields it hides.
using HidingItem = ColumnItem;
// In the order their flags are applied at start.
const std::vector<HidingItem> &hidingItems();

} // namespace goodscolumns
