// The lists and charts of the sales records over 1M sales records of two years and 100k goods rows:
// "本 月" from the button to the drawn grid (BM_SalesMonth), one keystroke in the name filter
// (BM_SalesFilterKeystroke), the four chart queries with their redraw (BM_Charts; without it,
// BM_ChartFigures) and the goods summary (BM_GoodsSummary). Each floor (BM_Bare...) is the bare SQLite C
// API running the same statements and touching the same columns. The database is made once by jsjxc_demodata and kept beside the program.
#include "bench/benchsupport.h"
#include "reports/goodssummary.h"
#include "reports/goodssummarywindow.h"
#include "reports/salescharts.h"
#include "reports/saleschartstab.h"
#include "reports/salesdetailwindow.h"
#include "reports/salesfilterbox.h"
#include "reports/salesqueries.h"
#include "store/clock.h"
#include "store/database.h"
#include "widgets/datagrid.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {
constexpr int GoodsRows = 100000;
constexpr int SalesRows = 1000000;

Database &shopDatabase() {
    auto &slot = openDatabases()[SalesRows];
    if (slot) return *slot;
    const QString path =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench_reports.mdb"));
    if (!QFileInfo::exists(path)) {
        const int rc = QProcess::execute(QStringLiteral(JSJXC_DEMODATA),
                                         {path, QString::number(GoodsRows), QString::number(SalesRows)});
        if (rc != 0) qFatal("jsjxc_demodata failed (%d)", rc);
    }
    slot = std::make_unique<Database>();
    if (!slot->open(path)) qFatal("%s", qPrintable(slot->errorText()));
    return *slot;
}

sqlite3 *handle(Database &db) {
    return static_cast<sqlite3 *>(db.nativeHandle());
}

// Prepares a statement of the shop's shape with its binds, steps it touching every column.
int bareRun(Database &db, const QString &statement, const QVariantList &binds = {}) {
    const QByteArray sql = db.toEngine(statement).toUtf8();
    sqlite3_stmt *prepared = nullptr;
    if (sqlite3_prepare_v2(handle(db), sql.constData(), -1, &prepared, nullptr) != SQLITE_OK)
        qFatal("%s", sqlite3_errmsg(handle(db)));
    for (int i = 0; i < binds.size(); ++i) {
        if (binds[i].typeId() == QMetaType::LongLong || binds[i].typeId() == QMetaType::Int) {
            sqlite3_bind_int64(prepared, i + 1, binds[i].toLongLong());
            continue;
        }
        const QByteArray text = binds[i].toString().toUtf8();
        sqlite3_bind_text(prepared, i + 1, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    return stepTouchingEveryColumn(prepared);
}

// The sales-detail window shown at the main window's size.
struct DetailWindow {
    SalesDetailWindow window;
    explicit DetailWindow(Database &db) : window(db) {
        window.resize(1031, 636);
        window.show();
        QApplication::processEvents();
    }
};

void BM_SalesMonth(benchmark::State &state) {
    DetailWindow w(shopDatabase());
    for (auto _ : state) {
        w.window.showMonth();
        QApplication::processEvents();
    }
    state.counters["rows"] = w.window.sales().rowCount();
}

// What the window reads: the newest record's ID, the categories of the records stored since the list
// was read whole (none between two runs), and the month's records.
void BM_BareSalesMonth(benchmark::State &state) {
    Database &db = shopDatabase();
    const SalesStatement month = salesqueries::month(Clock::today());
    const QVariant last = db.scalar(QStringLiteral("select max(ID) from data1"));
    const QVariantList newest{last, last};
    int rows = 0;
    for (auto _ : state) {
        bareRun(db, QStringLiteral("select max(ID) from data1"));
        bareRun(db, QStringLiteral("select distinct d from data1 where ID>? and ID<=? order by d"), newest);
        rows = bareRun(db, month.text, month.binds);
    }
    state.counters["rows"] = rows;
}

// The whole category list as the first "本 月" of a run (and the one after a deletion) reads it.
void BM_BareSalesCategories(benchmark::State &state) {
    Database &db = shopDatabase();
    for (auto _ : state)
        bareRun(db, QStringLiteral("select distinct d from data1 order by d"));
}

// "d" typed after "" (a third of the names), or "n" after "d" (about one name in forty).
struct Keystroke {
    const char *before;
    const char *after;
};
const Keystroke kKeystrokes[] = {{"", "d"}, {"d", "dn"}};

// The field holds the text before the key (not timed), then the key's text (runs "查 询").
void typeKey(benchmark::State &state, QLineEdit *field, const Keystroke &key) {
    state.PauseTiming();
    field->setText(QString::fromLatin1(key.before));
    QApplication::processEvents();
    state.ResumeTiming();
    field->setText(QString::fromLatin1(key.after));
}

// One keystroke in the name filter. The wait the user has: from the key to the first rows drawn and
// the window taking the next key (BM_SalesFilterKeystroke); the list reads the rest in short slices
// between the keys, and BM_SalesFilterKeystrokeWhole goes on until it has every row, its totals and
// widths.
void runKeystroke(benchmark::State &state, bool whole) {
    DetailWindow w(shopDatabase());
    const Keystroke key = kKeystrokes[state.range(0)];
    QLineEdit *field = w.window.filterBox()->nameInitials();
    for (auto _ : state) {
        typeKey(state, field, key);
        do
            QApplication::processEvents();
        while (whole && w.window.grid()->isLoading());
    }
    state.counters[whole ? "rows" : "rows_shown"] = w.window.sales().rowCount();
}

void BM_SalesFilterKeystroke(benchmark::State &state) {
    runKeystroke(state, false);
}

void BM_SalesFilterKeystrokeWhole(benchmark::State &state) {
    runKeystroke(state, true);
}

// The same list read whole into a fresh snapshot, without a window, as the first key after the
// window opened reads it (no memory of an earlier list to reuse): what the storage adds to the engine.
void BM_SalesFilterRows(benchmark::State &state) {
    Database &db = shopDatabase();
    SalesFilter filter;
    filter.nameInitials = QString::fromLatin1(kKeystrokes[state.range(0)].after);
    const auto statement = salesqueries::search(filter, salesqueries::Kind::Sales);
    int count = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        Dataset rows;
        rows.load(db, statement->text, statement->binds);
        count = rows.rowCount();
        bytes = rows.memoryBytes();
    }
    state.counters["rows"] = count;
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_BareSalesFilterKeystroke(benchmark::State &state) {
    Database &db = shopDatabase();
    const Keystroke key = kKeystrokes[state.range(0)];
    SalesFilter filter;
    filter.nameInitials = QString::fromLatin1(key.after);
    const auto statement = salesqueries::search(filter, salesqueries::Kind::Sales);
    int rows = 0;
    for (auto _ : state)
        rows = bareRun(db, statement->text, statement->binds);
    state.counters["rows"] = rows;
}

void BM_Charts(benchmark::State &state) {
    Database &db = shopDatabase();
    SalesChartsTab tab(db);
    tab.resize(1000, 600);
    tab.show();
    tab.setCurrentDate(Clock::today());
    using salescharts::Measure;
    for (auto _ : state) {
        tab.drawMonthly(Measure::Profit);
        tab.drawMonthly(Measure::Amount);
        tab.drawDaily(Measure::Profit);
        tab.drawDaily(Measure::Amount);
        QApplication::processEvents();
    }
    state.counters["monthly_bars"] = static_cast<double>(tab.monthlyPoints().size());
    state.counters["daily_bars"] = static_cast<double>(tab.dailyPoints().size());
}

// The year and month the tab opens on, as the drop-downs' texts.
struct ChartPeriod {
    QString year = QString::number(Clock::today().year());
    QString month = QString::number(Clock::today().month());
};

// The four charts' figures as the tab reads them, without drawing: the data path beside its floor.
void BM_ChartFigures(benchmark::State &state) {
    Database &db = shopDatabase();
    const ChartPeriod period;
    using salescharts::Measure;
    std::size_t points = 0;
    for (auto _ : state) {
        points = 0;
        for (const Measure measure : {Measure::Profit, Measure::Amount}) {
            points += salescharts::monthly(db, period.year, measure).points.size();
            points += salescharts::daily(db, period.year, period.month, measure).points.size();
        }
    }
    state.counters["points"] = static_cast<double>(points);
}

void BM_BareCharts(benchmark::State &state) {
    Database &db = shopDatabase();
    const ChartPeriod period;
    using salescharts::Measure;
    const SalesStatement statements[] = {
        *salescharts::monthlyStatement(period.year, Measure::Profit),
        *salescharts::monthlyStatement(period.year, Measure::Amount),
        *salescharts::dailyStatement(period.year, period.month, Measure::Profit),
        *salescharts::dailyStatement(period.year, period.month, Measure::Amount),
    };
    for (auto _ : state)
        for (const SalesStatement &statement : statements)
            bareRun(db, statement.text, statement.binds);
}

// From the refresh to the first rows drawn and the window taking the next click; the rest is read in
// short slices after it (BM_GoodsSummaryWhole).
void BM_GoodsSummary(benchmark::State &state) {
    GoodsSummaryWindow window(shopDatabase());
    window.resize(1031, 636);
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        window.refresh();
        QApplication::processEvents();
    }
    state.counters["rows_shown"] = window.summary().rowCount();
}

// The refresh until every row is read and the cursor is on the last one.
void BM_GoodsSummaryWhole(benchmark::State &state) {
    GoodsSummaryWindow window(shopDatabase());
    window.resize(1031, 636);
    window.show();
    QApplication::processEvents();
    const DataGrid *grid = window.findChild<DataGrid *>(QStringLiteral("DBGrid1"));
    for (auto _ : state) {
        window.refresh();
        do
            QApplication::processEvents();
        while (grid->isLoading());
    }
    state.counters["rows"] = window.summary().rowCount();
    if (grid->currentRow() != window.summary().rowCount() - 1) state.SkipWithError("not on the last row");
}

void BM_BareGoodsSummary(benchmark::State &state) {
    Database &db = shopDatabase();
    int rows = 0;
    for (auto _ : state)
        rows = bareRun(db, goodssummary::statement());
    state.counters["rows"] = rows;
}
} // namespace

BENCHMARK(BM_SalesMonth)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareSalesMonth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareSalesCategories)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SalesFilterKeystroke)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SalesFilterKeystrokeWhole)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SalesFilterRows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareSalesFilterKeystroke)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Charts)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ChartFigures)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareCharts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GoodsSummary)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GoodsSummaryWhole)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareGoodsSummary)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    openDatabases().clear();
    return 0;
}
