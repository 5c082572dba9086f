#include "sales/ticketview.h"

#include "store/database.h"
#include "widgets/datagrid.h"
#include "widgets/dialogs.h"
#include "widgets/enterchain.h"
#include "widgets/numberfield.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QString Amount = QStringLiteral("4");
const QString Quantity = QStringLiteral("3");

GridColumn column(const char *field, const char *title, int width) {
    GridColumn c;
    c.field = QString::fromUtf8(field);
    c.title = QString::fromUtf8(title);
    c.width = width;
    return c;
}

// The grid's columns with the footer of one ticket. The sums are texts of their own because they are
// taken to four decimals, which the grid's running sums are not.
std::vector<GridColumn> ticketColumns(const QString &saleNumber, const QString &quantitySum,
                                      const QString &amountSum) {
    std::vector<GridColumn> columns{
        column("a", "商品名称", 110), column("b", "规格型号", 90), column("3", "数量", 50),
        column("2", "单价", 55),      column("4", "金额", 65),
    };
    const auto footer = [&](int c, const QString &text, Qt::Alignment alignment) {
        columns[c].footer = GridColumn::Footer::Text;
        columns[c].footerText = text;
        columns[c].alignment = alignment;
    };
    footer(0, QStringLiteral("销售单号："), {});
    footer(1, saleNumber, {});
    footer(2, quantitySum, Qt::AlignRight | Qt::AlignVCenter);
    footer(4, amountSum, Qt::AlignRight | Qt::AlignVCenter);
    return columns;
}

QLineEdit *readOnlyField(const char *name, QWidget *parent) {
    auto *field = new QLineEdit(QStringLiteral("0"), parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(true);
    return field;
}

QPushButton *button(const char *name, const char *text, QWidget *parent) {
    auto *b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}
} // namespace

TicketView::TicketView(Database &database, QWidget *parent) : FloatingPanel(parent), m_database(database) {
    setObjectName(QStringLiteral("Panel5"));
    closeMark()->setObjectName(QStringLiteral("Image4"));
    buildControls();
    buildLayout();
    showLines();
    hide();
}

void TicketView::buildControls() {
    m_grid = new DataGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid2"));
    m_grid->setColumns(ticketColumns({}, QStringLiteral("0"), QStringLiteral("0")));
    m_grid->setDataset(&m_lines);

    m_customerLine = new QLabel(QStringLiteral("客户名称："), this);
    m_customerLine->setObjectName(QStringLiteral("Label65"));

    m_total = readOnlyField("Edit48", this);
    m_change = readOnlyField("Edit50", this);
    m_cash = new NumberField(this);
    m_cash->setObjectName(QStringLiteral("Edit49"));
    m_cash->installEventFilter(this);

    m_receipt = button("BitBtn5", "POS小票打印", this);
    m_slip = button("BitBtn4", "销售单打印", this);
    m_previous = button("Button21", "上一单", this);
    m_next = button("Button22", "下一单", this);

    // Enter in the cash field goes on to the receipt button.
    m_cashChain = new EnterChain({m_cash, m_receipt}, this);

    connect(m_cash, &QLineEdit::textChanged, this, [this] { recomputeChange(false); });
    connect(m_total, &QLineEdit::textChanged, this, [this] { recomputeChange(false); });
    connect(m_receipt, &QPushButton::clicked, this, &TicketView::printReceipt);
    connect(m_slip, &QPushButton::clicked, this, &TicketView::printSlip);
    connect(m_previous, &QPushButton::clicked, this, &TicketView::previousTicketRequested);
    connect(m_next, &QPushButton::clicked, this, &TicketView::nextTicketRequested);
}

void TicketView::buildLayout() {
    auto *layout = new QVBoxLayout(this);
    // Room at the top for the close mark and for dragging.
    layout->setContentsMargins(6, 20, 6, 6);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_customerLine);

    auto *money = new QGridLayout;
    const auto add = [&](int column, const char *caption, QLineEdit *field) {
        money->addWidget(new QLabel(QString::fromUtf8(caption), this), 0, column * 2);
        money->addWidget(field, 0, column * 2 + 1);
    };
    add(0, "合计：", m_total);
    add(1, "现金：", m_cash);
    add(2, "找零：", m_change);
    layout->addLayout(money);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);
    buttons->addStretch(1);
    buttons->addWidget(m_receipt);
    buttons->addWidget(m_slip);
    layout->addLayout(buttons);
    resize(420, 320);
}

void TicketView::refresh(const QString &saleNumber, const QString &customerName) {
    m_saleNumber = saleNumber;
    m_customerName = customerName;
    // A failed query must not leave the previous ticket's lines under the new number.
    if (!ticket::load(m_database, saleNumber, m_lines))
        Dialogs::instance().error(this, m_database.errorText());
    showLines();
    m_customerLine->setText(QStringLiteral("客户名称：") + customerName);
}

void TicketView::reread() {
    refresh(m_saleNumber, m_customerName);
}

void TicketView::showLines() {
    const QString amount = ticket::sumText(m_lines, Amount);
    std::vector<GridColumn> columns = ticketColumns(m_saleNumber, ticket::sumText(m_lines, Quantity), amount);
    // New footer texts mean new column definitions; the widths the user gave the columns stay.
    if (m_grid->columnCountDefined() == static_cast<int>(columns.size()))
        for (int c = 0; c < m_grid->columnCountDefined(); ++c)
            if (const int width = m_grid->shownWidth(c); width > 0) columns[c].width = width;
    m_grid->setColumns(std::move(columns));
    m_grid->reload();
    m_total->setText(amount);
}

void TicketView::setCash(const QString &text) {
    m_cash->setText(text);
}

void TicketView::toggle() {
    if (isHidden())
        popUp();
    else
        hide();
}

void TicketView::recomputeChange(bool reportBadCash) {
    const ticket::Change change = ticket::changeFor(m_cash->text(), m_total->text());
    switch (change.status) {
    case ticket::Change::Status::Kept:
        return;
    case ticket::Change::Status::Computed:
        m_change->setText(change.text);
        return;
    case ticket::Change::Status::CashNotANumber:
        if (reportBadCash)
            Dialogs::instance().warning(this, ticket::refusalMessage(ticket::Refusal::CashNotANumber));
        return;
    }
}

bool TicketView::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_cash && event->type() == QEvent::FocusOut) {
        // A message box or a menu taking the focus is no leaving of the field; reporting then would
        // open one box over the other. A click on "POS小票打印" reports the cash itself.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        const bool otherWindow = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
        const bool toReceipt = reason == Qt::MouseFocusReason && QApplication::focusWidget() == m_receipt;
        if (!otherWindow && !toReceipt) recomputeChange(true);
    }
    return FloatingPanel::eventFilter(watched, event);
}

bool TicketView::refused(ticket::Refusal refusal) {
    using ticket::Refusal;
    switch (refusal) {
    case Refusal::None:
        return false;
    case Refusal::EmptyTicket:
    case Refusal::CashShort:
        Dialogs::instance().information(this, ticket::refusalMessage(refusal));
        return true;
    case Refusal::NoCash:
    case Refusal::CashNotANumber:
        Dialogs::instance().warning(this, ticket::refusalMessage(refusal));
        m_cash->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return true;
}

void TicketView::printReceipt() {
    if (refused(ticket::checkReceipt(m_total->text(), m_cash->text()))) return;
    const bool printed = !m_receiptPrinter || m_receiptPrinter(m_saleNumber);
    emit receiptPrintRequested(m_saleNumber);
    // A receipt the printer did not take is still owed: the ticket stays for another try.
    if (printed) emit nextTicketRequested();
}

void TicketView::printSlip() {
    if (!refused(ticket::checkSlip(m_total->text()))) emit slipPreviewRequested(m_saleNumber);
    // The next ticket starts whether or not the slip could be shown.
    emit nextTicketRequested();
}
