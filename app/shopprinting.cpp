#include "app/shopprinting.h"

#include "app/mainwindow.h"
#include "app/shop.h"
#include "app/shopreports.h"
#include "printing/printsettingswindow.h"
#include "printing/receipt.h"
#include "printing/slippreview.h"
#include "reports/salesdetailwindow.h"
#include "sales/ticket.h"
#include "sales/ticketview.h"
#include "store/clock.h"
#include "store/database.h"
#include "store/dataset.h"
#include "widgets/dialogs.h"
#include "widgets/numberfield.h"
#include "widgets/windowopener.h"

#include <QLineEdit>

ShopPrinting::ShopPrinting(Database &database, Shop &shop)
    : QObject(&shop), m_database(database), m_shop(shop) {
    MainWindow &window = shop.mainWindow();
    m_settings = new PrintSettingsWindow(&window);
    // Before anything can be printed: the texts of the last run.
    m_settings->load();
    for (const char *name : {"N39", "N23"})
        window.wireCommand(QString::fromLatin1(name), m_settings, [this] { openSettings(); });

    TicketView *ticket = shop.ticketView();
    ticket->setReceiptPrinter([this](const QString &saleNumber) { return printReceipt(saleNumber); });
    connect(ticket, &TicketView::slipPreviewRequested, this, &ShopPrinting::previewTicketSlip);
    SalesDetailWindow *detail = shop.reports()->salesDetail();
    connect(detail, &SalesDetailWindow::slipPreviewRequested, this,
            [this, detail](const QString &saleNumber) { previewListedSlip(saleNumber, detail); });
}

void ShopPrinting::openSettings() {
    bringWindowForward(m_settings);
}

bool ShopPrinting::printReceipt(const QString &saleNumber) {
    TicketView *view = m_shop.ticketView();
    Dataset lines;
    if (!ticket::load(m_database, saleNumber, lines)) {
        Dialogs::instance().error(view, m_database.errorText());
        return false;
    }
    const PrintTexts texts = m_settings->texts();
    receipt::Content content;
    content.title = texts.receiptTitle;
    content.slogan1 = texts.receiptSlogan1;
    content.slogan2 = texts.receiptSlogan2;
    content.closing = texts.receiptClosing;
    content.saleNumber = saleNumber;
    content.cashier = m_shop.currentUser();
    content.printedAt = Clock::now();
    content.lines = receipt::linesOf(lines);
    // The figures of the lines printed, not of the view: another till may have changed the ticket
    // since the view last listed it.
    content.total = ticket::sumText(lines, QStringLiteral("4"));
    content.cash = view->cash()->text();
    const ticket::Change change = ticket::changeFor(content.cash, content.total);
    content.change = change.status == ticket::Change::Status::Computed ? change.text : view->change()->text();
    QString error;
    if (receipt::print(content, &error)) return true;
    Dialogs::instance().error(view, error);
    return false;
}

void ShopPrinting::previewTicketSlip(const QString &saleNumber) {
    if (m_shop.reports()->salesDetail()->listTicket(saleNumber))
        previewListedSlip(saleNumber, &m_shop.mainWindow());
}

void ShopPrinting::previewListedSlip(const QString &saleNumber, QWidget *parent) {
    const Dataset &listed = m_shop.reports()->salesDetail()->sales();
    slip::Content content =
        slip::fill(listed, m_settings->texts(), saleNumber, ticket::sumText(listed, QStringLiteral("4")),
                   m_shop.currentUser(), Clock::today());
    slip::fillCapital(content, parent);
    slip::preview(content, parent);
}
