#pragma once
// The reduced rights of every user but the super administrator: which controls of which window are
// hidden or made read-only, and which grid columns (by field name) are hidden. Applied by objectName to
// a window's own object tree, so each window can take them on whenever it comes to exist.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QObject;
class QWidget;

namespace restrictions {

// The windows the table speaks of, by objectName.
inline constexpr auto MainWindow = "TMainForm";
inline constexpr auto SalesDetailWindow = "Txstj";
inline constexpr auto GoodsSummaryWindow = "TForm1";

enum class Change { Hide, ReadOnly };

struct Control {
    QString window;
    QString name;
    Change change;
};

struct Columns {
    QString window;
    QString grid;
    QStringList fields;
};

// Whether a user gets the reduced rights: everyone whose name is not exactly the super administrator's.
bool appliesTo(const QString &userName);

const QList<Control> &controls();
const QList<Columns> &columns();

// Hides the columns of a grid that show the given fields for the rest of the run.
using FieldHider = std::function<void(QObject *grid, const QStringList &fields)>;
// For the program's data grids (widgets/datagrid.h); anything else is left alone.
void hideDataGridFields(QObject *grid, const QStringList &fields);

// Applies the restrictions of that window to its tree; another window parented to it (a dialog, say)
// is not entered, so equal names there are left alone. Returns the names the tree lacks.
QStringList apply(QWidget *window, const QString &windowName,
                  const FieldHider &hideFields = hideDataGridFields);

} // namespace restrictions
