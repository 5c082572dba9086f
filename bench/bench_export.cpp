// "导出Excel" of a sales list near the sheet's row limit: 60,000 sales records of the demo shop in the
// sales-detail columns (14 shown), written to a worksheet file with the progress window up
// (BM_ExportSales). The floor (BM_BareExportSales) writes the same bytes with one buffered write into
// a temporary file beside the target, put on disk and renamed over it, which is the file work the export
// does too. The database is made once by jsjxc_demodata and kept beside the program.
#include "bench/benchsupport.h"
#include "bench/failingdialogs.h"
#include "export/gridexporter.h"
#include "reports/salescolumns.h"
#include "store/dataset.h"
#include "widgets/datagrid.h"
#include "widgets/dialogs.h"
#include "widgets/shell.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <unistd.h>

namespace {
constexpr int GoodsRows = 2000;
constexpr int SalesRows = 60000;
// The demo shop stores a few less sales than it is asked for (a goods row that ran out is not sold).
constexpr int SalesAsked = 64000;

Database &shopDatabase() {
    auto &slot = openDatabases()[SalesRows];
    if (slot) return *slot;
    const QString path =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench_export.mdb"));
    if (!QFileInfo::exists(path)) {
        const int rc = QProcess::execute(QStringLiteral(JSJXC_DEMODATA),
                                         {path, QString::number(GoodsRows), QString::number(SalesAsked)});
        if (rc != 0) qFatal("jsjxc_demodata failed (%d)", rc);
    }
    slot = std::make_unique<Database>();
    if (!slot->open(path)) qFatal("%s", qPrintable(slot->errorText()));
    return *slot;
}

// Opens nothing: the finished file stays where it is.
class QuietShell : public SystemShell {
  public:
    bool openFile(const QString &) override { return true; }
};

// The sales list as "全部记录" shows it.
struct SalesList {
    Dataset rows;
    DataGrid grid;
    SalesList() {
        if (!rows.load(shopDatabase(),
                       QStringLiteral("select * from data1 order by day1 limit %1").arg(SalesRows)))
            qFatal("the sales list did not load");
        if (rows.rowCount() != SalesRows) qFatal("the demo shop has too few sales");
        grid.setColumns(salescolumns::columns());
        grid.setDataset(&rows);
        grid.reload();
    }
    ~SalesList() { grid.setDataset(nullptr); }
};

// Made at first use, gone before the application.
std::unique_ptr<SalesList> &salesListSlot() {
    static std::unique_ptr<SalesList> list;
    return list;
}

SalesList &salesList() {
    auto &slot = salesListSlot();
    if (!slot) slot = std::make_unique<SalesList>();
    return *slot;
}

QTemporaryDir &outFolder() {
    static QTemporaryDir dir;
    return dir;
}

QString target() {
    return outFolder().filePath(QStringLiteral("sales.xls"));
}

void exportSales() {
    GridExporter exporter;
    exporter.setTitleName(QStringLiteral("销 售 报 表"));
    exporter.setUserName(QStringLiteral("超级管理员"));
    exporter.setGrid(&salesList().grid);
    exporter.setShowProgress(true);
    exporter.setFileName(target());
    if (exporter.exportGrid() != GridExporter::Result::Written) qFatal("the export failed");
}

void BM_ExportSales(benchmark::State &state) {
    salesList();
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target());
        state.ResumeTiming();
        exportSales();
    }
    state.counters["records"] = salesList().rows.rowCount();
    state.counters["bytes"] = static_cast<double>(QFileInfo(target()).size());
}

void BM_BareExportSales(benchmark::State &state) {
    QFile::remove(target());
    exportSales();
    QFile made(target());
    if (!made.open(QIODevice::ReadOnly)) qFatal("no sheet to copy");
    const QByteArray bytes = made.readAll();
    const QByteArray path = QFile::encodeName(target());
    const QByteArray temporary = path + ".tmp";
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target());
        state.ResumeTiming();
        std::FILE *file = std::fopen(temporary.constData(), "wb");
        if (!file || std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), file) !=
                         static_cast<std::size_t>(bytes.size()))
            qFatal("bare write failed");
        std::fflush(file);
        ::fsync(fileno(file));
        std::fclose(file);
        std::rename(temporary.constData(), path.constData());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
} // namespace

BENCHMARK(BM_ExportSales)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareExportSales)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FailingDialogs dialogs;
    Dialogs::install(&dialogs);
    QuietShell shell;
    Shell::install(&shell);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Shell::install(nullptr);
    Dialogs::install(nullptr);
    salesListSlot().reset();
    openDatabases().clear();
    return 0;
}
