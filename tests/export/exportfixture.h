#pragma once
// What the export tests share: a shell that records the files it was asked to open, and a list (a
// dataset shown by a data grid) made from one statement over the test's database.
#include "store/dataset.h"
#include "tests/support/recordingshell.h"
#include "widgets/datagrid.h"

#include <QDir>
#include <QStringList>
#include <stdexcept>
#include <vector>

class OpeningShell : public RecordingShell {
  public:
    bool openFile(const QString &path) override {
        opened << path;
        return opens;
    }
    QStringList opened;
    bool opens = true; // false: the desktop has no program for the file
};

struct List {
    List(Database &database, const QString &statement, std::vector<GridColumn> columns) {
        if (!rows.load(database, statement)) throw std::runtime_error("the list's statement failed");
        grid.setColumns(std::move(columns));
        grid.setDataset(&rows);
        grid.reload();
    }
    ~List() { grid.setDataset(nullptr); }
    Dataset rows;
    DataGrid grid;
};

// The names in a folder, the temporary files of a failed write included.
inline QStringList filesIn(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}
