#include "export/gridexporter.h"

#include "export/biffwriter.h"
#include "export/exportprogress.h"
#include "store/clock.h"
#include "store/dataset.h"
#include "widgets/datagrid.h"
#include "widgets/dialogs.h"
#include "widgets/shell.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QSaveFile>
#include <QWindow>
#include <memory>

namespace {
// How long the export waits at most for its progress window to come on the screen.
constexpr int MapWaitMs = 500;

// The hourglass while the export runs, whichever way it ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

QString shown(const QString &path) {
    return QDir::toNativeSeparators(path);
}

// Why the file could not be made, in the user's words; the system's own text follows it.
QString openFailure(const QString &path) {
    const QFileInfo target(path);
    if (target.isDir()) return QStringLiteral("已有一个同名的文件夹");
    if (!target.absoluteDir().exists()) return QStringLiteral("文件夹不存在");
    return QStringLiteral("无法在该文件夹中创建文件（没有写入权限或磁盘已满）");
}
} // namespace

QString GridExporter::tooManyRowsMessage(qint64 rowsNeeded) {
    return QStringLiteral("列表连同标题和合计共需%1行，超过了一张Excel工作表最多%2行的限制，没有导出。"
                          "请缩小查询范围后分批导出。")
        .arg(rowsNeeded)
        .arg(worksheet::MaxRows);
}

QString GridExporter::overwriteQuestion(const QString &fileName) {
    return QStringLiteral("已存在文件（") + fileName + QStringLiteral("），是否覆盖？");
}

worksheet::Sheet GridExporter::prepareSheet() const {
    worksheet::Sheet sheet;
    sheet.title = m_title;
    sheet.beginDate = m_beginDate;
    sheet.endDate = m_endDate;
    sheet.userName = m_userName;
    sheet.madeAt = Clock::nowText();
    if (!m_grid) return sheet;
    const Dataset *rows = m_grid->dataset();
    const auto &defined = m_grid->columns();
    const QHeaderView *header = m_grid->horizontalHeader();
    // Screen order: a column the user dragged elsewhere is exported where he sees it.
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical < 0 || logical >= static_cast<int>(defined.size())) continue;
        const GridColumn &column = defined[static_cast<std::size_t>(logical)];
        worksheet::Column out;
        out.caption = column.caption();
        out.visible = !header->isSectionHidden(logical);
        out.field = rows ? rows->fieldIndex(column.field) : -1;
        if (column.footer == GridColumn::Footer::Text) out.footerText = column.footerText;
        if (column.footer != GridColumn::Footer::None) sheet.totalsRow = true;
        sheet.columns.push_back(out);
    }
    return sheet;
}

bool GridExporter::fitsOneSheet() const {
    const Dataset *rows = m_grid ? m_grid->dataset() : nullptr;
    const qint64 needed = worksheet::rowsNeeded(prepareSheet(), rows ? rows->rowCount() : 0);
    if (needed <= worksheet::MaxRows) return true;
    Dialogs::instance().warning(m_parent, tooManyRowsMessage(needed));
    return false;
}

GridExporter::Result GridExporter::exportGrid() {
    // The sheet is written from the whole list, which stays as it is while it is written.
    if (m_grid) m_grid->finishLoading();
    const Dataset *rows = m_grid ? m_grid->dataset() : nullptr;
    if (!rows || rows->rowCount() == 0 || m_fileName.trimmed().isEmpty()) return Result::Nothing;
    if (!fitsOneSheet()) return Result::TooMany;

    WaitCursor wait;
    const QFileInfo target(m_fileName);
    if (target.exists() && !target.isDir() &&
        !Dialogs::instance().ask(m_parent, overwriteQuestion(shown(m_fileName)), QStringLiteral("提示")))
        return Result::Declined;

    QString error;
    if (!write(&error)) {
        reportFailure(error);
        return Result::Failed;
    }
    const QString written = target.absoluteFilePath();
    if (!Shell::instance().openFile(written))
        Dialogs::instance().information(
            m_parent, QStringLiteral("已导出到文件“%1”，但没有找到打开它的程序。").arg(shown(written)));
    return Result::Written;
}

bool GridExporter::write(QString *error) {
    const Dataset &rows = *m_grid->dataset();
    std::unique_ptr<ExportProgress> progress;
    if (m_showProgress) {
        progress = std::make_unique<ExportProgress>(rows.rowCount(), m_parent ? m_parent->window() : nullptr);
        progress->show();
        // Before any record is read, and never again until the file is written: the window manager
        // maps the window on its own time, and a window not yet on the screen would stay blank.
        QElapsedTimer waited;
        waited.start();
        do
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        while (!progress->windowHandle()->isExposed() && waited.elapsed() < MapWaitMs);
        progress->repaint();
    }
    // Taken now, after the question and the events above, and held until the file is written.
    const worksheet::Sheet sheet = prepareSheet();

    // The sheet goes into a temporary file in the target's folder, renamed over the target by commit();
    // until then the target keeps what it held, and an uncommitted file is removed.
    QSaveFile file(m_fileName);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = openFailure(m_fileName) + QStringLiteral("\n") + file.errorString();
        return false;
    }
    BiffWriter out(&file);
    std::function<void(int)> afterRecord;
    if (progress) afterRecord = [&progress](int record) { progress->setRecord(record); };
    worksheet::write(out, sheet, rows, afterRecord);
    if (!out.flush() || !file.flush()) {
        *error = QStringLiteral("写入时出错（磁盘已满或文件太大）\n") + file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = (file.error() == QFileDevice::RenameError
                      ? QStringLiteral("无法替换原有的文件（它可能正被别的程序使用）\n")
                      : QStringLiteral("写入时出错（磁盘已满或文件太大）\n")) +
                 file.errorString();
        return false;
    }
    return true;
}

void GridExporter::reportFailure(const QString &reason) const {
    Dialogs::instance().error(m_parent,
                              QStringLiteral("无法导出到文件“%1”：%2").arg(shown(m_fileName), reason));
}
