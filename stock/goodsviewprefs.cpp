#include "stock/goodsviewprefs.h"

#include "stock/goodscolumns.h"
#include "store/settingsstore.h"
#include "widgets/datagrid.h"
#include "widgets/dialogs.h"
#include "widgets/gridlayout.h"

#include <QAction>

namespace {
const goodscolumns::HidingItem *findItem(const QString &item) {
    for (const auto &candidate : goodscolumns::hidingItems())
        if (candidate.item == item) return &candidate;
    return nullptr;
}
} // namespace

GoodsViewPreferences::GoodsViewPreferences(DataGrid *grid, QObject *parent) : QObject(parent), m_grid(grid) {}

void GoodsViewPreferences::setItemAction(const QString &item, QAction *action) {
    if (!findItem(item) || !action) return;
    action->setCheckable(true);
    action->setChecked(isTicked(item));
    m_actions[item] = action;
}

void GoodsViewPreferences::setHidden(const QString &item, bool hidden) {
    const auto *found = findItem(item);
    if (!found || !m_grid) return;
    for (const QString &field : found->fields)
        m_grid->setColumnVisible(field, !hidden);
    m_ticked[item] = hidden;
    // A checkable item has flipped its own tick already; it shows what the columns are.
    if (QAction *action = m_actions.value(item)) action->setChecked(hidden);
}

void GoodsViewPreferences::toggle(const QString &item) {
    const auto *found = findItem(item);
    if (!found) return;
    const bool hide = !isTicked(item);
    setHidden(item, hide);
    QString error;
    if (!SettingsStore::instance().write(found->flag, hide ? QStringLiteral("yes") : QStringLiteral("no"),
                                         &error))
        Dialogs::instance().error(m_grid, error);
}

void GoodsViewPreferences::applyRemembered() {
    const SettingsStore &store = SettingsStore::instance();
    if (!store.exists()) return;
    for (const auto &item : goodscolumns::hidingItems()) {
        const QString flag = store.read(item.flag);
        if (flag == QLatin1String("yes"))
            setHidden(item.item, true);
        else if (flag == QLatin1String("no"))
            setHidden(item.item, false);
    }
}

bool GoodsViewPreferences::saveLayout() {
    if (!m_grid) return false;
    QString error;
    if (gridlayout::save(*m_grid, SettingsStore::instance().layoutPath(), QString::fromLatin1(LayoutSection),
                         &error))
        return true;
    Dialogs::instance().error(m_grid, error);
    return false;
}

bool GoodsViewPreferences::restoreLayout() {
    return m_grid && gridlayout::restore(*m_grid, SettingsStore::instance().layoutPath(),
                                         QString::fromLatin1(LayoutSection));
}
