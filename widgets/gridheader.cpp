#include "widgets/gridheader.h"

#include "widgets/datasetmodel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>

GridHeader::GridHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setSectionsMovable(true);
    setHighlightSections(false);
    setSortIndicatorShown(false); // our own markers, several at once
    connect(this, &QHeaderView::sectionClicked, this,
            [this](int logical) { emit titleClicked(logical, m_releaseModifiers); });
}

SortMarker GridHeader::marker(int logical) const {
    return logical >= 0 && static_cast<std::size_t>(logical) < m_markers.size()
               ? m_markers[static_cast<std::size_t>(logical)]
               : SortMarker::None;
}

void GridHeader::setMarker(int logical, SortMarker marker) {
    if (logical < 0) return;
    if (static_cast<std::size_t>(logical) >= m_markers.size())
        m_markers.resize(static_cast<std::size_t>(logical) + 1, SortMarker::None);
    if (m_markers[static_cast<std::size_t>(logical)] == marker) return;
    m_markers[static_cast<std::size_t>(logical)] = marker;
    viewport()->update();
}

void GridHeader::mouseReleaseEvent(QMouseEvent *event) {
    // sectionClicked is emitted from inside the base handler; keep the keys for it.
    m_releaseModifiers = event->modifiers();
    QHeaderView::mouseReleaseEvent(event);
    m_releaseModifiers = Qt::NoModifier;
}

QString GridHeader::groupOf(int logical) const {
    return model() ? model()->headerData(logical, Qt::Horizontal, DatasetModel::GroupTitleRole).toString()
                   : QString();
}

bool GridHeader::hasGroups() const {
    for (int logical = 0; logical < count(); ++logical)
        if (!groupOf(logical).isEmpty()) return true;
    return false;
}

QSize GridHeader::sectionSizeFromContents(int logical) const {
    QSize size = QHeaderView::sectionSizeFromContents(logical);
    if (hasGroups()) size.setHeight(size.height() * 2);
    return size;
}

void GridHeader::paintCell(QPainter *painter, const QRect &rect, int logical, const QString &text,
                           SortMarker marker) const {
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logical;
    option.text = text;
    option.textAlignment = Qt::AlignCenter;
    option.iconAlignment = Qt::AlignVCenter;
    option.position = QStyleOptionHeader::Middle;
    option.state |= QStyle::State_Raised;
    if (isEnabled()) option.state |= QStyle::State_Enabled;
    option.sortIndicator = marker == SortMarker::Down ? QStyleOptionHeader::SortDown
                           : marker == SortMarker::Up ? QStyleOptionHeader::SortUp
                                                      : QStyleOptionHeader::None;
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
}

void GridHeader::paintSection(QPainter *painter, const QRect &rect, int logical) const {
    if (!rect.isValid() || !model()) return;
    const QString title = model()->headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString();
    const QString group = groupOf(logical);
    if (group.isEmpty()) {
        paintCell(painter, rect, logical, title, marker(logical));
        return;
    }
    const int upperHeight = rect.height() / 2;
    paintCell(painter,
              QRect(rect.left(), rect.top() + upperHeight, rect.width(), rect.height() - upperHeight),
              logical, title, marker(logical));

    // The group cell covers the visible neighbours (in screen order) that carry the same group title;
    // every one of them paints the same cell, so partial repaints stay consistent.
    const int visual = visualIndex(logical);
    int first = visual;
    int last = visual;
    for (int v = visual - 1; v >= 0; --v) {
        const int other = logicalIndex(v);
        if (isSectionHidden(other)) continue;
        if (groupOf(other) != group) break;
        first = v;
    }
    for (int v = visual + 1; v < count(); ++v) {
        const int other = logicalIndex(v);
        if (isSectionHidden(other)) continue;
        if (groupOf(other) != group) break;
        last = v;
    }
    const int left = sectionViewportPosition(logicalIndex(first));
    const int right = sectionViewportPosition(logicalIndex(last)) + sectionSize(logicalIndex(last));
    painter->save();
    paintCell(painter, QRect(left, rect.top(), right - left, upperHeight), logical, group, SortMarker::None);
    painter->restore();
}
