#include "app/shop.h"

#include "app/mainwindow.h"
#include "app/shopexport.h"
#include "app/shopmaintenance.h"
#include "app/shopprinting.h"
#include "app/shopreports.h"
#include "app/shoptills.h"
#include "app/shopupgrade.h"
#include "sales/salepanel.h"
#include "sales/ticketview.h"
#include "stock/goodslist.h"
#include "stock/goodsviewprefs.h"
#include "stock/stockinpanel.h"
#include "store/database.h"
#include "users/loginwindow.h"
#include "widgets/dialogs.h"
#include "widgets/keyboardhabits.h"
#include "widgets/numberfield.h"
#include "widgets/skins.h"

#include <QAction>
#include <QLineEdit>

Shop::Shop(Database &database, MainWindow &window)
    : QObject(&window), m_database(database), m_window(window) {
    buildGoods();
    wireGoodsCommands();
    wireViewPreferences();
    wireSkins();
    buildSales();
    buildLogin();
    wireUserWindows();
    wireKeyboard();
    m_maintenance = new ShopMaintenance(m_database, *this);
    m_reports = new ShopReports(m_database, *this);
    m_printing = new ShopPrinting(m_database, *this);
    m_upgrade = new ShopUpgrade(*this);
    m_export = new ShopExport(*this);
    if (database.engine() == Database::Engine::Server) new ShopTills(m_database, *this);
}

Shop::~Shop() = default;

void Shop::buildGoods() {
    m_goods = new GoodsList(m_database, m_window.panelHost());
    m_window.setGoodsList(m_goods->grid());
    m_window.setQueryBox(m_goods->queryBox());
    m_goods->attachThresholdField(m_window.thresholdField());
    m_goods->attachZeroStockBox(m_window.zeroStockBox());

    m_stockIn = new StockInPanel(m_database, *m_goods, m_window.panelHost());
    m_window.addFloatingPanel(m_stockIn);
    connect(m_stockIn, &StockInPanel::succeeded, &m_window, &MainWindow::showSuccess);

    m_window.keepDateFilled(MainWindow::DateRole::StockIn, m_stockIn->date());
    m_window.keepDateFilled(MainWindow::DateRole::QueryFrom, m_goods->queryBox()->fromDate());
    m_window.keepDateFilled(MainWindow::DateRole::QueryTo, m_goods->queryBox()->toDate());
    m_window.addShowStep(MainWindow::ShowStep::HideStockInPanel, [this] { m_stockIn->hide(); });
}

void Shop::wireGoodsCommands() {
    for (const char *name : {"ToolButton7", "N20"})
        m_window.wireCommand(QString::fromLatin1(name), m_stockIn, [this] { m_stockIn->openForNewEntry(); });
    m_window.wireCommand(QStringLiteral("N2"), m_stockIn, [this] { m_stockIn->loadForModification(); });
    m_window.wireCommand(QStringLiteral("N3"), m_stockIn, [this] { m_stockIn->deleteCurrent(); });
    m_window.wireCommand(QStringLiteral("N8"), m_goods, [this] { m_goods->showAll(); });
}

void Shop::wireViewPreferences() {
    m_view = new GoodsViewPreferences(m_goods->grid(), this);
    for (const char *item : {"N5", "N31", "N6", "N9", "N10", "N7"}) {
        const QString name = QString::fromLatin1(item);
        QAction *action = m_window.command(name);
        m_view->setItemAction(name, action);
        m_window.wireCommand(name, m_view, [this, name] { m_view->toggle(name); });
    }
    m_window.wireCommand(QStringLiteral("N17"), m_view, [this] { m_view->restoreLayout(); });
    m_window.wireCommand(QStringLiteral("N37"), m_view, [this] { m_view->saveLayout(); });
    m_window.addShowStep(MainWindow::ShowStep::ApplyColumnVisibility, [this] { m_view->applyRemembered(); });
}

void Shop::wireSkins() {
    skins::installFocusMark();
    m_window.setSkinLoader([](const QString &value) { skins::loadFromSetting(value); });
    const auto &stored = skins::stored();
    for (int index = 0; index < static_cast<int>(stored.size()); ++index) {
        m_window.wireCommand(stored[index].item, this, [this, index] {
            QString error;
            if (!skins::choose(index, &error)) Dialogs::instance().error(&m_window, error);
        });
    }
}

void Shop::wireKeyboard() {
    KeyboardHabits::install();
    for (FloatingPanel *panel : std::initializer_list<FloatingPanel *>{m_stockIn, m_sale, m_ticket})
        connect(panel, &FloatingPanel::hiddenWithFocus, this, &Shop::restFocus);
    // After a print the next customer's first goods is scanned.
    connect(m_ticket, &TicketView::receiptPrintRequested, this, &Shop::restFocus);
    connect(m_ticket, &TicketView::slipPreviewRequested, this, &Shop::restFocus);
    // Enter in the empty code field ends the scanning of a ticket: on to the cash.
    connect(m_goods, &GoodsList::emptyCodeEntered, this, [this] {
        if (m_ticket->isVisible()) m_ticket->cash()->setFocus(Qt::OtherFocusReason);
    });
}

void Shop::restFocus() {
    m_goods->queryBox()->code()->setFocus(Qt::OtherFocusReason);
}
