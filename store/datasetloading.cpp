// Reading a statement's rows into a dataset, at once or in steps, from either engine.
#include "store/database.h"
#include "store/datasetloader.h"

#include <limits>

bool Dataset::load(Database &database, const QString &statementText, const QVariantList &binds) {
    return startLoading(database, statementText, binds, std::numeric_limits<int>::max());
}

bool Dataset::startLoading(Database &database, const QString &statementText, const QVariantList &binds,
                           int firstRows) {
    std::unique_ptr<RowSource> source = database.engine() == Database::Engine::Server
                                             ? serverRows(database, statementText, binds)
                                             : fileRows(database, statementText, binds);
    if (!source) return false;
    // The rows before stay until the new ones are read; a sort kept from before needs them all.
    const QString order = m_sortOrder;
    if (!order.isEmpty()) firstRows = std::numeric_limits<int>::max();
    if (!m_spare) m_spare = std::make_unique<Dataset>();
    Dataset &fresh = *m_spare;
    source->begin(fresh);
    const RowSource::Step step = source->read(fresh, std::max(firstRows, 1));
    if (step == RowSource::Step::Failed) {
        database.setError(source->error());
        return false;
    }
    stopLoading();
    // The old rows go to the spare, where the next load empties them and reuses their memory.
    swapRows(fresh);
    m_loadError.clear();
    if (step == RowSource::Step::More) {
        m_pending = std::make_unique<Pending>();
        m_pending->database = &database;
        m_pending->source = std::move(source);
        m_pending->token = database.addPendingRead([this] { finishLoading(); });
    }
    if (!order.isEmpty()) sort(order);
    return true;
}

bool Dataset::loadMore(int rows) {
    if (!m_pending) return true;
    const int first = rowCount();
    const RowSource::Step step = m_pending->source->read(*this, rows);
    if (step == RowSource::Step::Failed) {
        m_loadError = m_pending->source->error();
        m_pending->database->setError(m_loadError);
        stopLoading();
        emptyRows();
        if (m_observer.emptied) m_observer.emptied();
        return false;
    }
    if (step == RowSource::Step::Done) stopLoading();
    // The end of the reading is news even without new rows: the totals are complete now.
    if ((rowCount() > first || step == RowSource::Step::Done) && m_observer.appended)
        m_observer.appended(first, rowCount() - 1);
    return true;
}

bool Dataset::finishLoading() {
    return loadMore(std::numeric_limits<int>::max());
}

void Dataset::stopLoading() {
    if (!m_pending) return;
    const std::unique_ptr<Pending> pending = std::move(m_pending);
    pending->database->removePendingRead(pending->token);
}
