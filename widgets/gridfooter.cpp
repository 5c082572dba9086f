#include "widgets/gridfooter.h"

#include "widgets/datasetmodel.h"

#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>

GridFooter::GridFooter(QHeaderView *header, DatasetModel *model, QWidget *parent)
    : QWidget(parent), m_header(header), m_model(model) {
    setObjectName(QStringLiteral("totalsRow"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    auto repaint = [this] { update(); };
    connect(header, &QHeaderView::sectionResized, this, repaint);
    connect(header, &QHeaderView::sectionMoved, this, repaint);
    connect(header, &QHeaderView::geometriesChanged, this, repaint);
    connect(model, &QAbstractItemModel::modelReset, this, repaint);
    connect(model, &QAbstractItemModel::dataChanged, this, repaint);
    connect(model, &QAbstractItemModel::rowsRemoved, this, repaint);
    connect(model, &QAbstractItemModel::rowsInserted, this, repaint);
    connect(model, &QAbstractItemModel::layoutChanged, this, repaint);
}

QSize GridFooter::sizeHint() const {
    return {100, fontMetrics().height() + 8};
}

QRect GridFooter::cellRect(int logical) const {
    if (logical < 0 || logical >= m_header->count() || m_header->isSectionHidden(logical)) return {};
    // The header's own viewport offset is the horizontal scroll position.
    return QRect(m_header->sectionViewportPosition(logical), 0, m_header->sectionSize(logical), height());
}

void GridFooter::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    const QColor line = palette().color(QPalette::Mid);
    painter.setPen(line);
    painter.drawLine(0, 0, width(), 0);
    for (int visual = 0; visual < m_header->count(); ++visual) {
        const int logical = m_header->logicalIndex(visual);
        const QRect cell = cellRect(logical);
        if (cell.isEmpty() || !cell.intersects(event->rect())) continue;
        painter.setPen(line);
        painter.drawLine(cell.right(), 0, cell.right(), height());
        const QString text = m_model->footerText(logical);
        if (text.isEmpty()) continue;
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(cell.adjusted(4, 0, -4, 0), int(m_model->footerAlignment(logical)), text);
    }
}
