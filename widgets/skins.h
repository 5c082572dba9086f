#pragma once
// The five stored skins of the "界面换肤" menu: application-wide style sheets by index. Until one is
// loaded the built-in look (no style sheet) stays.
#include <QString>
#include <vector>

namespace skins {

struct Skin {
    QString item;    // menu item: N19, N26, N32, N42, N52
    QString caption; // "黑色经典(皮肤)", ...
};
// Index 0 to 4, as written to the settings value "skin".
const std::vector<Skin> &stored();
// The style sheet of a stored skin; empty for an index without one.
QString styleSheet(int index);

// Makes the built-in look frame a focused button in its highlight colour, as plainly as the skins do
// (the platform's own mark is a faint line, and only after a Tab key). Once, before the windows show.
void installFocusMark();

// Loads a stored skin into the application; an index without a stored skin changes nothing (false).
bool load(int index);
// The index loaded last, -1 for the built-in look.
int loaded();
// The show steps: a stored value "0" to "5" loads the skin of that index when there is one; any other
// text changes nothing.
bool loadFromSetting(const QString &value);
// A skin menu item: loads the skin and writes its index to "skin". False, with the reason in *error,
// when the settings cannot be written (the new look stays).
bool choose(int index, QString *error = nullptr);

} // namespace skins
