#include "app/shopreports.h"

#include "app/mainwindow.h"
#include "app/shop.h"
#include "printing/gridprint.h"
#include "reports/goodssummarywindow.h"
#include "reports/salesdetailwindow.h"
#include "reports/salesviewprefs.h"
#include "sales/salepanel.h"
#include "sales/ticketview.h"
#include "stock/goodslist.h"
#include "stock/stockinpanel.h"
#include "store/clock.h"
#include "users/loginwindow.h"
#include "users/restrictions.h"
#include "widgets/windowopener.h"

namespace {
constexpr auto GoodsListPrintTitle = "商 品 进 货 统 计 报 表";
}

ShopReports::ShopReports(Database &database, Shop &shop)
    : QObject(&shop), m_database(database), m_shop(shop) {
    MainWindow &window = shop.mainWindow();
    m_detail = new SalesDetailWindow(database, &window);
    m_summary = new GoodsSummaryWindow(database, &window);
    const auto user = [&shop] { return shop.currentUser(); };
    m_detail->setUserName(user);
    m_summary->setUserName(user);

    for (const char *name : {"ToolButton19", "N27"})
        window.wireCommand(QString::fromLatin1(name), m_detail, [this] { openSalesDetail(); });
    window.wireCommand(QStringLiteral("ToolButton22"), m_summary, [this] { openSummaryModal(); });
    window.wireCommand(QStringLiteral("N11"), m_summary, [this] { openSummary(); });
    window.wireCommand(QStringLiteral("N16"), this, [this] { printGoodsList(); });

    window.addShowStep(MainWindow::ShowStep::ApplyColumnVisibility,
                       [this] { m_detail->viewPreferences()->applyRemembered(); });
    window.addShowStep(MainWindow::ShowStep::SelectCurrentMonth, [this] { m_detail->showMonth(); });

    wireSales();
    connect(shop.login(), &LoginWindow::loggedIn, this,
            [this](const QString &userName) { onLoggedIn(userName); });
}

void ShopReports::wireSales() {
    SalePanel *sale = m_shop.salePanel();
    connect(sale, &SalePanel::saleSaved, m_detail, &SalesDetailWindow::takeSale);
    // A hidden window lists the month and the summary again when it is shown; only an open one runs
    // them at once (each reads a large part of the tables, after every sale).
    connect(sale, &SalePanel::salesMonthShouldShow, m_detail, [this] {
        if (m_detail->isVisible()) m_detail->showMonth();
    });
    connect(sale, &SalePanel::goodsSummaryShouldRefresh, m_summary, [this] {
        if (m_summary->isVisible()) m_summary->refresh();
    });
    connect(m_detail, &SalesDetailWindow::rememberedCustomerChanged, sale, &SalePanel::setRememberedCustomer);
    // Corrected or deleted records may have taken a customer name away or brought one.
    connect(m_detail, &SalesDetailWindow::salesRecordsChanged, sale, &SalePanel::rereadCustomers);
    connect(m_detail, &SalesDetailWindow::salesRecordsChanged, m_shop.ticketView(), &TicketView::reread);
    connect(m_detail, &SalesDetailWindow::goodsRowChanged, this, &ShopReports::refreshGoodsList);
    // Closing the window lists every goods row again.
    connect(m_detail, &SalesDetailWindow::windowClosed, m_shop.goods(),
            [this] { m_shop.goods()->showAll(); });
}

void ShopReports::refreshGoodsList(qint64 goodsId) {
    // The list shows the row with its new figures as the statement it showed would, with that
    // statement's step.
    GoodsList *goods = m_shop.goods();
    goods->showChangedRow(goodsId, goods->lastStatement().text == goods->query().listStatement()
                                       ? GoodsList::Step::All
                                       : GoodsList::Step::Query);
}

void ShopReports::openSalesDetail() {
    m_detail->exec();
    m_shop.stockIn()->hide();
    m_shop.salePanel()->hide();
}

void ShopReports::openSummaryModal() {
    m_summary->exec();
}

void ShopReports::openSummary() {
    bringWindowForward(m_summary);
}

void ShopReports::printGoodsList() {
    gridprint::preview(
        *m_shop.goods()->grid(),
        {QString::fromUtf8(GoodsListPrintTitle), gridprint::makerLine(m_shop.currentUser(), Clock::today())},
        &m_shop.mainWindow());
}

void ShopReports::onLoggedIn(const QString &userName) {
    if (!restrictions::appliesTo(userName)) return;
    restrictions::apply(m_detail, QString::fromLatin1(restrictions::SalesDetailWindow));
    restrictions::apply(m_summary, QString::fromLatin1(restrictions::GoodsSummaryWindow));
}
