// The sale panel and the ticket view of the shop, and what they tell the goods list and each other.
#include "app/shop.h"

#include "app/mainwindow.h"
#include "sales/salegoods.h"
#include "sales/salepanel.h"
#include "sales/ticketview.h"
#include "stock/goodslist.h"
#include "stock/stockinpanel.h"

#include <QLineEdit>
#include <algorithm>

void Shop::buildSales() {
    m_sale = new SalePanel(m_database, m_window.session(), m_window.panelHost());
    m_window.addFloatingPanel(m_sale);
    m_ticket = new TicketView(m_database, m_window.panelHost());
    m_window.addFloatingPanel(m_ticket);
    m_window.keepDateFilled(MainWindow::DateRole::Sale, m_sale->dateField());
    // The ticket view opens at the top right, beside the sale panel at the top left, so that a ticket
    // can be watched while it is sold; once the user drags it, it stays where it was put.
    m_window.addShowStep(MainWindow::ShowStep::HideStockInPanel, [this] {
        if (m_ticketPlaced) return;
        m_ticketPlaced = true;
        const QWidget *host = m_window.panelHost();
        m_ticket->move(std::max(0, host->width() - m_ticket->width() - 4), 4);
    });

    connect(m_goods, &GoodsList::rowDoubleClicked, m_sale,
            [this](int row) { m_sale->open(saleGoodsFromRow(m_goods->goods(), row)); });
    // Hidden or not, the panel must not carry one goods' quantity and debt over to another.
    connect(m_goods, &GoodsList::clickedRowChanged, m_sale, &SalePanel::close);
    connect(m_goods, &GoodsList::salePanelShouldHide, m_sale, &QWidget::hide);
    connect(m_stockIn, &StockInPanel::salePanelShouldHide, m_sale, &QWidget::hide);
    connect(m_stockIn, &StockInPanel::ticketViewShouldHide, m_ticket, &QWidget::hide);

    connect(m_sale, &SalePanel::opened, m_stockIn, [this](const QString &goodsRemark) {
        m_stockIn->enableChange();
        m_stockIn->remark()->setText(goodsRemark);
    });
    connect(m_sale, &SalePanel::closed, m_stockIn, &StockInPanel::disableChange);
    connect(m_sale, &SalePanel::goodsRowChanged, m_goods,
            [this](qint64 id) { m_goods->showChangedRow(id, GoodsList::Step::Query); });
    connect(m_sale, &SalePanel::succeeded, &m_window, &MainWindow::showSuccess);

    connect(m_sale, &SalePanel::ticketChanged, m_ticket, &TicketView::refresh);
    connect(m_sale, &SalePanel::cashShouldReset, m_ticket,
            [this] { m_ticket->setCash(QStringLiteral("0")); });
    connect(m_sale, &SalePanel::previewToggled, m_ticket, &TicketView::toggle);
    connect(m_ticket, &TicketView::nextTicketRequested, m_sale, &SalePanel::nextTicket);
    connect(m_ticket, &TicketView::previousTicketRequested, m_sale, &SalePanel::previousTicket);

    for (const char *name : {"ToolButton2", "N22"})
        m_window.wireCommand(QString::fromLatin1(name), m_ticket, [this] { m_ticket->toggle(); });
}
