#include "stock/goodsviewprefs.h"

#include "stock/goodscolumns.h"

GoodsViewPreferences::GoodsViewPreferences(DataGrid *grid, QObject *parent)
    : ViewPreferences(grid, goodscolumns::hidingItems(), "ranvelgrid", parent) {}
