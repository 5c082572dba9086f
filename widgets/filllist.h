#pragma once
// Fills a drop-down with the grouped values of a table column (the shared "fill list from column").
class Database;
class QComboBox;
class QString;

// Clears the drop-down's text and items, then lists the values; false (the engine's message shown
// through Dialogs) when the query fails, leaving the drop-down empty.
bool fillListFromColumn(Database &database, QComboBox *comboBox, const QString &column, const QString &table);
