// Loading the goods list snapshot with its totals, against the bare SQLite C API stepping through the
// same statement and adding the same columns.
#include "bench/benchsupport.h"
#include "store/database.h"
#include "store/dataset.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {
const char *const kStatement = "select * from data order by day1";

// One database of N goods rows per size, shared by the benchmarks of that size.
Database &goodsDatabase(int rows) {
    static QTemporaryDir dir;
    auto &slot = openDatabases()[rows];
    if (!slot) {
        slot = std::make_unique<Database>();
        const QString path = dir.filePath(QStringLiteral("goods%1.mdb").arg(rows));
        if (!slot->open(path)) qFatal("%s", qPrintable(slot->errorText()));
        auto *db = static_cast<sqlite3 *>(slot->nativeHandle());
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(
            db,
            "insert into data (a,b,c,d,e,f,g,z,[1],[2],[3],[4],[5],[6],[7],[8],day1) values "
            "(?1||'号商品','标准型',?2,'办公用品','sp','bzx','华联电子','',?3,100,?3*100,?3*1.3,"
            "10,?3*13,90,?3*90,'2014-08-01')",
            -1, &insert, nullptr);
        for (int i = 0; i < rows; ++i) {
            sqlite3_reset(insert);
            sqlite3_bind_int(insert, 1, i);
            sqlite3_bind_int64(insert, 2, 6900000000000LL + i);
            sqlite3_bind_double(insert, 3, 1.5 + i % 100);
            sqlite3_step(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    return *slot;
}

void BM_DatasetLoad(benchmark::State &state) {
    Database &database = goodsDatabase(static_cast<int>(state.range(0)));
    Dataset goods;
    for (auto _ : state) {
        if (!goods.load(database, QString::fromLatin1(kStatement))) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(goods.total(QStringLiteral("8")));
    }
    state.counters["rows"] = goods.rowCount();
    state.counters["snapshot_MiB"] = static_cast<double>(goods.memoryBytes()) / (1024.0 * 1024.0);
}

// The floor: step the same statement, touch every text and add the eight figure columns.
void BM_BareSqliteLoad(benchmark::State &state) {
    Database &database = goodsDatabase(static_cast<int>(state.range(0)));
    auto *db = static_cast<sqlite3 *>(database.nativeHandle());
    for (auto _ : state) {
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(db, kStatement, -1, &statement, nullptr);
        stepTouchingEveryColumn(statement);
    }
}
} // namespace

BENCHMARK(BM_DatasetLoad)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareSqliteLoad)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    openDatabases().clear();
    return 0;
}
