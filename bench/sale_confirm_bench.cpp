// Confirming one sale on a shown sale panel over 10k and 100k goods rows and 1M sales records: from the
// click to the panel closed and the lists refreshed, and the parts of it one by one (the write, the
// goods list's one-row refresh beside its full reload, the ticket look-up, the customer drop-down
// refill).
#include "bench/failingdialogs.h"
#include "sales/customer.h"
#include "sales/salepanel.h"
#include "sales/salerecord.h"
#include "sales/ticket.h"
#include "stock/goodslist.h"
#include "store/clock.h"
#include "store/database.h"
#include "store/dataset.h"
#include "store/sessionstate.h"
#include "store/settingsstore.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {
constexpr int GoodsRows = 100'000; // the shop of the parts measured one by one
constexpr int SalesRows = 1'000'000;
constexpr int Customers = 20'000;

void exec(sqlite3 *db, const char *sql) {
    char *error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) qFatal("%s: %s", sql, error);
}

// The shop: built once per run with the schema (and its indexes) of the program, filled through the
// bare engine.
struct Shop {
    QTemporaryDir dir;
    Database database;
    SessionState session;
    std::unique_ptr<QWidget> host;
    GoodsList *list = nullptr; // the goods list of the main window, with its grid
    SalePanel *panel = nullptr;

    explicit Shop(int goodsRows) {
        SettingsStore::setInstancePath(dir.filePath(QStringLiteral("config/vov.ini")));
        if (!database.open(dir.filePath(QStringLiteral("data.mdb"))))
            qFatal("%s", qPrintable(database.errorText()));
        auto *db = static_cast<sqlite3 *>(database.nativeHandle());
        exec(db, "PRAGMA synchronous=OFF; BEGIN");
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(db,
                           "insert into data (a,b,c,d,e,f,g,z,[1],[2],[3],[4],[5],[6],[7],[8],day1) values "
                           "('商品'||?1,'标准型',?2,'办公用品','sp','bzx','华联电子','',?3,1e9,?3*1e9,?3*1.3,"
                           "0,0,1e9,?3*1e9,'2014-08-01')",
                           -1, &insert, nullptr);
        for (int i = 0; i < goodsRows; ++i) {
            sqlite3_reset(insert);
            sqlite3_bind_int(insert, 1, i);
            sqlite3_bind_int64(insert, 2, 6900000000000LL + i);
            sqlite3_bind_double(insert, 3, 1.5 + i % 100);
            sqlite3_step(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_prepare_v2(
            db,
            "insert into data1 (a,b,c,d,e,f,g,h,i,j,z,[1],[2],[3],[4],a5,[6],day1,day2) values "
            "('商品'||?1,'标准型','69','办公用品','sp','bzx','客户'||?2,'地址'||?2,'1390000'||?2,'',"
            "?3,2,3,1,3,1,0,?4,'2014-08-01')",
            -1, &insert, nullptr);
        // Four lines a ticket, 60 tickets a day, about eleven years of days.
        for (int i = 0; i < SalesRows; ++i) {
            const int ticket = i / 4;
            const QDate day = QDate(2003, 1, 1).addDays(ticket / 60);
            const QByteArray number = day.toString(QStringLiteral("yyyyMMdd")).toLatin1() +
                                      QByteArray::number(ticket % 60 + 1).rightJustified(3, '0');
            const QByteArray date = day.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
            sqlite3_reset(insert);
            sqlite3_bind_int(insert, 1, i % goodsRows);
            sqlite3_bind_int(insert, 2, (ticket * 7919) % Customers);
            sqlite3_bind_text(insert, 3, number.constData(), static_cast<int>(number.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 4, date.constData(), static_cast<int>(date.size()), SQLITE_TRANSIENT);
            sqlite3_step(insert);
        }
        sqlite3_finalize(insert);
        exec(db, "COMMIT; PRAGMA synchronous=FULL; ANALYZE");

        host = std::make_unique<QWidget>();
        host->resize(1031, 636);
        list = new GoodsList(database, host.get());
        list->attachThresholdField(new QLineEdit(QStringLiteral("5"), host.get()));
        list->attachZeroStockBox(new QCheckBox(host.get()));
        list->grid()->setGeometry(0, 0, 1031, 440);
        list->queryBox()->setGeometry(0, 440, 700, 150);
        list->showAll();
        panel = new SalePanel(database, session, host.get());
        panel->refillCustomers(); // as the login does
        host->show();
        QApplication::processEvents();
    }

    // The whole list read again: the goods list's "查询" with its (empty) conditions.
    void reloadGoods() {
        if (!list->runQuery()) qFatal("%s", qPrintable(database.errorText()));
    }

    // What a double click on a row in the middle of the list does.
    void openPanel(int n) {
        const Dataset &goods = list->goods();
        panel->open(saleGoodsFromRow(goods, (n * 7919) % goods.rowCount()));
        panel->findChild<QLineEdit *>(QStringLiteral("Edit35"))->setText(QStringLiteral("1"));
        panel->findChild<QComboBox *>(QStringLiteral("ComboBox7"))->setEditText(QStringLiteral("客户123"));
    }
};

// Made on first use and gone before the application: widgets and connections do not outlive them.
std::map<int, std::unique_ptr<Shop>> &shops() {
    static std::map<int, std::unique_ptr<Shop>> instances;
    return instances;
}

Shop &shop(int goodsRows = GoodsRows) {
    auto &slot = shops()[goodsRows];
    if (!slot) slot = std::make_unique<Shop>(goodsRows);
    return *slot;
}

double ms(qint64 ns) {
    return static_cast<double>(ns) / 1e6;
}

// The whole confirm as the user waits for it, with the goods list and the ticket view (stand-ins)
// wired as the main window wires them.
void BM_ConfirmSale(benchmark::State &state) {
    Shop &s = shop(static_cast<int>(state.range(0)));
    Dataset ticketLines;
    qint64 reloadNs = 0, ticketNs = 0;
    const auto reload = QObject::connect(s.panel, &SalePanel::goodsRowChanged, s.panel, [&](qint64 id) {
        QElapsedTimer t;
        t.start();
        s.list->showChangedRow(id, GoodsList::Step::Query);
        reloadNs += t.nsecsElapsed();
    });
    const auto refresh = QObject::connect(s.panel, &SalePanel::ticketChanged, s.panel,
                                          [&](const QString &number, const QString &) {
                                              QElapsedTimer t;
                                              t.start();
                                              ticket::load(s.database, number, ticketLines);
                                              ticketNs += t.nsecsElapsed();
                                          });
    int n = 0;
    double reloadMs = 0, ticketMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.openPanel(n++);
        reloadNs = ticketNs = 0;
        state.ResumeTiming();
        s.panel->confirmSale();
        QApplication::processEvents(); // the refreshed list painted
        state.PauseTiming();
        if (s.panel->isVisible()) state.SkipWithError("the sale was not saved");
        reloadMs += ms(reloadNs);
        ticketMs += ms(ticketNs);
        state.ResumeTiming();
    }
    state.counters["goods_refresh_ms"] = benchmark::Counter(reloadMs, benchmark::Counter::kAvgIterations);
    state.counters["ticket_lookup_ms"] = benchmark::Counter(ticketMs, benchmark::Counter::kAvgIterations);
    QObject::disconnect(reload);
    QObject::disconnect(refresh);
}

// The one transaction: goods figures and the sales record.
void BM_RecordSale(benchmark::State &state) {
    Shop &s = shop();
    int n = 0;
    for (auto _ : state) {
        sale::Entry entry;
        entry.goodsId = s.list->goods().id((n++ * 7919) % s.list->goods().rowCount());
        entry.price = 3;
        entry.quantity = 1;
        entry.saleDate = Clock::today();
        entry.saleNumber = QStringLiteral("20140812001");
        entry.customer = QStringLiteral("客户123");
        if (sale::record(s.database, entry).status != sale::Recorded::Status::Saved)
            state.SkipWithError(qPrintable(s.database.errorText()));
    }
}

void BM_GoodsReload(benchmark::State &state) {
    Shop &s = shop(static_cast<int>(state.range(0)));
    for (auto _ : state)
        s.reloadGoods();
    state.counters["rows"] = s.list->goods().rowCount();
}

void BM_TicketLookup(benchmark::State &state) {
    Shop &s = shop();
    Dataset lines;
    for (auto _ : state) {
        ticket::load(s.database, QStringLiteral("20080314017"), lines);
        benchmark::DoNotOptimize(customers::ofTicket(s.database, QStringLiteral("20080314017")).found);
    }
    state.counters["lines"] = lines.rowCount();
}

// The full drop-down refill of "+" and the login (a sale adds its own name instead).
void BM_CustomerRefill(benchmark::State &state) {
    Shop &s = shop();
    for (auto _ : state)
        s.panel->refillCustomers();
    state.counters["names"] = s.panel->findChild<QComboBox *>(QStringLiteral("ComboBox7"))->count();
}

// The two statements that give the drop-down's names, over the schema's index on data1.g.
void BM_CustomerNamesQuery(benchmark::State &state) {
    Shop &s = shop();
    const QString statement = state.range(0) == 0
                                  ? QStringLiteral("select g from data1 group by g order by g")
                                  : QStringLiteral("select distinct g from data1 order by g");
    Dataset names;
    for (auto _ : state)
        if (!names.load(s.database, statement)) state.SkipWithError(qPrintable(s.database.errorText()));
    state.counters["names"] = names.rowCount();
}

// The address and contact look-up while a customer name is typed (one per keystroke).
void BM_CustomerContact(benchmark::State &state) {
    Shop &s = shop();
    for (auto _ : state)
        benchmark::DoNotOptimize(customers::contactOf(s.database, QStringLiteral("客户123")).found);
}
} // namespace

BENCHMARK(BM_ConfirmSale)
    ->ArgName("goods")
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_RecordSale)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GoodsReload)->ArgName("goods")->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TicketLookup)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CustomerRefill)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CustomerNamesQuery)->ArgName("distinct")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CustomerContact)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FailingDialogs dialogs;
    Dialogs::install(&dialogs);
    Clock::fix(QDateTime(QDate(2014, 8, 12), QTime(10, 30)));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shops().clear();
    Dialogs::install(nullptr);
    return 0;
}
