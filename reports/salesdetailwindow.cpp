// The sales-detail window's controls, its popup menu, and what its show and close do.
#include "reports/salesdetailwindow.h"

#include "reports/salescharts.h"
#include "reports/saleschartstab.h"
#include "reports/salescolumns.h"
#include "reports/salesdetailsize.h"
#include "reports/salesfilterbox.h"
#include "reports/salesviewprefs.h"
#include "store/clock.h"
#include "store/database.h"
#include "store/settingsstore.h"
#include "widgets/datagrid.h"
#include "widgets/datefield.h"
#include "widgets/dialogs.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

SalesDetailWindow::SalesDetailWindow(Database &database, QWidget *parent)
    : QDialog(parent), m_database(database) {
    setObjectName(QStringLiteral("Txstj"));
    setWindowTitle(QStringLiteral("销售明细"));
    buildLayout();
    buildMenu();
    wireControls();
    resize(salesdetailsize::Default);
}

SalesDetailWindow::~SalesDetailWindow() {
    m_grid->setRowColour({});
    m_grid->setDataset(nullptr);
}

void SalesDetailWindow::buildLayout() {
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PageControl1"));
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    m_charts = new SalesChartsTab(m_database);
    m_charts->setObjectName(QStringLiteral("TabSheet2"));
    m_tabs->addTab(page, QStringLiteral("销售明细"));
    m_tabs->addTab(m_charts, QStringLiteral("销售统计"));

    m_grid = new DataGrid(page);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setColumns(salescolumns::columns());
    m_grid->setDataset(&m_sales);
    m_grid->setRowColour([this](int row) { return isReturnRow(row) ? QColor(Qt::red) : QColor(); });
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_filters = new SalesFilterBox(page);

    auto *slip = new QGroupBox(QStringLiteral("销售单打印"), page);
    slip->setObjectName(QStringLiteral("GroupBox4"));
    m_slipNumber = new QLineEdit(slip);
    m_slipNumber->setObjectName(QStringLiteral("Edit2"));
    auto *slipLayout = new QHBoxLayout(slip);
    slipLayout->addWidget(new QLabel(QStringLiteral("销售单号："), slip));
    slipLayout->addWidget(m_slipNumber);
    m_slipSearch = new QPushButton(QStringLiteral("查 询"), slip);
    m_slipSearch->setObjectName(QStringLiteral("Button20"));
    m_slipPreview = new QPushButton(QStringLiteral("销售单预览"), slip);
    m_slipPreview->setObjectName(QStringLiteral("Button5"));
    slipLayout->addWidget(m_slipSearch);
    slipLayout->addWidget(m_slipPreview);
    m_customer = new QLineEdit(page);
    m_customer->setObjectName(QStringLiteral("Edit17"));
    m_customer->hide();
    m_clickedRow = new QLineEdit(page);
    m_clickedRow->setObjectName(QStringLiteral("Edit16"));
    m_clickedRow->hide();

    auto *lower = new QHBoxLayout;
    lower->addWidget(m_filters, 1);
    lower->addWidget(m_filters->returnsGroup());
    lower->addWidget(slip);
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(2, 2, 2, 2);
    pageLayout->addWidget(m_grid, 1);
    pageLayout->addLayout(lower);

    m_panel = new SalesRecordPanel(page);
    m_panel->move(120, 60);
    m_panel->hide();

    // The tab control leaves 20 pixels of the window's height below it.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 20);
    layout->addWidget(m_tabs);
}

void SalesDetailWindow::buildMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    const auto add = [this](const char *name, const char *caption) {
        auto *action = new QAction(QString::fromUtf8(caption), m_menu);
        action->setObjectName(QString::fromLatin1(name));
        m_menu->addAction(action);
        return action;
    };
    add("N7", "修 改 ");
    QAction *remove = add("N2", "删 除");
    remove->setShortcut(QKeySequence(Qt::Key_Delete));
    QAction *excel = add("Excel1", "导出Excel");
    excel->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    QAction *print = add("N4", "打 印");
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    m_menu->addSeparator();
    add("N19", "保存当前列宽");
    m_menu->addSeparator();
    m_view = new SalesViewPreferences(m_grid, this);
    const auto columnItem = [&](const char *name) {
        const auto *found = salescolumns::findItem(QString::fromLatin1(name));
        QAction *action = add(name, "");
        action->setText(found->caption);
        m_view->setItemAction(found->item, action);
        const QString item = found->item;
        connect(action, &QAction::triggered, m_view, [this, item] { m_view->toggle(item); });
    };
    for (const char *name : {"N5", "N13", "N12", "N11"})
        columnItem(name);
    m_menu->addSeparator();
    for (const char *name : {"N6", "N10", "N9", "N8", "N16", "N17"})
        columnItem(name);
    m_menu->addSeparator();
    add("N3", "全部显示");
    // The shortcuts work while the window is active; a hidden item (a restricted user's) does nothing.
    for (QAction *action : {remove, excel, print}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
}

QAction *SalesDetailWindow::item(const QString &name) const {
    return m_menu->findChild<QAction *>(name);
}

void SalesDetailWindow::wireControls() {
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_menu->popup(m_grid->viewport()->mapToGlobal(at)); });
    connect(m_grid, &DataGrid::rowClicked, this, &SalesDetailWindow::onRowClicked);
    connect(m_grid, &DataGrid::rowDoubleClicked, this, [this] { openForChange(); });
    connect(m_grid, &DataGrid::sortRequested, this, &SalesDetailWindow::onTitleClick);
    connect(m_grid, &DataGrid::loadingFailed, this,
            [this](const QString &message) { Dialogs::instance().error(this, message); });
    connect(m_clickedRow, &QLineEdit::textChanged, m_panel, &QWidget::hide);
    // A panel closed from the keyboard hands the keys back to the list it was opened from.
    connect(m_panel, &FloatingPanel::hiddenWithFocus, m_grid, [this] { m_grid->setFocus(Qt::OtherFocusReason); });
    connect(m_customer, &QLineEdit::textChanged, this, &SalesDetailWindow::rememberedCustomerChanged);

    connect(m_filters, &SalesFilterBox::filterEdited, this, [this] { search(); });
    connect(m_filters->searchButton(), &QPushButton::clicked, this, [this] { search(); });
    connect(m_filters->monthButton(), &QPushButton::clicked, this, &SalesDetailWindow::showMonth);
    connect(m_filters->todayButton(), &QPushButton::clicked, this, &SalesDetailWindow::showToday);
    connect(m_filters->clearButton(), &QPushButton::clicked, this, &SalesDetailWindow::clearConditions);
    connect(m_filters->allButton(), &QPushButton::clicked, this, &SalesDetailWindow::showAllRecords);
    connect(m_filters->returnsSearch(), &QPushButton::clicked, this, [this] { searchReturns(); });
    connect(m_filters->allReturns(), &QPushButton::clicked, this, &SalesDetailWindow::showAllReturns);

    connect(m_slipSearch, &QPushButton::clicked, this, [this] { listTicket(m_slipNumber->text()); });
    connect(m_slipPreview, &QPushButton::clicked, this, &SalesDetailWindow::previewSlip);

    connect(m_panel, &SalesRecordPanel::changeRequested, this, &SalesDetailWindow::changeRecord);
    connect(m_panel, &SalesRecordPanel::deleteRequested, this, &SalesDetailWindow::deleteRecord);

    connect(item(QStringLiteral("N7")), &QAction::triggered, this, &SalesDetailWindow::openForChange);
    connect(item(QStringLiteral("N2")), &QAction::triggered, this, &SalesDetailWindow::openForDeletion);
    connect(item(QStringLiteral("N4")), &QAction::triggered, this, &SalesDetailWindow::print);
    connect(item(QStringLiteral("N19")), &QAction::triggered, m_view, [this] { m_view->saveLayout(); });
    connect(item(QStringLiteral("N3")), &QAction::triggered, m_view, &SalesViewPreferences::showAll);
}

void SalesDetailWindow::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    m_closing = false;
    const QScreen *shownOn = screen();
    resize(salesdetailsize::initial(
        salesdetailsize::parse(SettingsStore::instance().read(QString::fromLatin1(SizeSetting))),
        shownOn ? shownOn->availableGeometry() : QRect()));
    m_view->restoreLayout();
    const QDate today = Clock::today();
    m_charts->setCurrentDate(today);
    m_filters->fromDate()->setDate(today);
    m_filters->toDate()->setDate(today);
    m_charts->drawMonthly(salescharts::Measure::Profit);
    m_charts->drawDaily(salescharts::Measure::Profit);
    showMonth();
}

void SalesDetailWindow::closeEvent(QCloseEvent *event) {
    QDialog::closeEvent(event);
    if (event->isAccepted()) whenClosed();
}

void SalesDetailWindow::done(int result) {
    // Escape and accept/reject end a modal run without a close event.
    QDialog::done(result);
    whenClosed();
}

void SalesDetailWindow::keyPressEvent(QKeyEvent *event) {
    // Escape closes what is in front first: the open panel, not the window with its filters.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_panel->isVisible()) {
        m_panel->hide();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SalesDetailWindow::whenClosed() {
    if (m_closing) return;
    m_closing = true;
    // A failed write keeps the size for this run only; nothing of the shop depends on it.
    SettingsStore::instance().write(QString::fromLatin1(SizeSetting), salesdetailsize::text(size()));
    m_charts->deactivate();
    m_panel->hide();
    m_sales.clear();
    m_grid->reload();
    emit windowClosed();
}

std::optional<SalesStatement> SalesDetailWindow::followedMonth() const {
    SalesStatement month = salesqueries::month(Clock::today());
    if (!isVisible() || m_lastStatement != month.text || m_lastBinds != month.binds) return std::nullopt;
    return month;
}

namespace {
// What the user sees of a list: the current row and the row at the top, by their IDs.
struct KeptView {
    qint64 currentId;
    qint64 topId;
    int horizontal;
};
KeptView keepView(const DataGrid &grid, const Dataset &rows) {
    const int top = grid.rowAt(0);
    return {rows.id(rows.currentRow()), top >= 0 ? rows.id(top) : -1, grid.horizontalScrollBar()->value()};
}
void restoreView(DataGrid &grid, const Dataset &rows, const KeptView &kept) {
    const int top = rows.rowOfId(kept.topId);
    if (top >= 0) grid.scrollTo(grid.model()->index(top, 0), QAbstractItemView::PositionAtTop);
    grid.horizontalScrollBar()->setValue(kept.horizontal);
}
} // namespace

void SalesDetailWindow::followSalesRecord(qint64 id) {
    const auto month = followedMonth();
    if (!month) return;
    // The month's statement for this one record, before its order.
    const qsizetype orderAt = month->text.lastIndexOf(QLatin1String(" order by "));
    const QString narrowed = month->text.left(orderAt) + QStringLiteral(" and ID=?") + month->text.mid(orderAt);
    Dataset changed;
    // A failed read is left to the next one: no message pops up for another till's write.
    if (!changed.load(m_database, narrowed, QVariantList(month->binds) << id) || changed.rowCount() > 1) return;
    const int before = m_sales.rowOfId(id);
    if (changed.rowCount() == 0 && before < 0) return;
    const int countBefore = m_sales.rowCount();
    const KeptView kept = keepView(*m_grid, m_sales);
    // The month lists its records by ID.
    m_sales.setStatementOrder(QStringLiteral("ID"));
    if (changed.rowCount() == 1) {
        if (!m_sales.putRow(changed, 0)) {
            followSalesRecords();
            return;
        }
    } else {
        m_sales.dropRow(id);
    }
    if (before >= 0 && m_sales.rowCount() == countBefore && m_sales.rowOfId(id) == before) {
        m_grid->refreshRow(before);
    } else {
        m_grid->reload();
        restoreView(*m_grid, m_sales, kept);
    }
}

void SalesDetailWindow::followSalesRecords() {
    const auto month = followedMonth();
    if (!month) return;
    const KeptView kept = keepView(*m_grid, m_sales);
    const int currentBefore = m_sales.currentRow();
    if (!m_sales.load(m_database, month->text, month->binds)) return;
    const int current = m_sales.rowOfId(kept.currentId);
    m_sales.setCurrentRow(current >= 0 ? current : std::min(currentBefore, m_sales.rowCount() - 1));
    m_grid->reload();
    restoreView(*m_grid, m_sales, kept);
}
