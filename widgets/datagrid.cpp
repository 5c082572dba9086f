#include "widgets/datagrid.h"

#include "store/dataset.h"
#include "widgets/datagridwidths.h"
#include "widgets/datasetmodel.h"
#include "widgets/gridfooter.h"
#include "widgets/gridheader.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QHeaderView>
#include <QScopedValueRollback>
#include <QPointer>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <cmath>

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

void DataGrid::setColumns(std::vector<GridColumn> columns) {
    m_model->setColumns(std::move(columns));
    const auto &defined = m_model->columns();
    m_state.assign(defined.size(), ColumnState{});
    m_figureWidth.assign(defined.size(), 0);
    {
        const QScopedValueRollback guard(m_fitting, true);
        for (int c = 0; c < columnCountDefined(); ++c) {
            const GridColumn &def = defined[static_cast<std::size_t>(c)];
            m_state[static_cast<std::size_t>(c)].share = std::max(1, def.width);
            m_header->setMarker(c, SortMarker::None);
            m_header->resizeSection(c, std::max(1, def.width));
            setColumnHidden(c, !def.visible);
        }
    }
    measureFigures();
    fitColumns();
}

const std::vector<GridColumn> &DataGrid::columns() const {
    return m_model->columns();
}

int DataGrid::columnOfField(const QString &field) const {
    return m_model->columnOfField(field);
}

QString DataGrid::fieldOf(int column) const {
    return validColumn(column) ? columns()[column].field : QString();
}

void DataGrid::setDataset(Dataset *dataset) {
    if (Dataset *old = m_model->dataset(); old && old != dataset) old->setLoadObserver({});
    m_model->setDataset(dataset);
    if (dataset) watchLoading(dataset);
    reload();
}

void DataGrid::watchLoading(Dataset *set) {
    // The grid may go before the set it showed.
    const QPointer<DataGrid> grid(this);
    set->setLoadObserver({[grid](int, int) {
                              if (grid) grid->showReadRows();
                          },
                          [grid, set] {
                              if (!grid) return;
                              grid->reload();
                              emit grid->loadingFailed(set->loadError());
                          }});
}

bool DataGrid::isLoading() const {
    const Dataset *set = dataset();
    return set && set->loading();
}

void DataGrid::readOn() {
    Dataset *set = dataset();
    if (!set) {
        m_reader->stop();
        return;
    }
    // Short slices: a keystroke waits for one at most. The view hears of the new rows a few times a
    // second, not after every slice: each time it lays out and draws again.
    constexpr int SliceMs = 12;
    constexpr int ShowEveryMs = 150;
    constexpr int RowsPerCheck = 256;
    QElapsedTimer slice;
    slice.start();
    bool read = true;
    {
        const QScopedValueRollback batch(m_readingSlice, true);
        while (set->loading() && slice.elapsed() < SliceMs)
            if (!(read = set->loadMore(RowsPerCheck))) break;
    }
    // A failure has emptied the list and said so already.
    if (!read) return;
    if (!set->loading() || m_sinceShown.elapsed() >= ShowEveryMs) showReadRows();
    if (set->loading()) return;
    m_reader->stop();
    emit loadingFinished();
}

void DataGrid::finishLoading() const {
    // The reader's next turn finds nothing left and says the list is complete.
    if (Dataset *set = dataset(); set && set->loading()) set->finishLoading();
}

void DataGrid::showReadRows() {
    const Dataset *set = dataset();
    if (m_readingSlice || !set) return;
    const int first = m_model->rowCount();
    m_sinceShown.start();
    m_model->rowsAppended();
    const std::vector<int> before = m_figureWidth;
    measureFigures(first, set->rowCount() - 1);
    if (m_figureWidth != before) fitColumns();
    m_footer->update();
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

int DataGrid::figureWidth(int column) const {
    return validColumn(column) ? m_figureWidth[static_cast<std::size_t>(column)] : 0;
}

int DataGrid::totalWidth(int column) const {
    const QString total = m_model->footerText(column);
    // The totals row keeps 4 pixels clear on each side of its text and draws a line at the right.
    return total.isEmpty() ? 0 : m_footer->fontMetrics().horizontalAdvance(total) + 9;
}

void DataGrid::measureFigures() {
    // Digit counts over the rows, no text made or measured per row: lists reload at every keystroke.
    for (int c = 0; c < columnCountDefined(); ++c) {
        const GridColumn &def = columns()[static_cast<std::size_t>(c)];
        int width = 0;
        if (gridwidths::isDateField(def.field)) width = gridwidths::dateWidth(fontMetrics()) + cellPadding();
        if (def.keptDigits > 0)
            width = std::max(width,
                             gridwidths::pixelWidth(gridwidths::FigureShape{def.keptDigits, false, false, {}},
                                                    fontMetrics()) +
                                 cellPadding());
        m_figureWidth[static_cast<std::size_t>(c)] = width;
    }
    const Dataset *set = dataset();
    measureFigures(0, set ? set->rowCount() - 1 : -1);
}

void DataGrid::measureFigures(int first, int last) {
    // The widths only grow here: by the totals and by the figures of these rows.
    const Dataset *set = dataset();
    for (int c = 0; c < columnCountDefined(); ++c) {
        const GridColumn &def = columns()[static_cast<std::size_t>(c)];
        int &width = m_figureWidth[static_cast<std::size_t>(c)];
        width = std::max(width, totalWidth(c));
        if (!set) continue;
        const auto widest = gridwidths::widestFigure(*set, set->fieldIndex(def.field), def.format, first, last);
        if (widest.digits > 0 || !widest.exponentText.isEmpty())
            width = std::max(width, gridwidths::pixelWidth(widest, fontMetrics()) + cellPadding());
    }
}

int DataGrid::cellPadding() const {
    // What the item delegate keeps clear on both sides of a cell's text, and the grid line.
    return 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 2;
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

void DataGrid::setColumnVisible(const QString &field, bool visible) {
    const int column = columnOfField(field);
    if (visible && m_withheld.contains(field)) return;
    if (column < 0 || isColumnHidden(column) == !visible) return;
    {
        const QScopedValueRollback guard(m_fitting, true);
        setColumnHidden(column, !visible);
        if (visible && !m_fit)
            m_header->resizeSection(column, std::max(1, int(std::lround(m_state[column].share))));
    }
    fitColumns();
}

void DataGrid::withholdColumn(const QString &field) {
    setColumnVisible(field, false);
    m_withheld.insert(field);
}

bool DataGrid::isColumnVisible(const QString &field) const {
    const int column = columnOfField(field);
    return column >= 0 && !isColumnHidden(column);
}

std::vector<int> DataGrid::visibleColumnsInOrder() const {
    std::vector<int> shown;
    for (int visual = 0; visual < m_header->count(); ++visual) {
        const int logical = m_header->logicalIndex(visual);
        if (!m_header->isSectionHidden(logical)) shown.push_back(logical);
    }
    return shown;
}

void DataGrid::setFitColumnsToWidth(bool on) {
    if (on == m_fit) return;
    if (!on) {
        // From now on the shares are plain pixel widths: take them as they are shown.
        for (int c = 0; c < columnCountDefined(); ++c)
            m_state[c].share = std::max(1, shownWidth(c));
    }
    m_fit = on;
    fitColumns();
}

int DataGrid::shownWidth(int column) const {
    if (!validColumn(column)) return 0;
    if (!m_header->isSectionHidden(column)) return m_header->sectionSize(column);
    if (!m_fit) return int(std::lround(m_state[column].share));
    double shares = 0;
    for (int c : visibleColumnsInOrder())
        shares += m_state[c].share;
    const int available = viewport()->width();
    if (shares <= 0 || available <= 0) return int(std::lround(m_state[column].share));
    return std::max(1, int(std::lround(m_state[column].share * available / shares)));
}

void DataGrid::setShownWidth(int column, int width) {
    if (!validColumn(column) || width <= 0) return;
    if (m_header->isSectionHidden(column) || !m_fit) {
        m_state[column].share = width;
        const QScopedValueRollback guard(m_fitting, true);
        if (!m_header->isSectionHidden(column)) m_header->resizeSection(column, width);
        return;
    }
    m_header->resizeSection(column, width); // refits the others around it
}

void DataGrid::onSectionResized(int column, int oldSize, int newSize) {
    if (m_fitting || !validColumn(column)) return;
    if (oldSize == 0 || newSize == 0 || m_header->isSectionHidden(column)) {
        // Shown or hidden from outside: refit once the header has settled.
        QMetaObject::invokeMethod(
            this, [this] { fitColumns(); }, Qt::QueuedConnection);
        return;
    }
    if (!m_fit) {
        m_state[column].share = newSize;
        return;
    }
    fitColumns(column);
}

void DataGrid::fitColumns(int keptColumn) {
    if (!m_fit || m_fitting) return;
    const QScopedValueRollback guard(m_fitting, true);
    const std::vector<int> shown = visibleColumnsInOrder();
    const int available = viewport()->width();
    if (shown.empty() || available <= 0) return;
    const int minimum = std::max(1, m_header->minimumSectionSize());
    // Each column gets its share of the width but never less than its figures need: those that would
    // get less are held at their need, and the others share what remains. A column the user has just
    // resized is held at its new width.
    const std::size_t count = shown.size();
    std::vector<int> least(count);
    std::vector<bool> held(count, false);
    double shares = 0;
    int room = available;
    std::size_t kept = count;
    for (std::size_t i = 0; i < count; ++i) {
        least[i] = std::max(minimum, figureWidth(shown[i]));
        if (shown[i] == keptColumn && count > 1) {
            kept = i;
            least[i] = std::max(least[i], m_header->sectionSize(keptColumn));
            held[i] = true;
            room -= least[i];
        } else {
            shares += m_state[shown[i]].share;
        }
    }
    for (bool changed = true; changed && shares > 0;) {
        changed = false;
        for (std::size_t i = 0; i < count; ++i) {
            if (held[i] || m_state[shown[i]].share * room / shares >= least[i]) continue;
            held[i] = true;
            room -= least[i];
            shares -= m_state[shown[i]].share;
            changed = true;
        }
    }
    // The kept column's share becomes what gives it its width beside the others.
    if (kept < count && shares > 0 && room > 0) m_state[shown[kept]].share = least[kept] * shares / room;
    // The last column that is not held takes what is left, so that the columns fill the width exactly;
    // with every column held at its need they may be wider than the grid, which then scrolls.
    std::size_t last = count;
    for (std::size_t i = 0; i < count; ++i)
        if (!held[i]) last = i;
    if (last == count)
        for (std::size_t i = 0; i < count; ++i)
            if (i != kept) last = i;
    int used = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (i == last) continue;
        const int width = held[i]
                              ? least[i]
                              : std::max(least[i], int(std::lround(m_state[shown[i]].share * room / shares)));
        m_header->resizeSection(shown[i], width);
        used += width;
    }
    if (last < count) m_header->resizeSection(shown[last], std::max(least[last], available - used));
}

SortMarker DataGrid::sortMarker(int column) const {
    return m_header->marker(column);
}

void DataGrid::setSortMarker(int column, SortMarker marker) {
    if (validColumn(column)) m_header->setMarker(column, marker);
}

int DataGrid::sortIndex(int column) const {
    return validColumn(column) ? m_state[column].sortIndex : 0;
}

void DataGrid::setSortIndex(int column, int index) {
    if (validColumn(column)) m_state[column].sortIndex = index;
}

std::vector<DataGrid::SortKey> DataGrid::sortKeys() const {
    std::vector<SortKey> keys;
    for (int c = 0; c < columnCountDefined(); ++c)
        if (sortMarker(c) != SortMarker::None) keys.push_back({c, fieldOf(c), sortMarker(c), sortIndex(c)});
    std::stable_sort(keys.begin(), keys.end(),
                     [](const SortKey &a, const SortKey &b) { return a.sortIndex < b.sortIndex; });
    return keys;
}

SortMarker DataGrid::advanceSortMarker(int column, bool keepOthers) {
    if (!validColumn(column)) return SortMarker::None;
    const SortMarker before = sortMarker(column);
    SortMarker after = SortMarker::Down;
    if (before == SortMarker::Down)
        after = SortMarker::Up;
    else if (before == SortMarker::Up)
        after = keepOthers ? SortMarker::None : SortMarker::Down;

    if (!keepOthers) {
        for (int c = 0; c < columnCountDefined(); ++c) {
            if (c == column) continue;
            setSortMarker(c, SortMarker::None);
            m_state[c].sortIndex = 0;
        }
        m_state[column].sortIndex = 1;
    } else if (before == SortMarker::None) {
        int highest = 0;
        for (const ColumnState &state : m_state)
            highest = std::max(highest, state.sortIndex);
        m_state[column].sortIndex = highest + 1;
    } else if (after == SortMarker::None) {
        const int removed = m_state[column].sortIndex;
        for (ColumnState &state : m_state)
            if (state.sortIndex > removed) --state.sortIndex;
        m_state[column].sortIndex = 0;
    }
    setSortMarker(column, after);
    return before;
}

QString DataGrid::sortTextForClick(const QString &field, SortMarker before) {
    return before == SortMarker::Down ? field : field + QStringLiteral(" DESC");
}

void DataGrid::onTitleClicked(int column, Qt::KeyboardModifiers modifiers) {
    if (!validColumn(column)) return;
    const SortMarker before = sortMarker(column);
    emit titleClicked(column, before);
    emit sortRequested(sortTextForClick(fieldOf(column), before));
    advanceSortMarker(column, modifiers.testFlag(Qt::ControlModifier));
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

void DataGrid::updateGeometries() {
    QTableView::updateGeometries();
    if (m_placingFooter || !m_footer) return;
    // The base class gives the viewport the whole height below the titles; the totals row takes
    // the bottom of it back.
    const QScopedValueRollback guard(m_placingFooter, true);
    const int footerHeight = m_footer->sizeHint().height();
    const QMargins margins = viewportMargins();
    if (margins.bottom() != footerHeight)
        setViewportMargins(margins.left(), margins.top(), margins.right(), footerHeight);
    const QRect area = viewport()->geometry();
    m_footer->setGeometry(area.left(), area.bottom() + 1, area.width(), footerHeight);
}

void DataGrid::resizeEvent(QResizeEvent *event) {
    QTableView::resizeEvent(event);
    fitColumns();
}

void DataGrid::changeEvent(QEvent *event) {
    QTableView::changeEvent(event);
    if (event->type() != QEvent::FontChange && event->type() != QEvent::StyleChange) return;
    if (m_figureWidth.size() != columns().size()) return;
    measureFigures();
    fitColumns();
}
