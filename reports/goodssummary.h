#pragma once
// The goods summary: the goods table totalled per name, model, code and category (purchased, sold and
// stocked quantities and amounts), and the columns that show it.
#include "widgets/gridcolumn.h"

#include <QString>
#include <vector>

namespace goodssummary {

// One row per distinct name, model, code and category, in that grouping's order.
QString statement();
std::vector<GridColumn> columns();

} // namespace goodssummary
