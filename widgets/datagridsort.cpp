// The sort markers of a data grid's titles: what a title click asks the list to sort by, and how the
// markers and their order move on.
#include "widgets/datagrid.h"

#include "widgets/gridheader.h"

#include <algorithm>

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
