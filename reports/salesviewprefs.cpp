#include "reports/salesviewprefs.h"

#include "reports/salescolumns.h"
#include "store/settingsstore.h"
#include "widgets/datagrid.h"
#include "widgets/dialogs.h"
#include "widgets/gridlayout.h"

#include <QAction>

SalesViewPreferences::SalesViewPreferences(DataGrid *grid, QObject *parent) : QObject(parent), m_grid(grid) {}

void SalesViewPreferences::setItemAction(const QString &item, QAction *action) {
    if (!salescolumns::findItem(item) || !action) return;
    action->setCheckable(true);
    action->setChecked(isMarked(item));
    m_actions[item] = action;
}

void SalesViewPreferences::setMarked(const QString &item, bool marked) {
    const auto *found = salescolumns::findItem(item);
    if (!found || !m_grid) return;
    const bool visible = found->marksShown ? marked : !marked;
    for (const QString &field : found->fields)
        m_grid->setColumnVisible(field, visible);
    m_marked[item] = marked;
    // A checkable item has flipped its own mark already; it shows what the columns are.
    if (QAction *action = m_actions.value(item)) action->setChecked(marked);
}

void SalesViewPreferences::toggle(const QString &item) {
    const auto *found = salescolumns::findItem(item);
    if (!found) return;
    const bool mark = !isMarked(item);
    setMarked(item, mark);
    QString error;
    if (!SettingsStore::instance().write(found->flag, mark ? QStringLiteral("yes") : QStringLiteral("no"),
                                         &error))
        Dialogs::instance().error(m_grid, error);
}

void SalesViewPreferences::applyRemembered() {
    const SettingsStore &store = SettingsStore::instance();
    if (!store.exists()) return;
    for (const auto &item : salescolumns::items()) {
        const QString flag = store.read(item.flag);
        if (flag == QLatin1String("yes"))
            setMarked(item.item, true);
        else if (flag == QLatin1String("no"))
            setMarked(item.item, false);
    }
}

void SalesViewPreferences::showAll() {
    if (!m_grid) return;
    for (const QString &field : salescolumns::showAllFields())
        m_grid->setColumnVisible(field, true);
}

bool SalesViewPreferences::saveLayout() {
    if (!m_grid) return false;
    QString error;
    if (gridlayout::save(*m_grid, SettingsStore::instance().layoutPath(), QString::fromLatin1(LayoutSection),
                         &error))
        return true;
    Dialogs::instance().error(m_grid, error);
    return false;
}

bool SalesViewPreferences::restoreLayout() {
    return m_grid && gridlayout::restore(*m_grid, SettingsStore::instance().layoutPath(),
                                         QString::fromLatin1(LayoutSection));
}
