#pragma once
// The worksheet a grid export writes: the title block (title, author and time), the column titles in
// as many rows as the deepest title has levels, one row per listed record with each cell by the kind
// of its field, and the totals row with its fixed texts.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class BiffWriter;
class Dataset;

namespace worksheet {

// A sheet has 65,536 rows (numbered 0 to 65,535).
constexpr int MaxRows = 65536;

struct Column {
    QString caption; // the title levels, separated by "|"
    bool visible = true;
    int field = -1;     // the dataset's column shown here; -1 when the dataset has none
    QString footerText; // what the totals row holds under it ("合计"; empty under sums)
};

struct Sheet {
    QString title;
    QString beginDate; // the period texts of the second row; blank ones are left out
    QString endDate;
    QString userName;
    QString madeAt; // "yyyy-mm-dd hh:mm:ss"
    // In grid order, hidden ones included: they count for the number of title rows.
    std::vector<Column> columns;
    bool totalsRow = false;
};

// The levels of a caption: the text before the first "|", the text after it, and so on.
QStringList titleLevels(const QString &caption);
// The number of title rows: the most levels over all columns.
int titleRowCount(const std::vector<Column> &columns);
// The rows the sheet takes for this many records.
qint64 rowsNeeded(const Sheet &sheet, int records);

// Writes the whole worksheet, from BOF to EOF. `afterRecord` is told the number (from 1) of each record
// written.
void write(BiffWriter &out, const Sheet &sheet, const Dataset &rows,
           const std::function<void(int record)> &afterRecord = {});

} // namespace worksheet
