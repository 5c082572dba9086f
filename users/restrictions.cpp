#include "users/restrictions.h"

#include "users/userstore.h"
#include "widgets/datagrid.h"
#include "widgets/datefield.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QVariant>
#include <QWidget>

namespace restrictions {

namespace {
QString text(const char *utf8) {
    return QString::fromUtf8(utf8);
}

// Depth first through the window's children, not into other windows (menus excepted: they are pop-ups
// of this window).
QObject *findInWindow(QObject *parent, const QString &name) {
    for (QObject *child : parent->children()) {
        if (auto *widget = qobject_cast<QWidget *>(child);
            widget && widget->isWindow() && !qobject_cast<QMenu *>(widget))
            continue;
        if (child->objectName() == name) return child;
        if (QObject *found = findInWindow(child, name)) return found;
    }
    return nullptr;
}

void hide(QObject *object) {
    if (auto *action = qobject_cast<QAction *>(object)) {
        action->setVisible(false);
        return;
    }
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget) return;
    // A widget placed on a tool bar is shown and hidden through its action, not by itself.
    if (auto *bar = qobject_cast<QToolBar *>(widget->parentWidget())) {
        for (QAction *action : bar->actions())
            if (bar->widgetForAction(action) == widget) {
                action->setVisible(false);
                return;
            }
    }
    if (auto *menu = qobject_cast<QMenu *>(widget)) {
        menu->menuAction()->setVisible(false);
        return;
    }
    widget->hide();
}

void makeReadOnly(QObject *object) {
    // A date field's calendar would still set the date of a read-only field.
    if (auto *date = qobject_cast<DateField *>(object)) date->calendarButton()->setEnabled(false);
    // Entry fields of every kind carry a readOnly property; anything else can only be disabled.
    if (object->metaObject()->indexOfProperty("readOnly") >= 0)
        object->setProperty("readOnly", true);
    else if (auto *widget = qobject_cast<QWidget *>(object))
        widget->setEnabled(false);
    else if (auto *action = qobject_cast<QAction *>(object))
        action->setEnabled(false);
}
} // namespace

bool appliesTo(const QString &userName) {
    return !UserStore::isSuperAdmin(userName);
}

const QList<Control> &controls() {
    static const QList<Control> table = [] {
        const QString main = text(MainWindow);
        const QString detail = text(SalesDetailWindow);
        QList<Control> list;
        // Editing and deleting goods, stock-in, user administration, the database connection and the cost
        // columns' switches.
        for (const char *name :
             {"N2", "N3", "N20", "N15", "N13", "databaseConnection", "ToolButton7", "N5", "N6"})
            list.append({main, text(name), Change::Hide});
        list.append({main, QStringLiteral("DBDateTimeEdit2"), Change::ReadOnly});
        // Correcting and deleting sales, and everything that shows profit.
        for (const char *name : {"N2", "N7", "N3", "N11", "DBChart1", "DBChart3"})
            list.append({detail, text(name), Change::Hide});
        return list;
    }();
    return table;
}

const QList<Columns> &columns() {
    static const QList<Columns> table = {
        // Purchase unit price, purchase amount, stock amount.
        {text(MainWindow),
         QStringLiteral("DBGrid1"),
         {QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("8")}},
        // Net profit.
        {text(SalesDetailWindow), QStringLiteral("DBGrid1"), {QStringLiteral("a5")}},
        // The three amounts.
        {text(GoodsSummaryWindow),
         QStringLiteral("DBGrid1"),
         {text("进货金额"), text("销售金额"), text("库存金额")}},
    };
    return table;
}

void hideDataGridFields(QObject *grid, const QStringList &fields) {
    if (auto *dataGrid = qobject_cast<DataGrid *>(grid))
        for (const QString &field : fields)
            dataGrid->withholdColumn(field);
}

QStringList apply(QWidget *window, const QString &windowName, const FieldHider &hideFields) {
    QStringList missing;
    for (const Control &control : controls()) {
        if (control.window != windowName) continue;
        QObject *object = findInWindow(window, control.name);
        if (!object) {
            missing << control.name;
            continue;
        }
        if (control.change == Change::Hide)
            hide(object);
        else
            makeReadOnly(object);
    }
    for (const Columns &grid : columns()) {
        if (grid.window != windowName) continue;
        if (QObject *object = findInWindow(window, grid.grid))
            (hideFields ? hideFields : FieldHider(hideDataGridFields))(object, grid.fields);
        else
            missing << grid.grid;
    }
    return missing;
}

} // namespace restrictions
