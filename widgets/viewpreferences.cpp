#include "widgets/viewpreferences.h"

#include "store/settingsstore.h"
#include "widgets/datagrid.h"
#include "widgets/dialogs.h"
#include "widgets/gridlayout.h"

#include <QAction>

ViewPreferences::ViewPreferences(DataGrid *grid, std::vector<ColumnItem> items, const char *layoutSection,
                                 QObject *parent)
    : QObject(parent), m_grid(grid), m_items(std::move(items)),
      m_layoutSection(QString::fromLatin1(layoutSection)) {}

DataGrid *ViewPreferences::grid() const {
    return m_grid;
}

const ColumnItem *ViewPreferences::find(const QString &item) const {
    for (const ColumnItem &candidate : m_items)
        if (candidate.item == item) return &candidate;
    return nullptr;
}

void ViewPreferences::setItemAction(const QString &item, QAction *action) {
    if (!find(item) || !action) return;
    action->setCheckable(true);
    action->setChecked(isMarked(item));
    m_actions[item] = action;
}

void ViewPreferences::setMarked(const ColumnItem &item, bool marked) {
    if (!m_grid) return;
    const bool visible = item.marksShown ? marked : !marked;
    for (const QString &field : item.fields)
        m_grid->setColumnVisible(field, visible);
    m_marked[item.item] = marked;
    // A checkable item has flipped its own mark already; it shows what the columns are.
    if (QAction *action = m_actions.value(item.item)) action->setChecked(marked);
}

void ViewPreferences::toggle(const QString &item) {
    const ColumnItem *found = find(item);
    if (!found) return;
    const bool mark = !isMarked(item);
    setMarked(*found, mark);
    QString error;
    if (!SettingsStore::instance().write(found->flag, mark ? QStringLiteral("yes") : QStringLiteral("no"),
                                         &error))
        Dialogs::instance().error(m_grid, error);
}

void ViewPreferences::applyRemembered() {
    const SettingsStore &store = SettingsStore::instance();
    if (!store.exists()) return;
    for (const ColumnItem &item : m_items) {
        const QString flag = store.read(item.flag);
        if (flag == QLatin1String("yes"))
            setMarked(item, true);
        else if (flag == QLatin1String("no"))
            setMarked(item, false);
    }
}

bool ViewPreferences::saveLayout() {
    if (!m_grid) return false;
    QString error;
    if (gridlayout::save(*m_grid, SettingsStore::instance().layoutPath(), m_layoutSection, &error))
        return true;
    Dialogs::instance().error(m_grid, error);
    return false;
}

bool ViewPreferences::restoreLayout() {
    return m_grid && gridlayout::restore(*m_grid, SettingsStore::instance().layoutPath(), m_layoutSection);
}
