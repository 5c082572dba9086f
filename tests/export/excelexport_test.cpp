// The "导出Excel" command of a list: an empty list or one too long for a sheet says so before any save
// dialog; the save dialog offers the xls type, adds its extension and leaves the question about an
// existing file to the export.
#include "export/excelexport.h"
#include "tests/export/biffreader.h"
#include "tests/export/exportfixture.h"
#include "tests/reports/reportsfixture.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
// The scripted dialogs, also remembering the file types each save dialog offered.
class FilterRecordingDialogs : public ScriptedDialogs {
  public:
    QString saveFileName(QWidget *parent, const QString &title, const QString &startPath,
                         const QString &filter) override {
        filters << filter;
        return ScriptedDialogs::saveFileName(parent, title, startPath, filter);
    }
    QStringList filters;
};

class ExcelExportTest : public ::testing::Test {
  protected:
    ExcelExportTest() {
        insertRecord(env.database(), {});
        QDir().mkpath(out());
    }
    QString out() const { return env.file(QStringLiteral("out")); }
    bool savesAsked() const {
        for (const auto &shown : dialogs.shown())
            if (shown.what == ScriptedDialogs::Shown::What::SaveFile) return true;
        return false;
    }

    TestEnv env;
    FilterRecordingDialogs dialogs;
    OpeningShell shell;
    std::vector<GridColumn> columns{GridColumn::make("a", "商 品", "名 称", 80),
                                    GridColumn::make("3", "销 售", "数 量", 40)};
};
} // namespace

TEST_F(ExcelExportTest, TheSaveDialogOffersTheXlsTypeAndItsExtensionIsAdded) {
    List list(env.database(), QStringLiteral("select * from data1"), columns);
    dialogs.fileName(out() + QStringLiteral("/report"));
    EXPECT_EQ(excelexport::exportList(nullptr, list.grid, u("标题"), u("张三")),
              GridExporter::Result::Written);

    EXPECT_EQ(dialogs.filters, QStringList{u("Microsoft Excel xls文件 (*.xls)")});
    const QString written = out() + QStringLiteral("/report.xls");
    EXPECT_EQ(shell.opened, QStringList{written});
    const BiffSheet sheet = BiffSheet::fromFile(written);
    EXPECT_EQ(sheet.text(0, 3), u("标题"));
    EXPECT_EQ(sheet.text(1, 0), u("制表人：张三"));

    // Cancelled: nothing more happens.
    EXPECT_EQ(excelexport::exportList(nullptr, list.grid, u("标题"), u("张三")),
              GridExporter::Result::Nothing);
    EXPECT_EQ(shell.opened.size(), 1);
}

TEST_F(ExcelExportTest, AnEmptyListOrOneTooLongForASheetSaysSoBeforeAnyFileIsChosen) {
    List empty(env.database(), QStringLiteral("select * from data1 where [3]<0"), columns);
    dialogs.fileName(out() + QStringLiteral("/empty.xls"));
    EXPECT_EQ(excelexport::exportList(nullptr, empty.grid, u("标题"), u("张三")),
              GridExporter::Result::Nothing);
    EXPECT_EQ(dialogs.lastText(), excelexport::emptyListMessage());
    EXPECT_EQ(dialogs.shown().front().kind, Dialogs::Kind::Information);

    dialogs.clear();
    List tooLong(env.database(),
                 QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<70000) "
                                "select i as a, i as [3] from n"),
                 columns);
    EXPECT_EQ(excelexport::exportList(nullptr, tooLong.grid, u("标题"), u("张三")),
              GridExporter::Result::TooMany);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown().front().kind, Dialogs::Kind::Warning);
    EXPECT_TRUE(dialogs.lastText().contains(QStringLiteral("65536")));
    EXPECT_FALSE(savesAsked());
    EXPECT_TRUE(filesIn(out()).isEmpty());
}

// The program's own save dialog, as Qt shows it.
TEST(SaveDialogTest, OffersTheXlsTypeAddsTheExtensionAndAsksNothingAboutAnExistingFile) {
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("report.xls"));
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    QStringList filters;
    QString suffix;
    bool confirms = true;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        suffix = dialog->defaultSuffix();
        confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        dialog->selectFile(QStringLiteral("report"));
        static_cast<QDialog *>(dialog)->accept(); // as the dialog's Save button does
    });
    // Were the dialog to ask about the existing file, the question is noted and everything closed.
    bool asked = false;
    QTimer watchdog;
    watchdog.setInterval(1000);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(top); box && box->isVisible()) {
                asked = true;
                box->reject();
            }
        if (QWidget *modal = QApplication::activeModalWidget())
            if (auto *dialog = qobject_cast<QDialog *>(modal)) dialog->reject();
    });
    watchdog.start();

    QtDialogs qt;
    const QString chosen = qt.saveFileNameWithSuffix(nullptr, u("另存为"), dir.path(),
                                                     excelexport::fileFilter(), QStringLiteral("xls"));
    EXPECT_EQ(filters, QStringList{u("Microsoft Excel xls文件 (*.xls)")});
    EXPECT_EQ(suffix, QStringLiteral("xls"));
    EXPECT_FALSE(confirms);
    EXPECT_FALSE(asked);
    EXPECT_EQ(QFileInfo(chosen), QFileInfo(existing));
}
