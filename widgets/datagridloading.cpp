// A data grid over a dataset that loads in steps: the rest is read a slice at a time between the
// user's keys and clicks, and the rows read reach the view a few times a second.
#include "widgets/datagrid.h"

#include "store/dataset.h"
#include "widgets/datasetmodel.h"
#include "widgets/gridfooter.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QScopedValueRollback>
#include <QTimer>

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
