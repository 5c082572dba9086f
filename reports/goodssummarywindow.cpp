#include "reports/goodssummarywindow.h"

#include "printing/gridprint.h"
#include "reports/goodssummary.h"
#include "store/clock.h"
#include "store/database.h"
#include "widgets/datagrid.h"
#include "widgets/dialogs.h"

#include <QAction>
#include <QMenu>
#include <QShowEvent>
#include <QVBoxLayout>

GoodsSummaryWindow::GoodsSummaryWindow(Database &database, QWidget *parent)
    : QDialog(parent), m_database(database), m_grid(new DataGrid(this)), m_menu(new QMenu(this)) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("汇总统计"));
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setColumns(goodssummary::columns());
    m_grid->setDataset(&m_summary);
    // The grid takes the window's height less 35 pixels.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 35);
    layout->addWidget(m_grid);
    resize(900, 500);

    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    auto *excel = new QAction(QStringLiteral("导出Excel"), m_menu);
    excel->setObjectName(QStringLiteral("Excel1"));
    auto *print = new QAction(QStringLiteral("打 印"), m_menu);
    print->setObjectName(QStringLiteral("N1"));
    m_menu->addAction(excel);
    m_menu->addAction(print);
    connect(print, &QAction::triggered, this, &GoodsSummaryWindow::print);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_menu->popup(m_grid->viewport()->mapToGlobal(at)); });
    connect(m_grid, &DataGrid::sortRequested, this, [this](const QString &order) {
        m_lastRowWhenRead = false;
        m_summary.sort(order);
        m_grid->reload();
    });
    // A long summary is shown from its first rows while the rest is read; the cursor goes to the last
    // row when it has come, unless the user has chosen a row meanwhile.
    connect(m_grid, &DataGrid::loadingFinished, this, [this] {
        if (m_lastRowWhenRead) showLastRow();
    });
    connect(m_grid, &DataGrid::rowClicked, this, [this] { m_lastRowWhenRead = false; });
    connect(m_grid, &DataGrid::currentRowChanged, this, [this](int row) {
        if (row > 0) m_lastRowWhenRead = false;
    });
    connect(m_grid, &DataGrid::loadingFailed, this,
            [this](const QString &message) { Dialogs::instance().error(this, message); });
}

void GoodsSummaryWindow::showLastRow() {
    m_lastRowWhenRead = false;
    if (m_summary.rowCount() > 0) m_grid->setCurrentRow(m_summary.rowCount() - 1);
}

GoodsSummaryWindow::~GoodsSummaryWindow() {
    m_grid->setDataset(nullptr);
}

QAction *GoodsSummaryWindow::item(const QString &name) const {
    return m_menu->findChild<QAction *>(name);
}

void GoodsSummaryWindow::refresh() {
    if (!m_summary.sortOrder().isEmpty()) m_summary.sort(QString());
    m_lastRowWhenRead = false;
    if (!m_summary.startLoading(m_database, goodssummary::statement(), {}, DataGrid::FirstRowsShown)) {
        m_summary.clear();
        m_grid->reload();
        Dialogs::instance().error(this, m_database.errorText());
        return;
    }
    m_grid->reload();
    if (m_summary.loading())
        m_lastRowWhenRead = true;
    else
        showLastRow();
}

void GoodsSummaryWindow::print() {
    const QString user = m_userName ? m_userName() : QString();
    gridprint::preview(*m_grid, {QString::fromUtf8(PrintTitle), gridprint::makerLine(user, Clock::today())},
                       this);
}

void GoodsSummaryWindow::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) refresh();
}

void GoodsSummaryWindow::done(int result) {
    QDialog::done(result);
    m_summary.clear();
    m_grid->reload();
}
