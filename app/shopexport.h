#pragma once
// "导出Excel" of the three lists in the shop: the goods list (EXCEL1, Ctrl+E), the sales-detail list
// (Excel1, Ctrl+E) and the goods summary (Excel1), each under its report title and the name of the
// user who logged in.
#include <QObject>

class Shop;

class ShopExport : public QObject {
    Q_OBJECT
  public:
    static constexpr auto GoodsListTitle = "商品进货统计报表";
    static constexpr auto SalesDetailTitle = "销 售 报 表";
    static constexpr auto GoodsSummaryTitle = "商品进销存统计报表";

    explicit ShopExport(Shop &shop);

    void exportGoodsList();
    void exportSalesDetail();
    void exportGoodsSummary();

  private:
    Shop &m_shop;
};
