#pragma once
// One column item of a list's menu: its menu name and caption, the settings flag that keeps its mark
// and the fields it hides (or shows).
#include <QString>
#include <QStringList>

struct ColumnItem {
    QString item;
    QString caption;
    QString flag;
    QStringList fields;
    // The item's mark means "shown" rather than "hidden".
    bool marksShown = false;
};
