// One keystroke in the name-initials field of the goods list: from the text change to the grid having
// drawn the new rows and totals. The floor is the bare SQLite C API stepping through the same statement
// and adding the same columns. Also: drawing the grid after scrolling a page of a 100k-row list, and
// the memory the loaded list holds.
// The same keystroke on a shop server holding the same goods (BM_NameInitialsKeystrokeServer), with its
// own floor, the statement sent through libpq by hand (BM_BarePgKeystroke); the file's keystroke is
// what it is compared with.
#include "bench/benchserver.h"
#include "bench/benchsupport.h"
#include "stock/goodslist.h"
#include "stock/goodsquerybox.h"
#include "store/database.h"
#include "store/dialect.h"
#include "store/pinyin.h"
#include "widgets/datagrid.h"
#include "widgets/gridfooter.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {
const char *const kBrands[] = {"金鹰", "华星", "蓝海", "鼎盛", "天宇", "联创", "佳美", "恒通"};
const char *const kNames[] = {
    "电脑",   "鼠标",   "键盘",   "U盘",    "移动硬盘", "打印纸", "墨盒", "USB线",  "耳机",     "路由器",
    "网线",   "插线板", "手机壳", "充电器", "数据线",   "显示器", "音箱", "摄像头", "笔记本",   "签字笔",
    "文件夹", "订书机", "计算器", "台灯",   "电池",     "剪刀",   "胶带", "复印纸", "光盘",     "读卡器",
    "散热器", "机箱",   "电源",   "内存条", "固态硬盘", "主板",   "显卡", "交换机", "蓝牙音箱", "无线鼠标"};
const char *const kModels[] = {"标准型", "加厚款", "A100", "X-2", "黑色", "白色", "大号", "小号"};

void bindText(sqlite3_stmt *s, int i, const QString &text) {
    const QByteArray bytes = text.toUtf8();
    sqlite3_bind_text(s, i, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

// One database per size with goods named like a shop's, their initials stored as a stock-in stores them.
Database &goodsDatabase(int rows) {
    static QTemporaryDir dir;
    auto &slot = openDatabases()[rows];
    if (slot) return *slot;
    slot = std::make_unique<Database>();
    if (!slot->open(dir.filePath(QStringLiteral("goods%1.mdb").arg(rows))))
        qFatal("%s", qPrintable(slot->errorText()));
    auto *db = static_cast<sqlite3 *>(slot->nativeHandle());
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into data (a,b,c,d,e,f,g,z,[1],[2],[3],[4],[5],[6],[7],[8],day1) values "
                       "(?1,?2,?3,'办公用品',?4,?5,'华联电子','',?6,100,?6*100,?6*1.3,?7,?7*?6*1.3,100-?7,"
                       "(100-?7)*?6,?8)",
                       -1, &insert, nullptr);
    for (int i = 0; i < rows; ++i) {
        const QString name = QString::fromUtf8(kBrands[i % std::size(kBrands)]) +
                             QString::fromUtf8(kNames[(i / std::size(kBrands)) % std::size(kNames)]);
        const QString model = QString::fromUtf8(kModels[i % std::size(kModels)]);
        sqlite3_reset(insert);
        bindText(insert, 1, name);
        bindText(insert, 2, model);
        bindText(insert, 3, QString::number(6900000000000LL + i));
        bindText(insert, 4, pinyinInitials(name));
        bindText(insert, 5, pinyinInitials(model));
        sqlite3_bind_double(insert, 6, 1.5 + i % 100);
        sqlite3_bind_int(insert, 7, i % 37);
        bindText(insert, 8,
                 QStringLiteral("2014-%1-%2")
                     .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                     .arg(1 + i % 28, 2, 10, QLatin1Char('0')));
        sqlite3_step(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return *slot;
}

// Counts the paint events of the grid's rows, to show that each measured keystroke drew them.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// The goods list in a shown window of the main window's size.
struct Window {
    QWidget host;
    GoodsList list;
    PaintCounter counter;
    explicit Window(Database &db) : list(db, &host) {
        list.grid()->viewport()->installEventFilter(&counter);
        host.resize(1031, 636);
        list.grid()->setGeometry(0, 0, 1031, 440);
        list.queryBox()->setGeometry(0, 440, 700, 150);
        host.show();
        list.showAll();
        QApplication::processEvents();
    }
    // Until every pending layout and paint has been done.
    void draw() { QApplication::processEvents(); }
};

// The keystroke typed: "d" after an empty field (about a third of the rows), or "n" after "d".
struct Keystroke {
    const char *before;
    const char *after;
};
const Keystroke kKeystrokes[] = {{"", "d"}, {"d", "dn"}};

// The same goods copied to a database of their own on the shop server, once per size; nullptr with the
// reason when there is no server.
Database *serverGoodsDatabase(int rows, QString *why) {
    static std::map<int, QString> reasons;
    auto &slot = openDatabases()[-rows];
    if (slot) return slot.get();
    if (reasons.count(rows)) {
        *why = reasons[rows];
        return nullptr;
    }
    Database &file = goodsDatabase(rows);
    const QString connection =
        benchserver::shopFrom(static_cast<sqlite3 *>(file.nativeHandle()),
                              QStringLiteral("jsjxc_bench_goods%1").arg(rows), false, why);
    auto database = std::make_unique<Database>();
    if (connection.isEmpty() || !database->openServer(connection)) {
        if (!connection.isEmpty()) *why = database->errorText();
        reasons[rows] = *why;
        return nullptr;
    }
    slot = std::move(database);
    return slot.get();
}

void measureKeystroke(benchmark::State &state, Database &db) {
    const Keystroke key = kKeystrokes[state.range(1)];
    Window window(db);
    QLineEdit *field = window.list.queryBox()->nameInitials();
    int paints = 0;
    for (auto _ : state) {
        state.PauseTiming();
        field->setText(QString::fromLatin1(key.before));
        window.draw();
        state.ResumeTiming();
        const int before = window.counter.paints;
        field->setText(QString::fromLatin1(key.after)); // runs "查询"
        window.draw();
        paints += window.counter.paints - before;
    }
    state.counters["grid_paints"] = benchmark::Counter(paints, benchmark::Counter::kAvgIterations);
    state.counters["rows"] = window.list.goods().rowCount();
    state.counters["list_MiB"] = static_cast<double>(window.list.goods().memoryBytes()) / (1024.0 * 1024.0);
}

void BM_NameInitialsKeystroke(benchmark::State &state) {
    measureKeystroke(state, goodsDatabase(static_cast<int>(state.range(0))));
}

void BM_NameInitialsKeystrokeServer(benchmark::State &state) {
    QString why;
    Database *db = serverGoodsDatabase(static_cast<int>(state.range(0)), &why);
    if (!db) {
        state.SkipWithError(qPrintable(QStringLiteral("skipped: ") + why));
        return;
    }
    measureKeystroke(state, *db);
}

// The server's floor: the statement the goods list sends (its rows in ID order) in the server's SQL with
// the same text bound, its rows read and every value taken.
void BM_BarePgKeystroke(benchmark::State &state) {
    QString why;
    Database *db = serverGoodsDatabase(static_cast<int>(state.range(0)), &why);
    if (!db) {
        state.SkipWithError(qPrintable(QStringLiteral("skipped: ") + why));
        return;
    }
    const Keystroke key = kKeystrokes[state.range(1)];
    auto *connection = static_cast<PGconn *>(db->serverHandle());
    const QByteArray sql =
        dialect::numberedPlaceholders(
            db->toEngine(QStringLiteral("select * from data where [2]>0  and e like ? order by ID")))
            .toUtf8();
    const QByteArray pattern = QByteArray("%") + key.after + "%";
    const char *values[] = {pattern.constData()};
    int rows = 0;
    for (auto _ : state)
        rows = benchserver::touchEveryValue(
            PQexecParams(connection, sql.constData(), 1, nullptr, values, nullptr, nullptr, 0));
    state.counters["rows"] = rows;
}

// The floor: prepare the same statement, bind the same text, step it, touch every text, add the figures.
void BM_BareSqliteKeystroke(benchmark::State &state) {
    Database &db = goodsDatabase(static_cast<int>(state.range(0)));
    const Keystroke key = kKeystrokes[state.range(1)];
    auto *handle = static_cast<sqlite3 *>(db.nativeHandle());
    const QByteArray sql =
        db.toEngine(QStringLiteral("select * from data where [2]>0  and e like ?")).toUtf8();
    const QByteArray pattern = QByteArray("%") + key.after + "%";
    int rows = 0;
    for (auto _ : state) {
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(handle, sql.constData(), -1, &statement, nullptr);
        sqlite3_bind_text(statement, 1, pattern.constData(), -1, SQLITE_TRANSIENT);
        rows = stepTouchingEveryColumn(statement);
    }
    state.counters["rows"] = rows;
}

// Scrolling the whole 100k-row list a page at a time, each page drawn.
void BM_ScrollPage(benchmark::State &state) {
    Database &db = goodsDatabase(static_cast<int>(state.range(0)));
    Window window(db);
    QScrollBar *bar = window.list.grid()->verticalScrollBar();
    bar->setValue(0);
    window.draw();
    for (auto _ : state) {
        const int next = bar->value() + bar->pageStep();
        bar->setValue(next > bar->maximum() ? 0 : next);
        window.list.grid()->viewport()->repaint();
    }
    state.counters["rows"] = window.list.goods().rowCount();
    state.counters["list_MiB"] = static_cast<double>(window.list.goods().memoryBytes()) / (1024.0 * 1024.0);
}
} // namespace

BENCHMARK(BM_NameInitialsKeystroke)
    ->ArgsProduct({{10000, 100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_BareSqliteKeystroke)->ArgsProduct({{10000, 100000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameInitialsKeystrokeServer)
    ->ArgsProduct({{100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_BarePgKeystroke)->ArgsProduct({{100000}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScrollPage)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    openDatabases().clear();
    benchserver::stop();
    return 0;
}
