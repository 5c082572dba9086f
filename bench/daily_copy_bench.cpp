// The daily copy made when the program closes, over a shop of 100k goods rows and 1M sales records:
// the program's verified copy, and the bare SQLite C API doing the same work (online backup into a new
// file, then the integrity check of the copy).
//
// The shop is made once per run by jsjxc_demodata, or taken from JSJXC_BENCH_SHOP (a data.mdb made by
// it), which saves the minute the generator takes.
#include "maintenance/dailycopies.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <sqlite3.h>

namespace {
constexpr auto GoodsRows = "100000";
constexpr auto SalesRows = "1002000"; // about 1,000,400 sales records once the generator is done

struct ShopFile {
    QTemporaryDir dir;
    QString path;

    ShopFile() {
        path = qEnvironmentVariable("JSJXC_BENCH_SHOP");
        if (!path.isEmpty()) return;
        path = dir.filePath(QStringLiteral("data.mdb"));
        const int status =
            QProcess::execute(QStringLiteral(JSJXC_DEMODATA),
                              {path, QString::fromLatin1(GoodsRows), QString::fromLatin1(SalesRows)});
        if (status != 0) qFatal("jsjxc_demodata failed (%d)", status);
    }
    QString target() const {
        return QFileInfo(path).absoluteDir().filePath(QStringLiteral("bench-copy.mdb"));
    }
};

std::unique_ptr<ShopFile> &shopSlot() {
    static std::unique_ptr<ShopFile> shop;
    return shop;
}

ShopFile &shop() {
    if (!shopSlot()) shopSlot() = std::make_unique<ShopFile>();
    return *shopSlot();
}

void removeCopy(const QString &target) {
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(target + QLatin1String(suffix));
}

void BM_DailyCopy(benchmark::State &state) {
    ShopFile &s = shop();
    const QString target = s.target();
    for (auto _ : state) {
        state.PauseTiming();
        removeCopy(target);
        state.ResumeTiming();
        QString error;
        if (!dailycopies::writeVerifiedCopy(s.path, target, &error)) state.SkipWithError(qPrintable(error));
    }
    state.counters["MB"] = double(QFileInfo(target).size()) / (1024.0 * 1024.0);
    removeCopy(target);
}

void BM_BareDailyCopy(benchmark::State &state) {
    ShopFile &s = shop();
    const QByteArray source = QFile::encodeName(s.path);
    const QByteArray target = QFile::encodeName(s.target());
    for (auto _ : state) {
        state.PauseTiming();
        removeCopy(s.target());
        state.ResumeTiming();
        sqlite3 *from = nullptr;
        sqlite3 *to = nullptr;
        sqlite3_open_v2(source.constData(), &from, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_open_v2(target.constData(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_backup *backup = sqlite3_backup_init(to, "main", from, "main");
        const int rc = sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
        sqlite3_stmt *check = nullptr;
        sqlite3_prepare_v2(to, "PRAGMA integrity_check", -1, &check, nullptr);
        const bool ok = sqlite3_step(check) == SQLITE_ROW &&
                        qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)), "ok") == 0;
        sqlite3_finalize(check);
        sqlite3_close(to);
        sqlite3_close(from);
        if (rc != SQLITE_DONE || !ok) state.SkipWithError("bare copy failed");
    }
    removeCopy(s.target());
}
} // namespace

BENCHMARK(BM_DailyCopy)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BareDailyCopy)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shopSlot().reset();
    return 0;
}
