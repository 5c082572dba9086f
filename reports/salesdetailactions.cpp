// What the sales-detail window's buttons, list and panel do: the queries, the selection, the sort,
// the change and the deletion of a record, and the print.
#include "printing/gridprint.h"
#include "reports/saleschartstab.h"
#include "reports/salesdetailwindow.h"
#include "reports/salesfilterbox.h"
#include "reports/salesrecordwrite.h"
#include "store/clock.h"
#include "store/database.h"
#include "store/numbers.h"
#include "widgets/datagrid.h"
#include "widgets/datefield.h"
#include "widgets/dialogs.h"
#include "widgets/numberfield.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

bool SalesDetailWindow::isReturnRow(int row) const {
    const int quantity = m_sales.fieldIndex(QStringLiteral("3"));
    return quantity >= 0 && num::roundHalfEven(m_sales.number(row, quantity)) <= 0;
}

bool SalesDetailWindow::load(const QString &statement, const QVariantList &binds, Reading reading) {
    // A new statement lists its rows in its own order; an earlier title click does not carry over.
    if (!m_sales.sortOrder().isEmpty()) m_sales.sort(QString());
    // A filter's list shows its first rows at once and reads the rest between the keystrokes; the
    // lists that open on their last row read it all.
    const bool loaded = reading == Reading::InSteps
                            ? m_sales.startLoading(m_database, statement, binds, DataGrid::FirstRowsShown)
                            : m_sales.load(m_database, statement, binds);
    if (loaded) {
        m_lastStatement = statement;
        m_lastBinds = binds;
    }
    m_grid->reload();
    // A failed statement leaves the list as it was.
    if (!loaded) Dialogs::instance().error(this, m_database.errorText());
    return loaded;
}

void SalesDetailWindow::refillCategories() {
    QComboBox *box = m_filters->category();
    box->clear();
    box->clearEditText();
    const auto values = m_categories.values(m_database);
    if (!values) {
        Dialogs::instance().error(this, m_database.errorText());
        return;
    }
    box->addItems(*values);
    box->setCurrentIndex(-1);
    box->clearEditText();
}

void SalesDetailWindow::showWhole(const QString &statement, const QVariantList &binds) {
    refillCategories();
    load(statement, binds);
    if (m_sales.rowCount() > 0) m_grid->setCurrentRow(m_sales.rowCount() - 1);
    m_panel->hide();
}

void SalesDetailWindow::showMonth() {
    const SalesStatement month = salesqueries::month(Clock::today());
    showWhole(month.text, month.binds);
}

void SalesDetailWindow::showAllRecords() {
    showWhole(salesqueries::allRecords(), {});
}

void SalesDetailWindow::showAllReturns() {
    showWhole(salesqueries::allReturns(), {});
}

bool SalesDetailWindow::runSearch(salesqueries::Kind kind) {
    salesqueries::Problem problem = salesqueries::Problem::None;
    const auto statement = salesqueries::search(m_filters->filter(), kind, &problem);
    m_panel->hide();
    if (!statement) {
        // A range with a date that is not one lists nothing rather than rows the range would not hold.
        m_sales.clear();
        m_grid->reload();
        DateField *field =
            problem == salesqueries::Problem::ToDate ? m_filters->toDate() : m_filters->fromDate();
        Dialogs::instance().warning(field, QStringLiteral("销售日期不是有效的日期！"));
        field->setFocus(Qt::OtherFocusReason);
        return false;
    }
    const bool loaded = load(statement->text, statement->binds, Reading::InSteps);
    if (m_sales.rowCount() > 0) m_grid->setCurrentRow(0);
    return loaded;
}

bool SalesDetailWindow::search() {
    return runSearch(salesqueries::Kind::Sales);
}

bool SalesDetailWindow::searchReturns() {
    return runSearch(salesqueries::Kind::Returns);
}

void SalesDetailWindow::showToday() {
    m_filters->dateRange()->setChecked(true);
    search();
    m_panel->hide();
}

void SalesDetailWindow::clearConditions() {
    // Emptying a text field that held something runs "查 询" at once, with the later fields still set.
    for (QLineEdit *field : {m_filters->nameInitials(), m_filters->customer(), m_filters->code(),
                             m_filters->modelInitials(), m_filters->remark()})
        field->clear();
    m_filters->category()->setCurrentIndex(-1);
    m_filters->category()->clearEditText();
    m_filters->dateRange()->setChecked(false);
}

void SalesDetailWindow::onRowClicked(int row) {
    m_clickedRow->setText(QString::number(row));
    if (m_sales.text(row, QStringLiteral("a")).isEmpty()) return;
    m_slipNumber->setText(m_sales.text(row, QStringLiteral("z")));
    m_customer->setText(m_sales.text(row, QStringLiteral("g")));
}

void SalesDetailWindow::takeSale(const QString &customer, const QString &saleNumber) {
    m_customer->setText(customer);
    m_slipNumber->setText(saleNumber);
}

bool SalesDetailWindow::listTicket(const QString &saleNumber) {
    const SalesStatement ticket = salesqueries::ticket(saleNumber);
    m_panel->hide();
    const bool loaded = load(ticket.text, ticket.binds);
    if (m_sales.rowCount() > 0) m_grid->setCurrentRow(0);
    return loaded;
}

void SalesDetailWindow::previewSlip() {
    if (m_slipNumber->text().isEmpty()) {
        Dialogs::instance().information(this, QStringLiteral("点选要打印的某行记录"));
        return;
    }
    if (listTicket(m_slipNumber->text())) emit slipPreviewRequested(m_slipNumber->text());
}

void SalesDetailWindow::onTitleClick(const QString &order) {
    m_panel->hide();
    m_sales.sort(order);
    m_grid->reload();
}

bool SalesDetailWindow::userMay(SalesRecordPanel::Mode mode) const {
    // The user's rights hide the menu item; every other way to the same change (a double click, the
    // Delete key, the panel's own button) asks the item too.
    const QAction *action = item(QString::fromLatin1(mode == SalesRecordPanel::Mode::Change ? "N7" : "N2"));
    return action && action->isVisible();
}

void SalesDetailWindow::openPanel(SalesRecordPanel::Mode mode) {
    if (!userMay(mode)) return;
    const int row = m_grid->currentRow();
    if (row < 0 || row >= m_sales.rowCount() || m_sales.text(row, QStringLiteral("a")).isEmpty()) return;
    m_panel->openFor(mode, m_sales, row);
}

void SalesDetailWindow::openForChange() {
    openPanel(SalesRecordPanel::Mode::Change);
}

void SalesDetailWindow::openForDeletion() {
    openPanel(SalesRecordPanel::Mode::Deletion);
}

void SalesDetailWindow::changeRecord() {
    if (!userMay(SalesRecordPanel::Mode::Change) || m_sales.rowCount() == 0) return;
    const int row = m_sales.rowOfId(m_panel->recordId());
    if (row < 0) return;
    const auto debt = num::parse(m_panel->debt()->text());
    if (!debt) {
        Dialogs::instance().warning(m_panel->debt(), num::notANumberMessage(QStringLiteral("欠款金额")));
        m_panel->debt()->setFocus(Qt::OtherFocusReason);
        return;
    }
    const salesrecord::Correction correction{*debt,
                                             m_panel->saleNumber()->text(),
                                             m_panel->customer()->text(),
                                             m_panel->address()->text(),
                                             m_panel->contact()->text(),
                                             m_panel->remark()->text()};
    if (!salesrecord::correct(m_database, m_sales, row, correction)) {
        Dialogs::instance().error(this, m_database.errorText());
        return;
    }
    m_grid->refreshRow(row);
    m_panel->hide();
    emit salesRecordsChanged();
    Dialogs::instance().information(this, QStringLiteral("修改记录成功！"));
}

void SalesDetailWindow::deleteRecord() {
    const qint64 id = m_panel->recordId();
    if (!userMay(SalesRecordPanel::Mode::Deletion) || id < 0) return;
    const salesrecord::Deletion deletion = salesrecord::remove(m_database, id);
    if (deletion.status == salesrecord::Deletion::Status::Failed) {
        Dialogs::instance().error(this, deletion.reason);
        return;
    }
    m_categories.invalidate();
    if (deletion.goodsId >= 0) emit goodsRowChanged(deletion.goodsId);
    showMonth();
    m_panel->clear();
    m_panel->hide();
    m_charts->drawMonthly(salescharts::Measure::Profit);
    m_charts->drawDaily(salescharts::Measure::Profit);
    emit salesRecordsChanged();
    if (deletion.status == salesrecord::Deletion::Status::Missing)
        Dialogs::instance().warning(this, QStringLiteral("该销售记录已经不存在！"));
    else
        Dialogs::instance().information(this, QStringLiteral("删除销售记录成功！"));
}

void SalesDetailWindow::print() {
    const QString user = m_userName ? m_userName() : QString();
    gridprint::preview(*m_grid, {QString::fromUtf8(PrintTitle), gridprint::makerLine(user, Clock::today())},
                       this);
}
