#pragma once
// Fills a drop-down with the grouped values of a table column (the shared "fill list from column").
class Database;
class QComboBox;
class QString;

// Clears the drop-down's text and items, then lists the values; false (the engine's message shown
// through Dialogs) when the query fails, leaving the drop-down empty.
bool fillListFromColumn(Database &database, QComboBox *comboBox, const QString &column, const QString &table);

// The same list, read when the user first comes to the drop-down (its focus, a click, the wheel) rather
// than at once: a shop with a hundred thousand goods rows refills several lists at each "全部记录",
// and most of them are never opened before the next refill. The drop-down is emptied now; the text typed
// or set into it later is kept when the values arrive.
void fillListFromColumnWhenOpened(Database &database, QComboBox *comboBox, const QString &column,
                                  const QString &table);
