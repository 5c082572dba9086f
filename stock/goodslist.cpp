#include "stock/goodslist.h"

#include "stock/goodscolumns.h"
#include "stock/goodsquerybox.h"
#include "stock/goodsrowrefresh.h"
#include "stock/stockalarm.h"
#include "stock/stockinpanel.h"
#include "store/database.h"
#include "store/settingsstore.h"
#include "widgets/datagrid.h"
#include "widgets/datefield.h"
#include "widgets/dialogs.h"
#include "widgets/filllist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

namespace {
const QColor alarmColour(255, 0, 0);
}

GoodsList::GoodsList(Database &database, QWidget *parent)
    : QObject(parent), m_database(database), m_grid(new DataGrid(parent)),
      m_queryBox(new GoodsQueryBox(parent)) {
    setObjectName(QStringLiteral("goodsList"));
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setToolTip(QStringLiteral("点列标题进行排序，双击记录进行销售"));
    m_grid->setColumns(goodscolumns::columns());
    m_grid->setDataset(&m_goods);
    m_grid->setRowColour([this](int row) { return isAlarmRow(row) ? alarmColour : QColor(); });

    connect(m_grid, &DataGrid::sortRequested, this, &GoodsList::onTitleClick);
    connect(m_grid, &DataGrid::rowClicked, this, &GoodsList::onRowClicked);
    connect(m_grid, &DataGrid::rowDoubleClicked, this, &GoodsList::rowDoubleClicked);

    connect(m_queryBox, &GoodsQueryBox::filterEdited, this, [this] { runQuery(); });
    connect(m_queryBox->searchButton(), &QPushButton::clicked, this, [this] { runQuery(); });
    connect(m_queryBox->clearButton(), &QPushButton::clicked, this, &GoodsList::clearConditions);
    connect(m_queryBox->allButton(), &QPushButton::clicked, this, &GoodsList::showAll);
    connect(m_queryBox->code(), &QLineEdit::returnPressed, this, &GoodsList::onCodeEntered);
}

GoodsList::~GoodsList() {
    // The grid may outlive this object for a moment while its parent goes: it must not draw the rows.
    if (m_grid) {
        m_grid->setRowColour({});
        m_grid->setDataset(nullptr);
    }
}

void GoodsList::attachThresholdField(QLineEdit *field) {
    m_threshold = field;
    m_thresholdValue = stockalarm::threshold(field->text());
    connect(field, &QLineEdit::textChanged, this, &GoodsList::onThresholdEdited);
}

void GoodsList::attachZeroStockBox(QCheckBox *box) {
    m_zeroStock = box;
    box->setEnabled(true);
    connect(box, &QCheckBox::toggled, this, &GoodsList::onZeroStockToggled);
}

bool GoodsList::isAlarmRow(int row) const {
    const int stock = m_goods.fieldIndex(QStringLiteral("7"));
    return stock >= 0 && stockalarm::alarms(m_goods.number(row, stock), m_thresholdValue);
}

qint64 GoodsList::currentId() const {
    return m_goods.id(m_goods.currentRow());
}

void GoodsList::refreshGrid() {
    m_grid->reload();
}

void GoodsList::loadInto(const QString &statement, const QVariantList &binds) {
    // A new statement lists its rows in its own order; an earlier title click does not carry over.
    m_lastStatement = {statement, binds};
    if (!m_goods.sortOrder().isEmpty()) m_goods.sort(QString());
    const GoodsStatement listed = goodsrefresh::listed(m_database, m_lastStatement);
    const bool loaded = m_goods.load(m_database, listed.text, listed.binds);
    if (!loaded) m_goods.clear();
    if (loaded) m_goods.setStatementOrder(goodsrefresh::statementOrder(m_database, listed));
    m_grid->reload();
    emit listLoaded();
    if (!loaded) Dialogs::instance().error(m_grid, m_database.errorText());
}

void GoodsList::fillDropDowns() {
    const QString table = QStringLiteral("data");
    const auto fill = [&](QComboBox *box, const char *column) {
        if (box) fillListFromColumnWhenOpened(m_database, box, QString::fromLatin1(column), table);
    };
    StockInPanel *panel = m_stockIn;
    fill(panel ? panel->category() : nullptr, "d");
    fill(m_queryBox->category(), "d");
    fill(panel ? panel->name() : nullptr, "a");
    fill(panel ? panel->model() : nullptr, "b");
    fill(panel ? panel->code() : nullptr, "c");
    fill(panel ? panel->supplier() : nullptr, "g");
    fill(m_queryBox->supplier(), "g");
}

GoodsList::LoadBatch::~LoadBatch() {
    if (--m_list.m_batches == 0 && m_list.m_showAllPending) m_list.showAll();
}

void GoodsList::showAll() {
    if (m_batches > 0) {
        m_showAllPending = true;
        return;
    }
    m_showAllPending = false;
    fillDropDowns();
    loadInto(m_query.listStatement(), {});
    if (m_goods.rowCount() > 0) m_grid->setCurrentRow(m_goods.rowCount() - 1);
    emit salePanelShouldHide();
}

bool GoodsList::runQuery() {
    GoodsQuery::Problem problem = GoodsQuery::Problem::None;
    const auto statement = m_query.search(m_queryBox->filter(), &problem);
    if (!statement) {
        // A range with a date that is not one lists nothing rather than rows the range would not hold.
        m_goods.clear();
        m_lastStatement = {};
        m_grid->reload();
        DateField *field =
            problem == GoodsQuery::Problem::ToDate ? m_queryBox->toDate() : m_queryBox->fromDate();
        Dialogs::instance().warning(field, QStringLiteral("入库日期不是有效的日期！"));
        field->setFocus(Qt::OtherFocusReason);
        emit salePanelShouldHide();
        return false;
    }
    loadInto(statement->text, statement->binds);
    emit salePanelShouldHide();
    return true;
}

void GoodsList::showChangedRow(qint64 id, Step step) {
    // "全部记录" over a list that a "查询" made lists other rows: that is the whole list again.
    if (step == Step::All && m_lastStatement.text != m_query.listStatement()) {
        showAll();
        return;
    }
    if (m_lastStatement.text.isEmpty()) return; // nothing listed: no statement to follow
    Dataset changed;
    const GoodsStatement narrowed =
        goodsrefresh::narrowedToRow(goodsrefresh::listed(m_database, m_lastStatement), id);
    if (!changed.load(m_database, narrowed.text, narrowed.binds) || changed.rowCount() > 1) {
        reloadAs(step);
        return;
    }
    const int before = m_goods.rowOfId(id);
    const int countBefore = m_goods.rowCount();
    if (changed.rowCount() == 1) {
        if (!m_goods.putRow(changed, 0)) {
            reloadAs(step);
            return;
        }
    } else {
        m_goods.dropRow(id);
    }
    if (step == Step::All) fillDropDowns();
    const int current = step == Step::All ? m_goods.rowCount() - 1 : 0;
    m_goods.setCurrentRow(current);
    // A row that kept its place is drawn again alone; any other change lays the rows out anew.
    if (before >= 0 && m_goods.rowCount() == countBefore && m_goods.rowOfId(id) == before) {
        m_grid->refreshRow(before);
        m_grid->setCurrentRow(m_goods.currentRow());
    } else {
        m_grid->reload();
    }
    emit listLoaded();
    emit salePanelShouldHide();
}

void GoodsList::followChangedRow(qint64 id) {
    if (m_lastStatement.text.isEmpty()) return;
    Dataset changed;
    const GoodsStatement narrowed =
        goodsrefresh::narrowedToRow(goodsrefresh::listed(m_database, m_lastStatement), id);
    // A failed read is left to the next one: no message pops up over a sale for another till's write.
    if (!changed.load(m_database, narrowed.text, narrowed.binds)) return;
    const int before = m_goods.rowOfId(id);
    if (changed.rowCount() > 1) {
        followAll();
        return;
    }
    if (changed.rowCount() == 0 && before < 0) return; // neither listed nor to be
    const int countBefore = m_goods.rowCount();
    const KeptView kept = keepView();
    if (changed.rowCount() == 1) {
        if (!m_goods.putRow(changed, 0)) {
            followAll();
            return;
        }
    } else {
        m_goods.dropRow(id);
    }
    if (before >= 0 && m_goods.rowCount() == countBefore && m_goods.rowOfId(id) == before) {
        m_grid->refreshRow(before);
    } else {
        m_grid->reload();
        restoreView(kept);
    }
}

void GoodsList::followAll() {
    if (m_lastStatement.text.isEmpty()) return;
    const KeptView kept = keepView();
    const int currentBefore = m_goods.currentRow();
    // The load keeps the title-click order; the statement's order comes with the statement.
    const GoodsStatement listed = goodsrefresh::listed(m_database, m_lastStatement);
    if (!m_goods.load(m_database, listed.text, listed.binds)) return;
    m_goods.setStatementOrder(goodsrefresh::statementOrder(m_database, listed));
    const int current = m_goods.rowOfId(kept.currentId);
    m_goods.setCurrentRow(current >= 0 ? current : std::min(currentBefore, m_goods.rowCount() - 1));
    m_grid->reload();
    restoreView(kept);
}

GoodsList::KeptView GoodsList::keepView() const {
    const int top = m_grid->rowAt(0);
    return {currentId(), top >= 0 ? m_goods.id(top) : -1, m_grid->horizontalScrollBar()->value()};
}

void GoodsList::restoreView(const KeptView &kept) {
    // The row at the top stays at the top, whatever came or went above it.
    const int top = m_goods.rowOfId(kept.topId);
    if (top >= 0) m_grid->scrollTo(m_grid->model()->index(top, 0), QAbstractItemView::PositionAtTop);
    m_grid->horizontalScrollBar()->setValue(kept.horizontal);
}

void GoodsList::reloadAs(Step step) {
    if (step == Step::All) {
        showAll();
        return;
    }
    const GoodsStatement statement = m_lastStatement;
    loadInto(statement.text, statement.binds);
    emit salePanelShouldHide();
}

void GoodsList::clearConditions() {
    // Emptying a text field that held something runs "查询" at once, with the later fields still set.
    m_queryBox->nameInitials()->clear();
    m_queryBox->code()->clear();
    m_queryBox->modelInitials()->clear();
    m_queryBox->category()->setCurrentIndex(-1);
    m_queryBox->category()->clearEditText();
    m_queryBox->remark()->clear();
    m_queryBox->supplier()->setCurrentIndex(-1);
    m_queryBox->supplier()->clearEditText();
    m_queryBox->dateRange()->setChecked(false);
    m_queryBox->code()->setFocus(Qt::OtherFocusReason);
}

void GoodsList::applyLoginZeroStockPreference(bool hidden) {
    m_query.applyLoginPreference(hidden);
    if (m_zeroStock) m_zeroStock->setChecked(hidden);
    showAll();
}

void GoodsList::onZeroStockToggled(bool ticked) {
    m_query.setZeroStockHidden(ticked);
    showAll();
    writeSetting(QStringLiteral("n0"), ticked ? QStringLiteral("no") : QStringLiteral("yes"));
}

void GoodsList::onThresholdEdited(const QString &text) {
    if (text.isEmpty() && m_threshold) {
        m_threshold->setText(QStringLiteral("0")); // runs this again with "0"
        return;
    }
    m_thresholdValue = stockalarm::threshold(text);
    // Rows take the new colour as they are next drawn.
    writeSetting(QStringLiteral("number"), text);
}

void GoodsList::writeSetting(const QString &name, const QString &value) {
    QString error;
    if (!SettingsStore::instance().write(name, value, &error)) Dialogs::instance().error(m_grid, error);
}

void GoodsList::onTitleClick(const QString &sortOrder) {
    emit salePanelShouldHide();
    if (m_stockIn) m_stockIn->hide();
    m_goods.sort(sortOrder);
    m_grid->reload();
}

void GoodsList::activateRow(int row) {
    if (row < 0 || row >= m_goods.rowCount()) return;
    m_grid->setCurrentRow(row);
    onRowClicked(row);
    emit rowDoubleClicked(row);
}

void GoodsList::onCodeEntered() {
    if (m_queryBox->code()->text().isEmpty()) {
        emit emptyCodeEntered();
        return;
    }
    if (m_goods.rowCount() == 1) activateRow(0);
}

void GoodsList::onRowClicked(int row) {
    const qint64 id = m_goods.id(row);
    if (id != m_lastClickedId) {
        m_lastClickedId = id;
        if (m_stockIn) m_stockIn->endModification();
        emit clickedRowChanged(row);
    }
    if (m_stockIn) m_stockIn->fillFromRow(row);
    emit rowClicked(row);
}
