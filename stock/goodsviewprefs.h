#pragma once
// The remembered view of the goods list: the six "隐藏列" items that hide groups of columns (their
// ticks kept in the settings flags rukuyin1..6, "yes" = hidden) and the column layout saved in and
// restored from section "ranvelgrid" of the layout file. "读取列宽" (N17) restores the layout and leaves
// the ticks as they are; "保存当前列宽" (N37) saves it.
#include "widgets/viewpreferences.h"

class GoodsViewPreferences : public ViewPreferences {
  public:
    explicit GoodsViewPreferences(DataGrid *grid, QObject *parent = nullptr);

    // The menu items are "N5", "N31", "N6", "N9", "N10" and "N7"; a tick means the columns are hidden.
    bool isTicked(const QString &item) const { return isMarked(item); }
};
