#pragma once
// The remembered view of a list: the column items of its menu, each marking a group of columns hidden
// (or, for an item whose mark means shown, shown), the marks kept in settings flags ("yes" marked,
// "no" not), and the column layout saved in and restored from one section of the layout file.
#include "widgets/columnitem.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <vector>

class DataGrid;
class QAction;

class ViewPreferences : public QObject {
    Q_OBJECT
  public:
    // `items` in the order their flags are applied at start.
    ViewPreferences(DataGrid *grid, std::vector<ColumnItem> items, const char *layoutSection,
                    QObject *parent);

    // The menu item of a column item: it shows the mark.
    void setItemAction(const QString &item, QAction *action);
    bool isMarked(const QString &item) const { return m_marked.value(item, false); }

  public slots:
    // A click on a column item: a marked item undoes its change and writes "no", an unmarked one makes
    // it and writes "yes".
    void toggle(const QString &item);
    // When the settings key exists, each flag "yes" marks its item and makes its change, "no" unmarks
    // and undoes it, anything else leaves it alone; in item order, so a later item wins a column.
    void applyRemembered();
    // False (reported) when the layout file cannot be written.
    bool saveLayout();
    // A missing file or section restores nothing. Marks stay as they are.
    bool restoreLayout();

  protected:
    DataGrid *grid() const;

  private:
    const ColumnItem *find(const QString &item) const;
    void setMarked(const ColumnItem &item, bool marked);

    QPointer<DataGrid> m_grid;
    std::vector<ColumnItem> m_items;
    QString m_layoutSection;
    QHash<QString, bool> m_marked;
    QHash<QString, QPointer<QAction>> m_actions;
};
