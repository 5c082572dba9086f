#pragma once
// The remembered view of the sales-detail list: the ten column items of its popup menu (their marks
// kept in the settings flags xiaoshouyin1..10; for most items a mark hides columns, for "显示客户编号"
// it shows one), "全部显示", and the column layout saved in ("保存当前列宽", N19) and restored from (at
// every show of the window) section "ranvelgrid2" of the layout file. The flags are applied at start
// in their order, so the single customer columns win over "隐藏全部客户信息".
#include "widgets/viewpreferences.h"

class SalesViewPreferences : public ViewPreferences {
    Q_OBJECT
  public:
    explicit SalesViewPreferences(DataGrid *grid, QObject *parent = nullptr);

  public slots:
    // "全部显示": every column but the name and the sale number becomes visible; marks stay.
    void showAll();
};
