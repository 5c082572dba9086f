// The totals row of a data grid: its place under the rows, and the width its texts need.
#include "widgets/datagrid.h"

#include "widgets/datasetmodel.h"
#include "widgets/gridfooter.h"

#include <QScopedValueRollback>

int DataGrid::totalWidth(int column) const {
    const QString total = m_model->footerText(column);
    // The totals row keeps 4 pixels clear on each side of its text and draws a line at the right.
    return total.isEmpty() ? 0 : m_footer->fontMetrics().horizontalAdvance(total) + 9;
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
