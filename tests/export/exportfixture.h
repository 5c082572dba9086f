#pragma once
// What the export tests share: a shell that records the files it was asked to open, a list (a
// dataset shown by a data grid) made from one statement over the test's database, and a watch on the
// export's progress window.
#include "export/exportprogress.h"
#include "store/dataset.h"
#include "tests/support/recordingshell.h"
#include "widgets/datagrid.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QProgressBar>
#include <QStringList>
#include <functional>
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

// Told of the progress window when it comes up and of each value its bar takes, while it lives.
class ProgressWatch : public QObject {
  public:
    ProgressWatch(std::function<void(ExportProgress *)> shown, std::function<void(ExportProgress *, int)> moved)
        : m_shown(std::move(shown)), m_moved(std::move(moved)) {
        qApp->installEventFilter(this);
    }
    ~ProgressWatch() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject *object, QEvent *event) override {
        auto *progress = qobject_cast<ExportProgress *>(object);
        if (progress && event->type() == QEvent::Show) {
            if (m_shown) m_shown(progress);
            QObject::connect(progress->bar(), &QProgressBar::valueChanged, progress,
                             [this, progress](int value) { m_moved(progress, value); });
        }
        return false;
    }

  private:
    std::function<void(ExportProgress *)> m_shown;
    std::function<void(ExportProgress *, int)> m_moved;
};
