#pragma once
// The remembered view of the goods list: the six "隐藏列" items that hide groups of columns (their
// ticks kept in the settings flags rukuyin1..6, "yes" = hidden) and the column layout saved in and
// restored from section "ranvelgrid" of the layout file.
#include <QHash>
#include <QObject>
#include <QPointer>

class DataGrid;
class QAction;

class GoodsViewPreferences : public QObject {
    Q_OBJECT
  public:
    static constexpr auto LayoutSection = "ranvelgrid";

    explicit GoodsViewPreferences(DataGrid *grid, QObject *parent = nullptr);

    // The menu item of a column group ("N5", "N31", "N6", "N9", "N10", "N7"): it shows the tick.
    void setItemAction(const QString &item, QAction *action);
    bool isTicked(const QString &item) const { return m_ticked.value(item, false); }

  public slots:
    // A click on a column-hiding item: ticked shows the columns again and writes "no", otherwise
    // hides them and writes "yes".
    void toggle(const QString &item);
    // "隐藏记忆": when the settings key exists, each flag "yes" hides and ticks, "no" shows and unticks,
    // anything else leaves its item alone.
    void applyRemembered();
    // "保存当前列宽" (N37). False (reported) when the layout file cannot be written.
    bool saveLayout();
    // "读取列宽" (N17): a missing file or section restores nothing. Ticks stay as they are.
    bool restoreLayout();

  private:
    void setHidden(const QString &item, bool hidden);

    QPointer<DataGrid> m_grid;
    QHash<QString, bool> m_ticked;
    QHash<QString, QPointer<QAction>> m_actions;
};
