#include "sales/salepanel.h"

#include "sales/customer.h"
#include "sales/salerecord.h"
#include "store/clock.h"
#include "store/database.h"
#include "store/numbers.h"
#include "store/sessionstate.h"
#include "store/settingsstore.h"
#include "store/texts.h"
#include "widgets/datefield.h"
#include "widgets/dialogs.h"
#include "widgets/enterchain.h"
#include "widgets/numberfield.h"
#include "widgets/requiredfield.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStringListModel>
#include <QToolButton>

using sale::Field;

SalePanel::SalePanel(Database &database, SessionState &session, QWidget *parent)
    : FloatingPanel(parent), m_database(database), m_session(session) {
    setObjectName(QStringLiteral("Panel1"));
    buildFields();
    buildLayout();
    connectFields();
    m_discount->setText(QStringLiteral("100"));
    m_quantity->setText(QStringLiteral("1"));
    m_debt->setText(QStringLiteral("0"));
    m_date->setDate(Clock::today());
    showCounter();
    hide();
}

void SalePanel::connectFields() {
    connect(m_price, &QLineEdit::textChanged, this, &SalePanel::showSaleAmount);
    connect(m_quantity, &QLineEdit::textChanged, this, &SalePanel::showSaleAmount);
    connect(m_discount, &QLineEdit::textChanged, this, &SalePanel::applyDiscount);
    connect(m_number, &QLineEdit::textChanged, this, &SalePanel::onSaleNumberEdited);
    connect(m_customer, &QComboBox::editTextChanged, this, &SalePanel::onCustomerEdited);
    m_customer->installEventFilter(this);
    connect(m_plus, &QPushButton::clicked, this, &SalePanel::nextTicket);
    connect(m_minus, &QPushButton::clicked, this, &SalePanel::previousTicket);
    connect(m_return, &QPushButton::clicked, this, &SalePanel::toggleReturn);
    connect(m_confirm, &QToolButton::clicked, this, &SalePanel::confirmSale);
    connect(m_preview, &QPushButton::clicked, this, &SalePanel::previewToggled);
    connect(this, &FloatingPanel::closeRequested, this, &SalePanel::close);

    const QList<QWidget *> order{m_price,  m_discount, m_quantity, m_debt,    m_date,
                                 m_number, m_customer, m_address,  m_contact, m_remark};
    auto *chain = new EnterChain(order, this);
    chain->setLastAction([this] { m_confirm->setFocus(Qt::TabFocusReason); });
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    setTabOrder(m_remark, m_confirm);
}

bool SalePanel::focusNextPrevChild(bool next) {
    // From 销售确认 the next useful place is the price of the same sale; backwards from the price,
    // 销售确认. Leaving the panel would land in whatever the window lists next, a setting among them.
    QWidget *current = focusWidget();
    QWidget *target = nullptr;
    if (next && current == m_confirm) target = m_price;
    if (!next && current == m_price) target = m_confirm;
    if (target && target->isEnabled() && target->isVisible()) {
        target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    return FloatingPanel::focusNextPrevChild(next);
}

QString SalePanel::saleNumber() const {
    return m_number->text();
}

QString SalePanel::customerName() const {
    return m_customer->currentText();
}

void SalePanel::open(const SaleGoods &goods) {
    if (goods.name.isEmpty()) {
        if (isVisible()) m_price->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_goods = goods;
    popUp();
    emit opened(goods.remark);
    showGoods(goods);
    m_suggested->setText(goods.salePrice);
    m_price->setText(goods.salePrice); // the discount is not applied here
    compute(false);
    const bool newDay = m_dailyRestart.apply(m_session, m_date->shownText(), [this] {
        const auto highest = salenumber::highestStoredCounter(m_database, Clock::today());
        if (!highest) Dialogs::instance().error(this, m_database.errorText());
        return highest.value_or(0);
    });
    // Later on, "+" and "-" choose the ticket.
    if (newDay || !m_holdsTicket) takeOwnTicket();
    buildSaleNumber();
    loadTicketCustomer();
    emit ticketChanged(saleNumber(), customerName());
    m_price->setFocus(Qt::OtherFocusReason);
}

void SalePanel::showGoods(const SaleGoods &goods) {
    m_nameLabel->setText(goods.name);
    m_modelLabel->setText(goods.model);
    m_codeLabel->setText(goods.code);
    m_categoryLabel->setText(goods.category);
    m_hidden[GoodsName]->setText(goods.name);
    m_hidden[Model]->setText(goods.model);
    m_hidden[Code]->setText(goods.code);
    m_hidden[Category]->setText(goods.category);
    m_hidden[PurchasePrice]->setText(goods.purchasePrice);
    m_hidden[Sold]->setText(goods.sold);
    m_hidden[SalesAmount]->setText(goods.salesAmount);
    m_hidden[StockAmount]->setText(goods.stockAmount);
    m_hidden[StockInDate]->setText(goods.stockInDate);
    m_stock->setText(goods.stock);
}

void SalePanel::showStoredGoods(const SaleGoods &goods) {
    if (!isVisible() || goods.id < 0 || goods.id != m_goods.id) return;
    m_goods = goods;
    showGoods(goods);
    compute(false);
}

bool SalePanel::compute(bool report) {
    const auto result = sale::compute(sale::BaseTexts{m_price->text(), m_quantity->text(), m_stock->text(),
                                                      m_hidden[Sold]->text(), m_hidden[SalesAmount]->text(),
                                                      m_hidden[PurchasePrice]->text()});
    if (const auto *bad = std::get_if<Field>(&result)) {
        if (report) reportNotANumber(*bad);
        return false;
    }
    if (const auto *figures = std::get_if<sale::Figures>(&result)) {
        const sale::FigureTexts texts = sale::texts(*figures);
        m_saleAmount->setText(texts.saleAmount);
        m_hidden[NewSalesAmount]->setText(texts.newSalesAmount);
        m_hidden[NewStock]->setText(texts.newStock);
        m_hidden[NewStockAmount]->setText(texts.newStockAmount);
        m_hidden[NewSold]->setText(texts.newSold);
        m_hidden[Profit]->setText(texts.profit);
    }
    return true;
}

void SalePanel::confirmSale() {
    if (m_goods.id < 0) return;
    // 1. The quantity, against the goods row as it is stored now.
    if (!requireText(m_quantity, QStringLiteral("销售数量必须输入！"))) return;
    const auto quantity = numberOf(m_quantity, Field::Quantity);
    if (!quantity) return;
    const StoredGoods stored = readStoredGoods(m_database, m_goods.id);
    if (stored.status == StoredGoods::Status::Failed) {
        Dialogs::instance().error(this, stored.reason);
        return;
    }
    if (stored.status == StoredGoods::Status::Missing) {
        refuseVanishedGoods();
        return;
    }
    m_goods = stored.goods;
    showGoods(m_goods);
    if (*quantity == 0) {
        Dialogs::instance().information(this, QStringLiteral("销售数量不能为0"));
        finishConfirm();
        return;
    }
    // 2. A return passes whenever the stock is not below its negative quantity.
    const auto stock = numberOf(m_stock, Field::Stock);
    if (!stock) return;
    if (*quantity > *stock) {
        Dialogs::instance().information(this, QStringLiteral("库存不足"));
        m_quantity->setText(num::general(*stock));
        finishConfirm();
        return;
    }
    // 3.-5.
    if (!compute(true)) return;
    if (!requireText(m_price, QStringLiteral("实际销售价必须输入！")) ||
        !requireText(m_quantity, QStringLiteral("销售数量必须输入！")) ||
        !requireText(m_debt, QStringLiteral("欠款金额必须输入！")))
        return;
    if (m_date->isEmpty()) {
        Dialogs::instance().information(this, QStringLiteral("销售日期必须输入"));
        m_date->setFocus(Qt::OtherFocusReason);
        return;
    }
    const auto saleDate = m_date->date();
    if (!saleDate) {
        Dialogs::instance().warning(this, QStringLiteral("销售日期不是有效的日期！"));
        m_date->setFocus(Qt::OtherFocusReason);
        return;
    }
    const auto price = numberOf(m_price, Field::Price);
    const auto debt = price ? numberOf(m_debt, Field::Debt) : std::nullopt;
    if (!debt) return;

    // 6. and 8. The goods row and the sales record, together.
    const sale::Entry entry{m_goods.id,        *price,          *quantity,      *debt,
                            *saleDate,         saleNumber(),    customerName(), m_address->text(),
                            m_contact->text(), m_remark->text()};
    const sale::Recorded recorded = sale::record(m_database, entry);
    switch (recorded.status) {
    case sale::Recorded::Status::Saved:
        break;
    case sale::Recorded::Status::GoodsMissing:
        refuseVanishedGoods();
        return;
    case sale::Recorded::Status::StockShort:
        Dialogs::instance().information(this, QStringLiteral("库存不足"));
        m_stock->setText(recorded.storedStock);
        m_quantity->setText(recorded.storedStock);
        finishConfirm();
        return;
    case sale::Recorded::Status::Failed:
        Dialogs::instance().error(this, recorded.reason);
        return;
    }
    const QString customer = customerName();
    const QString number = saleNumber();
    // 7. and 9.
    emit goodsRowChanged(m_goods.id);
    hide();
    emit succeeded(QStringLiteral("销售数据保存成功..."));
    m_rememberedCustomer = customer;
    emit saleSaved(customer, number);
    listSavedCustomer(trimBlanksAndControls(customer));
    clear();
    emit goodsSummaryShouldRefresh();
    emit salesMonthShouldShow();
    finishConfirm();
}

void SalePanel::finishConfirm() {
    setCustomerName(m_rememberedCustomer);
    emit ticketChanged(saleNumber(), customerName());
    QString error;
    if (!SettingsStore::instance().write(QStringLiteral("danhao"), m_session.ticketCounterText(), &error))
        Dialogs::instance().error(this, error);
}

void SalePanel::refuseVanishedGoods() {
    Dialogs::instance().warning(this, QStringLiteral("要销售的商品记录已经不存在！"));
    close();
}

std::optional<double> SalePanel::numberOf(QLineEdit *field, Field which) {
    const auto value = num::parse(field->text());
    if (!value) reportNotANumber(which);
    return value;
}

void SalePanel::reportNotANumber(Field which) {
    Dialogs::instance().warning(this, sale::notANumberMessage(which));
    QLineEdit *field = fieldOf(which);
    if (field->isVisibleTo(this) && field->focusPolicy() != Qt::NoFocus)
        field->setFocus(Qt::OtherFocusReason);
}

QLineEdit *SalePanel::fieldOf(Field which) const {
    switch (which) {
    case Field::Price:
        return m_price;
    case Field::Discount:
        return m_discount;
    case Field::Quantity:
        return m_quantity;
    case Field::Debt:
        return m_debt;
    case Field::Stock:
        return m_stock;
    case Field::Sold:
        return m_hidden[Sold];
    case Field::SalesAmount:
        return m_hidden[SalesAmount];
    case Field::PurchasePrice:
        return m_hidden[PurchasePrice];
    }
    return m_price;
}

void SalePanel::clear() {
    m_quantity->setText(QStringLiteral("1"));
    m_debt->setText(QStringLiteral("0"));
    m_price->clear();
}

void SalePanel::close() {
    hide();
    clear();
    emit closed();
}

void SalePanel::showCounter() {
    m_counter->setText(m_session.ticketCounterText());
    m_lastExit->setText(m_session.lastExitDate);
}

void SalePanel::buildSaleNumber() {
    showCounter();
    const QScopedValueRollback<bool> setting(m_settingNumber, true);
    m_number->setText(salenumber::make(Clock::today(), m_session.ticketCounter));
}

void SalePanel::takeOwnTicket() {
    if (!m_claimsRestored) {
        m_claims.restore(SettingsStore::instance().read(QStringLiteral("ticket_claims")));
        m_claimsRestored = true;
    }
    // The counter comes from this till's settings, or from the day's first stored ticket: another
    // till may be writing to it, so it is used only once this till holds it.
    if (const auto claimed = m_claims.own(m_database, Clock::today(), m_session.ticketCounter)) {
        m_session.ticketCounter = *claimed;
        m_holdsTicket = true;
        keepClaims();
    } else {
        Dialogs::instance().error(this, QStringLiteral("无法取得新的销售单号：") + m_database.errorText());
    }
}

void SalePanel::keepClaims() {
    QString error;
    if (!SettingsStore::instance().write(QStringLiteral("ticket_claims"), m_claims.text(), &error))
        Dialogs::instance().error(this, error);
}

void SalePanel::nextTicket() {
    const auto counter = m_claims.next(m_database, Clock::today(), m_session.ticketCounter);
    if (!counter) {
        Dialogs::instance().error(this, QStringLiteral("无法取得新的销售单号：") + m_database.errorText());
        return;
    }
    m_session.ticketCounter = *counter;
    keepClaims();
    buildSaleNumber();
    loadTicketCustomer();
    // The ticket view shows the ticket's customer before the refill empties the name field.
    emit ticketChanged(saleNumber(), customerName());
    emit cashShouldReset();
    refillCustomers();
}

void SalePanel::previousTicket() {
    m_session.ticketCounter = m_claims.previous(Clock::today(), m_session.ticketCounter);
    buildSaleNumber();
    loadTicketCustomer();
    emit ticketChanged(saleNumber(), customerName());
    emit cashShouldReset();
}

void SalePanel::onSaleNumberEdited() {
    if (m_settingNumber) return;
    loadTicketCustomer();
    emit ticketChanged(saleNumber(), customerName());
}

void SalePanel::toggleReturn() {
    const auto toggled = sale::toggledReturnText(m_quantity->text());
    if (!toggled) {
        Dialogs::instance().warning(this, QStringLiteral("退货数量必须是整数！"));
        m_quantity->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_quantity->setText(*toggled);
}

void SalePanel::applyDiscount() {
    if (const auto price = sale::discountedPriceText(m_discount->text(), m_suggested->text()))
        m_price->setText(*price);
}

void SalePanel::showSaleAmount() {
    if (const auto amount = sale::saleAmountText(m_price->text(), m_quantity->text()))
        m_saleAmount->setText(*amount);
}
