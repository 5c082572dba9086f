// The customer fields of the sale panel: a ticket's customer, the autofill of address and contact,
// and the drop-down of names.
#include "sales/customer.h"
#include "sales/salepanel.h"
#include "store/database.h"
#include "store/texts.h"
#include "widgets/dialogs.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QStringListModel>

void SalePanel::loadTicketCustomer() {
    const auto customer = customers::ofTicket(m_database, m_number->text());
    if (!customer.ok) {
        Dialogs::instance().error(this, m_database.errorText());
        return;
    }
    if (trimBlanksAndControls(m_number->text()).isEmpty()) return;
    const Customer found = customer.found.value_or(Customer{});
    setCustomerFields(found.name, found.address, found.contact, found.remark);
}

void SalePanel::setCustomerName(const QString &name) {
    const QScopedValueRollback<bool> setting(m_settingCustomer, true);
    m_customer->setEditText(name);
}

void SalePanel::setCustomerFields(const QString &name, const QString &address, const QString &contact,
                                  const QString &remark) {
    setCustomerName(name);
    m_address->setText(address);
    m_contact->setText(contact);
    m_remark->setText(remark);
}

void SalePanel::onCustomerEdited(const QString &text) {
    if (m_settingCustomer || trimBlanksAndControls(text).isEmpty()) return;
    const auto contact = customers::contactOf(m_database, text);
    if (!contact.ok) {
        Dialogs::instance().error(this, m_database.errorText());
        return;
    }
    const Customer found = contact.found.value_or(Customer{});
    m_address->setText(found.address);
    m_contact->setText(found.contact);
}

void SalePanel::onCustomerLeft() {
    if (!trimBlanksAndControls(m_customer->currentText()).isEmpty()) return;
    m_address->clear();
    m_contact->clear();
}

bool SalePanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_customer && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
        onCustomerLeft();
    return FloatingPanel::eventFilter(watched, event);
}

void SalePanel::setRememberedCustomer(const QString &name) {
    m_rememberedCustomer = name;
}

void SalePanel::refillCustomers() {
    const QScopedValueRollback<bool> setting(m_settingCustomer, true);
    const auto names = customers::names(m_database);
    m_customerNamesLoaded = names.has_value();
    m_customerNames->setStringList(names.value_or(QStringList()));
    m_customer->setCurrentIndex(-1);
    m_customer->clearEditText();
    if (!names) Dialogs::instance().error(this, m_database.errorText());
}

void SalePanel::rereadCustomers() {
    const QString typed = m_customer->currentText();
    refillCustomers();
    setCustomerName(typed);
}

void SalePanel::listSavedCustomer(const QString &name) {
    if (!m_customerNamesLoaded) {
        refillCustomers();
        return;
    }
    const QScopedValueRollback<bool> setting(m_settingCustomer, true);
    const int at = customers::insertionPoint(m_customerNames->stringList(), name);
    if (at >= m_customerNames->rowCount() || m_customerNames->index(at).data().toString() != name) {
        m_customerNames->insertRows(at, 1);
        m_customerNames->setData(m_customerNames->index(at), name);
    }
    m_customer->setCurrentIndex(-1);
    m_customer->clearEditText();
}
