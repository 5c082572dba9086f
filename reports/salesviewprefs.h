#pragma once
// The remembered view of the sales-detail list: the ten column items of its popup menu (their marks
// kept in the settings flags xiaoshouyin1..10), "全部显示", and the column layout saved in and restored
// from section "ranvelgrid2" of the layout file.
#include <QHash>
#include <QObject>
#include <QPointer>

class DataGrid;
class QAction;

class SalesViewPreferences : public QObject {
    Q_OBJECT
  public:
    static constexpr auto LayoutSection = "ranvelgrid2";

    explicit SalesViewPreferences(DataGrid *grid, QObject *parent = nullptr);

    // The menu item of a column item ("N5", "N13", ...): it shows the mark.
    void setItemAction(const QString &item, QAction *action);
    bool isMarked(const QString &item) const { return m_marked.value(item, false); }

  public slots:
    // A click on a column item: a marked item undoes its change and writes "no", an unmarked one makes
    // it and writes "yes". For most items the change hides columns; for "显示客户编号" it shows one.
    void toggle(const QString &item);
    // At start: when the settings key exists, each flag "yes" marks its item and makes its change,
    // "no" unmarks and undoes it, anything else leaves it alone. In flag order, so the single customer
    // columns win over "隐藏全部客户信息".
    void applyRemembered();
    // "全部显示": every column but the name and the sale number becomes visible; marks stay.
    void showAll();
    // "保存当前列宽" (N19). False (reported) when the layout file cannot be written.
    bool saveLayout();
    // At every show of the window; a missing file or section restores nothing.
    bool restoreLayout();

  private:
    void setMarked(const QString &item, bool marked);

    QPointer<DataGrid> m_grid;
    QHash<QString, bool> m_marked;
    QHash<QString, QPointer<QAction>> m_actions;
};
