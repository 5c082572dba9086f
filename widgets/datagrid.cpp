// A data grid's set-up, its dataset and current row, and its row heights. The columns and their widths,
// the sort markers, the loading in steps and the totals row have files of their own (datagrid*.cpp).
#include "widgets/datagrid.h"

#include "store/dataset.h"
#include "widgets/datasetmodel.h"
#include "widgets/gridfooter.h"
#include "widgets/gridheader.h"

#include <QHeaderView>
#include <QTimer>
#include <algorithm>

DataGrid::DataGrid(QWidget *parent)
    : QTableView(parent), m_model(new DatasetModel(this)), m_header(new GridHeader(this)),
      m_reader(new QTimer(this)) {
    setHorizontalHeader(m_header);
    m_reader->setInterval(0);
    connect(m_reader, &QTimer::timeout, this, &DataGrid::readOn);
    setModel(m_model);
    m_footer = new GridFooter(m_header, m_model, this);

    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);

    // Every list reloads on each keystroke of a filter: rows are never measured.
    QHeaderView *rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->hide();
    // The style's default leaves room for an editor; a read-only list shows more rows with less.
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
    m_defaultRowHeight = rows->defaultSectionSize();
    m_header->setSectionResizeMode(QHeaderView::Interactive);
    m_header->setStretchLastSection(false);

    connect(m_header, &GridHeader::titleClicked, this, &DataGrid::onTitleClicked);
    connect(m_header, &QHeaderView::sectionResized, this, &DataGrid::onSectionResized);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        if (index.isValid()) emit rowClicked(index.row());
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid()) emit rowDoubleClicked(index.row());
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { noteCurrentRow(current.isValid() ? current.row() : -1); });
}

DataGrid::~DataGrid() = default;

void DataGrid::noteCurrentRow(int row) {
    if (Dataset *set = dataset()) set->setCurrentRow(row);
    if (row == m_lastRow) return;
    m_lastRow = row;
    emit currentRowChanged(row);
}

void DataGrid::setDataset(Dataset *dataset) {
    if (Dataset *old = m_model->dataset(); old && old != dataset) old->setLoadObserver({});
    m_model->setDataset(dataset);
    if (dataset) watchLoading(dataset);
    reload();
}

Dataset *DataGrid::dataset() const {
    return m_model->dataset();
}

void DataGrid::reload() {
    m_model->reload();
    measureFigures();
    fitColumns();
    const Dataset *set = dataset();
    const int row = set ? set->currentRow() : -1;
    if (row >= 0)
        setCurrentRow(row);
    else
        noteCurrentRow(-1);
    m_sinceShown.start();
    if (set && set->loading())
        m_reader->start();
    else
        m_reader->stop();
}

void DataGrid::refreshRow(int row) {
    m_model->refreshRow(row);
    measureFigures(row, row);
    fitColumns();
}

void DataGrid::setRowColour(std::function<QColor(int)> hook) {
    m_model->setRowColour(std::move(hook));
    viewport()->update();
}

int DataGrid::currentRow() const {
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void DataGrid::setCurrentRow(int row) {
    if (row < 0 || row >= m_model->rowCount()) {
        setCurrentIndex({});
        noteCurrentRow(-1);
        return;
    }
    const std::vector<int> shown = visibleColumnsInOrder();
    const QModelIndex target = m_model->index(row, shown.empty() ? 0 : shown.front());
    setCurrentIndex(target);
    scrollTo(target);
    noteCurrentRow(row);
}

void DataGrid::setRowHeightSetting(int pixels) {
    m_rowHeight = std::max(0, pixels);
    applyRowHeight();
}

void DataGrid::setRowLines(int lines) {
    m_rowLines = std::max(0, lines);
    applyRowHeight();
}

void DataGrid::applyRowHeight() {
    int height = m_defaultRowHeight;
    if (m_rowHeight > 0)
        height = m_rowHeight;
    else if (m_rowLines > 1)
        height = m_defaultRowHeight + (m_rowLines - 1) * fontMetrics().lineSpacing();
    QHeaderView *rows = verticalHeader();
    rows->setMinimumSectionSize(std::min(rows->minimumSectionSize(), height));
    rows->setDefaultSectionSize(height);
}

int DataGrid::dropDownRows(int column) const {
    return validColumn(column) ? m_state[column].dropDownRows : 0;
}

void DataGrid::setDropDownRows(int column, int rows) {
    if (validColumn(column)) m_state[column].dropDownRows = rows;
}

int DataGrid::dropDownWidth(int column) const {
    return validColumn(column) ? m_state[column].dropDownWidth : 0;
}

void DataGrid::setDropDownWidth(int column, int width) {
    if (validColumn(column)) m_state[column].dropDownWidth = width;
}
