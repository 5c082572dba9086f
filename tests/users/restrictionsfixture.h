#pragma once
// Small stand-ins for the windows the restrictions reach: the controls carry the names the real windows
// give them, and the grids are the program's data grids with the real windows' fields.
#include "widgets/datagrid.h"
#include "widgets/datefield.h"

#include <QAction>
#include <QHash>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

inline DataGrid *fieldGrid(QWidget *parent, const QStringList &fields) {
    auto *grid = new DataGrid(parent);
    grid->setObjectName(QStringLiteral("DBGrid1"));
    std::vector<GridColumn> columns;
    for (const QString &field : fields)
        columns.push_back(GridColumn::fromCaption(field, field));
    grid->setColumns(std::move(columns));
    return grid;
}

inline QAction *namedAction(QMenu *menu, const char *name) {
    QAction *action = menu->addAction(QString::fromLatin1(name));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

inline QStringList goodsFields() {
    return QString::fromUtf8("a b c d 2 1 3 5 4 6 7 8 day1 g z").split(u' ');
}

inline QStringList salesDetailFields() {
    return QString::fromUtf8("a b c d 2 3 4 day1 6 a5 z g i h j").split(u' ');
}

inline QStringList summaryFields() {
    return QString::fromUtf8("a b c d 进货数量 进货金额 销售数量 销售金额 库存数量 库存金额").split(u' ');
}

// The sales-detail window with its own menu items, some named like the main window's.
class FakeSalesDetail : public QWidget {
  public:
    explicit FakeSalesDetail(QWidget *parent) : QWidget(parent, Qt::Window) {
        setObjectName(QStringLiteral("Txstj"));
        auto *popup = new QMenu(this);
        for (const char *name : {"N2", "N7", "N3", "N11", "N5", "N6"})
            namedAction(popup, name);
        for (const char *name : {"DBChart1", "DBChart2", "DBChart3"}) {
            auto *chart = new QWidget(this);
            chart->setObjectName(QString::fromLatin1(name));
        }
        grid = fieldGrid(this, salesDetailFields());
    }
    QAction *action(const char *name) const { return findChild<QAction *>(QString::fromLatin1(name)); }
    QWidget *chart(const char *name) const { return findChild<QWidget *>(QString::fromLatin1(name)); }

    DataGrid *grid;
};

// The main window's menus, tool bar, sale date field and goods grid.
class FakeMainWindow : public QMainWindow {
  public:
    // The sales-detail window, owned by the main window and made before its menus, so that a search
    // that wandered into it would meet its items first.
    FakeMainWindow() : detail(new FakeSalesDetail(this)) {
        setObjectName(QStringLiteral("TMainForm"));
        auto *popup = new QMenu(this);
        for (const char *name : {"N20", "N2", "N3", "N8", "N27"})
            m_actions.insert(QString::fromLatin1(name), namedAction(popup, name));
        QMenu *columns = popup->addMenu(QStringLiteral("columns"));
        for (const char *name : {"N5", "N31", "N6", "N9"})
            m_actions.insert(QString::fromLatin1(name), namedAction(columns, name));
        QMenu *settings = menuBar()->addMenu(QStringLiteral("settings"));
        for (const char *name : {"N39", "N15", "N13", "databaseConnection", "N33"})
            m_actions.insert(QString::fromLatin1(name), namedAction(settings, name));
        auto *tools = addToolBar(QStringLiteral("tools"));
        for (const char *name : {"ToolButton7", "ToolButton19"}) {
            auto *button = new QToolButton;
            button->setObjectName(QString::fromLatin1(name));
            tools->addWidget(button);
        }
        auto *centre = new QWidget(this);
        saleDate = new DateField(centre);
        saleDate->setObjectName(QStringLiteral("DBDateTimeEdit2"));
        stockInDate = new DateField(centre);
        stockInDate->setObjectName(QStringLiteral("DBDateTimeEdit1"));
        grid = fieldGrid(centre, goodsFields());
        setCentralWidget(centre);
    }

    QAction *action(const char *name) const { return m_actions.value(QString::fromLatin1(name)); }
    // Whether the user can reach a tool-bar widget: the bar shows it through its action.
    bool toolShown(const char *name) const {
        auto *bar = findChild<QToolBar *>();
        auto *widget = findChild<QWidget *>(QString::fromLatin1(name));
        for (QAction *a : bar->actions())
            if (bar->widgetForAction(a) == widget) return a->isVisible();
        return false;
    }

    FakeSalesDetail *detail;
    DateField *saleDate;
    DateField *stockInDate;
    DataGrid *grid;

  private:
    QHash<QString, QAction *> m_actions;
};

inline QList<int> hiddenColumns(const QTableView *grid) {
    QList<int> hidden;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        if (grid->isColumnHidden(column)) hidden << column;
    return hidden;
}
