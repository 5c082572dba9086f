#include "printing/gridprint.h"

#include "printing/gridprintpager.h"
#include "printing/previewwindow.h"
#include "printing/printprogress.h"
#include "store/dataset.h"
#include "widgets/datagrid.h"
#include "widgets/datasetmodel.h"
#include "widgets/dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTemporaryFile>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace gridprint {

namespace {
PreviewRunner &runner() {
    static PreviewRunner instance;
    return instance;
}

// The grid's model with every row of its list.
DatasetModel *wholeList(const DataGrid &grid) {
    grid.finishLoading();
    DatasetModel *model = grid.datasetModel();
    // The view learns of the last rows through the dataset's news, which a grid in the middle of
    // reading a slice holds back: the print does not wait for it.
    if (model && model->dataset() && model->rowCount() < model->dataset()->rowCount()) model->rowsAppended();
    return model;
}

// The PDF is written beside its place under a name of its own, and takes the place only when whole.
class FileTarget {
  public:
    explicit FileTarget(QPrinter &printer) : m_printer(printer), m_target(printer.outputFileName()) {
        const QFileInfo info(m_target);
        m_temporary = std::make_unique<QTemporaryFile>(info.absoluteDir().filePath(
            QStringLiteral(".") + info.completeBaseName() + QStringLiteral("-XXXXXX.pdf")));
        if (!m_temporary->open()) return;
        m_temporary->close();
        m_printer.setOutputFileName(m_temporary->fileName());
        m_open = true;
    }
    ~FileTarget() { m_printer.setOutputFileName(m_target); }
    bool open() const { return m_open; }
    QString target() const { return m_target; }

    // After the painter ended on a complete print.
    bool commit() {
        const QString written = m_temporary->fileName();
        QFile file(written);
        if (!file.open(QIODevice::ReadWrite) || ::fsync(file.handle()) != 0) return false;
        file.close();
        const QFileInfo old(m_target);
        file.setPermissions(old.exists()
                                ? old.permissions()
                                : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        if (std::rename(QFile::encodeName(written).constData(), QFile::encodeName(m_target).constData()) != 0)
            return false;
        m_temporary->setAutoRemove(false);
        return true;
    }

  private:
    QPrinter &m_printer;
    QString m_target;
    std::unique_ptr<QTemporaryFile> m_temporary;
    bool m_open = false;
};

bool isPreview(QPrinter &printer) {
    return printer.paintEngine() && printer.paintEngine()->type() == QPaintEngine::Picture;
}

Result paint(QPrinter &printer, Pager &pager, QWidget *parent) {
    Result result;
    PrintProgress progress(parent, pager.pageCount());
    QPainter painter;
    if (!painter.begin(&printer)) return result;
    for (int page = 0; page < pager.pageCount(); ++page) {
        if (page > 0) printer.newPage();
        pager.paintPage(painter, page);
        ++result.pages;
        if (!progress.advance(page + 1) && page + 1 < pager.pageCount()) {
            result.cancelled = true;
            break;
        }
    }
    painter.end();
    return result;
}

Result print(const DataGrid &grid, const Report &report, QPrinter &printer, QWidget *parent,
             const Measure *measured) {
    const DatasetModel *model = wholeList(grid);
    if (!model) return {};
    Measure own;
    if (!measured) {
        own = measure(*model, grid.visibleColumnsInOrder(), printer);
        measured = &own;
    }
    Dialogs &dialogs = Dialogs::instance();
    if (isPreview(printer) || printer.outputFileName().isEmpty()) {
        Pager pager(printer, *model, report, *measured);
        const Result result = paint(printer, pager, parent);
        if (result.cancelled && !isPreview(printer))
            dialogs.information(
                parent, QStringLiteral("打印已取消，已排好的前 %1 页仍会送到打印机。").arg(result.pages));
        return result;
    }
    FileTarget file(printer);
    if (!file.open()) {
        dialogs.error(parent, QStringLiteral("无法写出文件：%1").arg(file.target()));
        return {};
    }
    Pager pager(printer, *model, report, *measured);
    Result result = paint(printer, pager, parent);
    if (result.cancelled) {
        dialogs.information(parent, QStringLiteral("打印已取消，没有写出文件。"));
    } else if (result.pages == 0 || !file.commit()) {
        dialogs.error(parent, QStringLiteral("无法写出文件：%1").arg(file.target()));
        result.pages = 0;
    }
    return result;
}
} // namespace

QString makerLine(const QString &userName, const QDate &today) {
    return QStringLiteral("制表人：") + userName + QStringLiteral("    日期：") +
           today.toString(QStringLiteral("yyyy-MM-dd"));
}

void setUpPage(QPrinter &printer) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(2.0, 2.0, 2.0, 2.0), QPageLayout::Millimeter);
    printer.setColorMode(QPrinter::Color);
}

Result render(const DataGrid &grid, const Report &report, QPrinter &printer) {
    return print(grid, report, printer, grid.window(), nullptr);
}

Plan layOut(const DataGrid &grid, const QPrinter &printer) {
    const DatasetModel *model = wholeList(grid);
    if (!model) return {};
    const Measure measured = measure(*model, grid.visibleColumnsInOrder(), printer);
    return planFor(measured.needs, printer.pageLayout().orientation(),
                   printer.pageLayout().paintRect(QPageLayout::Point).width());
}

void preview(const DataGrid &grid, const Report &report, QWidget *parent) {
    QPrinter printer(QPrinter::HighResolution);
    setUpPage(printer);
    const DatasetModel *model = wholeList(grid);
    Measure measured;
    if (model) {
        measured = measure(*model, grid.visibleColumnsInOrder(), printer);
        QPageLayout landscape = printer.pageLayout();
        landscape.setOrientation(QPageLayout::Landscape);
        const Plan chosen = plan(measured.needs, printer.pageLayout().paintRect(QPageLayout::Point).width(),
                                 landscape.paintRect(QPageLayout::Point).width());
        printer.setPageOrientation(chosen.orientation);
    }
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(report.title);
    previewwindow::fitForReading(dialog);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *target) {
        const bool previewing = isPreview(*target);
        const Result result = print(grid, report, *target, &dialog, model ? &measured : nullptr);
        // The user would rather not wait for the preview: back to the list.
        if (result.cancelled && previewing)
            QMetaObject::invokeMethod(&dialog, &QDialog::reject, Qt::QueuedConnection);
    });
    if (runner())
        runner()(dialog);
    else
        dialog.exec();
}

void setPreviewRunner(PreviewRunner r) {
    runner() = std::move(r);
}

} // namespace gridprint
