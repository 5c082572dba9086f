#pragma once
// What the goods list needs to keep up with one changed row without running its statement again: the
// order the engine lists the statement's rows in, and the statement narrowed to one row.
#include "stock/goodsquery.h"

class Database;

namespace goodsrefresh {
// The engine's order of the statement's rows as sort keys of the list: "ID" when it walks the table,
// "day1, ID" when it walks the index of day1. Empty when it sorts the rows itself (ties then come in
// an order nobody can repeat) or takes another way: the list is then loaded again as a whole.
QString statementOrder(Database &database, const GoodsStatement &statement);

// The same statement for the one row with this ID: its condition with "and ID=?" (or "where ID=?"),
// before its order.
GoodsStatement narrowedToRow(const GoodsStatement &statement, qint64 id);
} // namespace goodsrefresh
