#pragma once
// The shared routines through which the windows query: grouped values of a column (for drop-down
// lists), run a query into a dataset, execute a statement.
#include "store/database.h"
#include "store/dataset.h"

#include <QStringList>
#include <optional>

namespace routines {
// The distinct values of a column in order: "select distinct <column> from <table> order by
// <column>", which gives the rows of "... group by <column> order by <column>" in the same order
// several times faster over an index. Column and table are the program's own names, never user text.
QString groupedValuesStatement(const QString &column, const QString &table);
// The values of that statement as texts, in its order: NULL and empty text each give an empty item,
// NULL first. Nothing on failure (the engine's message in database.errorText()).
std::optional<QStringList> columnValues(Database &database, const QString &column, const QString &table);
// The same list, read by stepping through an index of the column from one value to the next: as quick
// as the number of different values rather than of rows. Only for a column with an index of its own.
// Past `stepLimit` values a scan of the whole index is quicker than more steps, and takes over.
std::optional<QStringList> indexedColumnValues(Database &database, const QString &column,
                                               const QString &table, int stepLimit = 1000);
// Replaces the dataset's rows with those of the statement.
bool runQuery(Database &database, Dataset &dataset, const QString &statement, const QVariantList &binds = {});
// Runs a statement that returns no rows.
bool executeStatement(Database &database, const QString &statement, const QVariantList &binds = {});
} // namespace routines
