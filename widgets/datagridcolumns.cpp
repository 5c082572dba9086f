// The columns of a data grid and their widths: which are shown, the width each figure column needs so
// that no digit is cut, and the fitting of the shown columns to the grid's width by their shares.
#include "widgets/datagrid.h"

#include "store/dataset.h"
#include "widgets/datagridwidths.h"
#include "widgets/datasetmodel.h"
#include "widgets/gridheader.h"

#include <QEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <algorithm>
#include <cmath>

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

int DataGrid::figureWidth(int column) const {
    return validColumn(column) ? m_figureWidth[static_cast<std::size_t>(column)] : 0;
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
        const auto widest =
            gridwidths::widestFigure(*set, set->fieldIndex(def.field), def.format, first, last);
        if (widest.digits > 0 || !widest.exponentText.isEmpty())
            width = std::max(width, gridwidths::pixelWidth(widest, fontMetrics()) + cellPadding());
    }
}

int DataGrid::cellPadding() const {
    // What the item delegate keeps clear on both sides of a cell's text, and the grid line.
    return 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 2;
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
