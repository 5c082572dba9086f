#pragma once
// What the goods list needs to keep up with one changed row without running its statement again: the
// order the engine lists the statement's rows in, and the statement narrowed to one row.
#include "stock/goodsquery.h"

class Database;

namespace goodsrefresh {
// The statement as the list runs it. The file engine lists rows of equal keys in the order of their
// IDs by itself; a server lists them as they lie in its table, and a changed row lies elsewhere
// afterwards. There the statement's order gets "ID" as its last key (or becomes "order by ID"), so
// that a row found again has one place in the list and the list one order to keep.
GoodsStatement listed(Database &database, const GoodsStatement &statement);

// The engine's order of the listed statement's rows as sort keys of the list: "ID" when it walks the
// table, "day1, ID" when it walks the index of day1 (the file's plan tells), or the server's explicit
// order. Empty when the engine sorts the rows itself (ties then come in an order nobody can repeat)
// or takes another way: the list is then loaded again as a whole.
QString statementOrder(Database &database, const GoodsStatement &statement);

// The same statement for the one row with this ID: its condition with "and ID=?" (or "where ID=?"),
// before its order.
GoodsStatement narrowedToRow(const GoodsStatement &statement, qint64 id);
} // namespace goodsrefresh
