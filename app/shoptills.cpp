#include "app/shoptills.h"

#include "app/shop.h"
#include "app/shopreports.h"
#include "reports/salesdetailwindow.h"
#include "sales/salegoods.h"
#include "sales/salepanel.h"
#include "stock/goodslist.h"
#include "store/servernotifications.h"

ShopTills::ShopTills(Database &database, Shop &shop)
    : QObject(&shop), m_database(database), m_shop(shop),
      m_notifications(new ServerNotifications(database, this)) {
    GoodsList *goods = shop.goods();
    SalesDetailWindow *detail = shop.reports()->salesDetail();
    connect(m_notifications, &ServerNotifications::goodsChanged, goods, [this, goods](qint64 id) {
        goods->followChangedRow(id);
        rereadSaleGoods(id);
    });
    connect(m_notifications, &ServerNotifications::goodsReloadNeeded, goods, [this, goods] {
        goods->followAll();
        rereadSaleGoods(m_shop.salePanel()->goodsId());
    });
    connect(m_notifications, &ServerNotifications::salesChanged, detail,
            &SalesDetailWindow::followSalesRecord);
    connect(m_notifications, &ServerNotifications::salesReloadNeeded, detail,
            &SalesDetailWindow::followSalesRecords);
    m_notifications->start();
}

void ShopTills::rereadSaleGoods(qint64 goodsId) {
    SalePanel *sale = m_shop.salePanel();
    if (!sale->isVisible() || goodsId < 0 || sale->goodsId() != goodsId) return;
    // A row deleted meanwhile is the sale's own check to refuse.
    const StoredGoods stored = readStoredGoods(m_database, goodsId);
    if (stored.status == StoredGoods::Status::Found) sale->showStoredGoods(stored.goods);
}
