#include "app/shopexport.h"

#include "app/mainwindow.h"
#include "app/shop.h"
#include "app/shopreports.h"
#include "export/excelexport.h"
#include "reports/goodssummarywindow.h"
#include "reports/salesdetailwindow.h"
#include "stock/goodslist.h"

#include <QAction>

ShopExport::ShopExport(Shop &shop) : QObject(&shop), m_shop(shop) {
    MainWindow &window = shop.mainWindow();
    // The item lives in the goods list's context menu; its shortcut works while the list has the focus
    // (in the query box's fields Ctrl+E keeps its meaning of the end of the line).
    QAction *goods = window.command(QStringLiteral("EXCEL1"));
    goods->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    goods->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    shop.goods()->grid()->addAction(goods);
    window.wireCommand(QStringLiteral("EXCEL1"), this, [this] { exportGoodsList(); });

    SalesDetailWindow *detail = shop.reports()->salesDetail();
    connect(detail->item(QStringLiteral("Excel1")), &QAction::triggered, this,
            &ShopExport::exportSalesDetail);
    GoodsSummaryWindow *summary = shop.reports()->summary();
    connect(summary->item(QStringLiteral("Excel1")), &QAction::triggered, this,
            &ShopExport::exportGoodsSummary);
}

void ShopExport::exportGoodsList() {
    excelexport::exportList(&m_shop.mainWindow(), *m_shop.goods()->grid(), QString::fromUtf8(GoodsListTitle),
                            m_shop.currentUser());
}

void ShopExport::exportSalesDetail() {
    SalesDetailWindow *detail = m_shop.reports()->salesDetail();
    excelexport::exportList(detail, *detail->grid(), QString::fromUtf8(SalesDetailTitle),
                            m_shop.currentUser());
}

void ShopExport::exportGoodsSummary() {
    GoodsSummaryWindow *summary = m_shop.reports()->summary();
    excelexport::exportList(summary, *summary->grid(), QString::fromUtf8(GoodsSummaryTitle),
                            m_shop.currentUser());
}
