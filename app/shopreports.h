#pragma once
// The sales-detail window, the goods summary and the grid print in the shop: the commands that open
// them, the start-up steps (remembered columns, "本 月"), what a sale tells them, what a deletion of a
// sales record tells the goods list and the sale panel, and the login's restrictions on them.
#include <QObject>

class Database;
class GoodsSummaryWindow;
class SalesDetailWindow;
class Shop;

class ShopReports : public QObject {
    Q_OBJECT
  public:
    ShopReports(Database &database, Shop &shop);

    SalesDetailWindow *salesDetail() const { return m_detail; } // Txstj
    GoodsSummaryWindow *summary() const { return m_summary; }   // TForm1

    // "销售明细" (ToolButton19, N27): modal; afterwards the stock-in panel and the sale panel are hidden.
    void openSalesDetail();
    // "汇总统计": modal from the tool bar (ToolButton22), modeless from the goods list's menu (N11).
    void openSummaryModal();
    void openSummary();
    // "打 印" of the goods list (N16).
    void printGoodsList();

  private:
    void wireSales();
    void onLoggedIn(const QString &userName);
    // The goods list shows a goods row changed elsewhere.
    void refreshGoodsList(qint64 goodsId);

    Database &m_database;
    Shop &m_shop;
    SalesDetailWindow *m_detail = nullptr;
    GoodsSummaryWindow *m_summary = nullptr;
};
