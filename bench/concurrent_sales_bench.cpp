// Several tills selling at once on one shop server of 100k goods rows and 1M sales records: 1, 2 and 4
// tills, each a process with its own connection, confirming sales of random goods rows through the
// program's write of a sale (sale::record, what the sale panel's confirm runs) for a fixed time. The
// figures: sales per second of all tills together and the 99th percentile of one confirm.
// The floors: BM_BareSalesServer, the same statements of one sale sent through libpq by hand (with and
// without the tills' NOTIFY triggers), and BM_BareSalesFile, one till on data.mdb of the same shop.
#include "bench/benchserver.h"
#include "bench/forkedtills.h"
#include "sales/salerecord.h"
#include "store/database.h"
#include "store/dialect.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <memory>
#include <random>
#include <sqlite3.h>

namespace {
constexpr int GoodsRows = 100'000;
constexpr int SalesRows = 1'000'000;

// How long each run sells (JSJXC_BENCH_SECONDS to change it).
double sellingSeconds() {
    const double seconds = qEnvironmentVariable("JSJXC_BENCH_SECONDS").toDouble();
    return seconds > 0 ? seconds : 5.0;
}

// The demo shop the login benchmark uses too, made once beside the benchmarks by jsjxc_demodata and
// only ever read: every run sells into a copy of it.
QString demoShop() {
    const QString path = QDir(QCoreApplication::applicationDirPath())
                             .filePath(QStringLiteral("bench_login_%1.mdb").arg(GoodsRows));
    if (!QFileInfo::exists(path)) {
        const int rc = QProcess::execute(QStringLiteral(JSJXC_DEMODATA),
                                         {path, QString::number(GoodsRows), QString::number(SalesRows)});
        if (rc != 0) qFatal("jsjxc_demodata failed (%d)", rc);
    }
    return path;
}

struct ServerShop {
    QString connection; // empty when there is no server
    QString why;
};

// The demo shop's rows copied to a database of their own on the server, once per run.
const ServerShop &serverShop() {
    static const ServerShop shop = [] {
        ServerShop made;
        sqlite3 *file = nullptr;
        if (sqlite3_open_v2(demoShop().toUtf8().constData(), &file, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK)
            qFatal("%s", sqlite3_errmsg(file));
        made.connection = benchserver::shopFrom(file, QStringLiteral("jsjxc_bench_sales"), true, &made.why);
        sqlite3_close(file);
        return made;
    }();
    return shop;
}

// Random goods rows of the shop (its IDs run from 1), one generator per till.
struct GoodsPicker {
    std::mt19937 rng;
    std::uniform_int_distribution<qint64> id{1, GoodsRows};
    std::uniform_int_distribution<int> cents{100, 99900};
    explicit GoodsPicker(int till) : rng(static_cast<unsigned>(4242 + till)) {}
    qint64 goods() { return id(rng); }
    double price() { return cents(rng) / 100.0; }
};

sale::Entry entryFor(GoodsPicker &pick) {
    sale::Entry entry;
    entry.goodsId = pick.goods();
    entry.price = pick.price();
    entry.quantity = 1;
    entry.saleDate = QDate(2014, 8, 12);
    entry.saleNumber = QStringLiteral("20140812001");
    entry.customer = QStringLiteral("客户123");
    entry.address = QStringLiteral("市场路1号");
    entry.contact = QStringLiteral("13900001234");
    return entry;
}

tills::Outcome outcomeOf(const sale::Recorded &recorded) {
    switch (recorded.status) {
    case sale::Recorded::Status::Saved:
        return tills::Outcome::Saved;
    case sale::Recorded::Status::StockShort:
        return tills::Outcome::StockShort;
    default:
        return tills::Outcome::Failed;
    }
}

// The program's till: its own Database on the server, each sale written by sale::record.
tills::Till programTill(const QString &connection, int till) {
    auto database = std::make_shared<Database>();
    if (!database->openServer(connection)) return {};
    auto pick = std::make_shared<GoodsPicker>(till);
    return {[database, pick] { return outcomeOf(sale::record(*database, entryFor(*pick))); },
            PQbackendPID(static_cast<PGconn *>(database->serverHandle()))};
}

// The same statements of one sale as the program sends them, by hand over libpq: begin, the goods row
// read for update, its figures, the sales record, its ID, commit. The initials come stored with the
// goods row instead of being worked out again. Without `notify` the session skips the tills' triggers.
class BareTill {
  public:
    BareTill(const QString &connection, int till, bool notify)
        : m_connection(PQconnectdb(connection.toUtf8().constData())), m_pick(till) {
        m_ok = PQstatus(m_connection) == CONNECTION_OK &&
               (notify || plain("SET session_replication_role = replica"));
    }
    ~BareTill() { PQfinish(m_connection); }
    BareTill(const BareTill &) = delete;
    BareTill &operator=(const BareTill &) = delete;
    bool ok() const { return m_ok; }
    int serverPid() const { return PQbackendPID(m_connection); }

    tills::Outcome sell() {
        const sale::Entry entry = entryFor(m_pick);
        if (!plain("BEGIN")) return tills::Outcome::Failed;
        const QByteArray id = QByteArray::number(entry.goodsId);
        PGresult *goods = params(Read, {id.constData()});
        if (PQresultStatus(goods) != PGRES_TUPLES_OK || PQntuples(goods) != 1) return rollback(goods);
        const auto figure = [&](int c) { return QByteArray(PQgetvalue(goods, 0, c)).toDouble(); };
        const double purchase = figure(6), sold = figure(7), amount = figure(8), stock = figure(9);
        if (entry.quantity > stock) {
            rollback(goods);
            return tills::Outcome::StockShort;
        }
        const double q = entry.quantity, p = entry.price;
        const QByteArray newSold = QByteArray::number(sold + q, 'g', 15),
                         newAmount = QByteArray::number(amount + p * q, 'g', 15),
                         newStock = QByteArray::number(stock - q, 'g', 15),
                         newStockAmount = QByteArray::number((stock - q) * purchase, 'g', 15);
        PGresult *update = params(Update, {newSold.constData(), newAmount.constData(), newStock.constData(),
                                           newStockAmount.constData(), id.constData()});
        if (PQresultStatus(update) != PGRES_COMMAND_OK) {
            PQclear(goods);
            return rollback(update);
        }
        PQclear(update);
        const QByteArray customer = entry.customer.toUtf8(), address = entry.address.toUtf8(),
                         contact = entry.contact.toUtf8(), number = entry.saleNumber.toUtf8(),
                         purchaseText = QByteArray::number(purchase, 'g', 15),
                         price = QByteArray::number(p, 'g', 15), quantity = QByteArray::number(q, 'g', 15),
                         saleAmount = QByteArray::number(p * q, 'g', 15),
                         profit = QByteArray::number((p - purchase) * q, 'f', 2), date = "2014-08-12";
        const auto text = [&](int c) { return PQgetisnull(goods, 0, c) ? nullptr : PQgetvalue(goods, 0, c); };
        PGresult *insert = params(Insert, {text(0),
                                           text(1),
                                           text(2),
                                           text(3),
                                           text(4),
                                           text(5),
                                           customer.constData(),
                                           address.constData(),
                                           contact.constData(),
                                           "",
                                           number.constData(),
                                           purchaseText.constData(),
                                           price.constData(),
                                           quantity.constData(),
                                           saleAmount.constData(),
                                           profit.constData(),
                                           "0",
                                           date,
                                           text(10),
                                           id.constData()});
        PQclear(goods);
        if (PQresultStatus(insert) != PGRES_COMMAND_OK) return rollback(insert);
        PQclear(insert);
        PGresult *last = PQexec(m_connection, "SELECT lastval()");
        const bool gotId = PQresultStatus(last) == PGRES_TUPLES_OK;
        PQclear(last);
        return gotId && plain("COMMIT") ? tills::Outcome::Saved : tills::Outcome::Failed;
    }

  private:
    enum Statement { Read, Update, Insert };
    static const QByteArray &sql(Statement which) {
        static const QByteArray statements[] = {
            dialect::numberedPlaceholders(
                dialect::toPostgres(QStringLiteral(
                    "select a,b,c,d,e,f,[1],[5],[6],[7],day1 from data where ID=? for update")))
                .toUtf8(),
            dialect::numberedPlaceholders(
                dialect::toPostgres(QStringLiteral("update data set [5]=?,[6]=?,[7]=?,[8]=? where ID=?")))
                .toUtf8(),
            dialect::numberedPlaceholders(
                dialect::toPostgres(QStringLiteral(
                    "insert into data1 (a,b,c,d,e,f,g,h,i,j,z,[1],[2],[3],[4],a5,[6],day1,day2,data_id) "
                    "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)")))
                .toUtf8()};
        return statements[which];
    }
    PGresult *params(Statement which, std::initializer_list<const char *> values) {
        const std::vector<const char *> list(values);
        return PQexecParams(m_connection, sql(which).constData(), static_cast<int>(list.size()), nullptr,
                            list.data(), nullptr, nullptr, 0);
    }
    bool plain(const char *statement) {
        PGresult *result = PQexec(m_connection, statement);
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
        return ok;
    }
    tills::Outcome rollback(PGresult *result) {
        PQclear(result);
        plain("ROLLBACK");
        return tills::Outcome::Failed;
    }

    PGconn *m_connection;
    GoodsPicker m_pick;
    bool m_ok = false;
};

void report(benchmark::State &state, const tills::Result &result, int count) {
    state.SetIterationTime(result.seconds);
    state.SetItemsProcessed(result.saved);
    state.counters["tills"] = count;
    state.counters["p50_ms"] = result.percentileMs(0.50);
    state.counters["p99_ms"] = result.percentileMs(0.99);
    state.counters["stock_short"] = static_cast<double>(result.stockShort);
    // Where the time of a sale goes: the tills' own work and their server processes' (the CPUs the
    // run kept busy are (client + server) × sales per second).
    if (result.saved > 0) {
        state.counters["client_cpu_ms"] = result.clientCpu * 1000 / static_cast<double>(result.saved);
        state.counters["server_cpu_ms"] = result.serverCpu * 1000 / static_cast<double>(result.saved);
    }
    if (result.failed > 0) state.SkipWithError("a sale failed");
}

// Runs forked tills on the server shop; one iteration is one timed run of all of them.
void runOnServer(benchmark::State &state, const tills::OpenTill &open) {
    const ServerShop &shop = serverShop();
    if (shop.connection.isEmpty()) {
        state.SkipWithError(qPrintable(QStringLiteral("skipped: ") + shop.why));
        return;
    }
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        tills::Result result;
        if (!tills::run(count, sellingSeconds(), open, result)) {
            state.SkipWithError("a till could not connect or did not report");
            return;
        }
        report(state, result, count);
    }
}

void BM_ConcurrentSales(benchmark::State &state) {
    const QString connection = serverShop().connection;
    runOnServer(state, [connection](int till) { return programTill(connection, till); });
}

void BM_BareSalesServer(benchmark::State &state) {
    const QString connection = serverShop().connection;
    const bool notify = state.range(1) != 0;
    runOnServer(state, [connection, notify](int till) -> tills::Till {
        auto bare = std::make_shared<BareTill>(connection, till, notify);
        if (!bare->ok()) return {};
        return {[bare] { return bare->sell(); }, bare->serverPid()};
    });
}

// One till on a copy of the same shop in data.mdb, in this process.
void BM_BareSalesFile(benchmark::State &state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.mdb"));
    if (!QFile::copy(demoShop(), path)) qFatal("the demo shop could not be copied");
    Database database;
    if (!database.open(path)) qFatal("%s", qPrintable(database.errorText()));
    GoodsPicker pick(0);
    for (auto _ : state) {
        const double cpuBefore = tills::cpuSeconds();
        tills::Result result = tills::sellFor(
            sellingSeconds(), [&] { return outcomeOf(sale::record(database, entryFor(pick))); });
        result.clientCpu = tills::cpuSeconds() - cpuBefore;
        report(state, result, 1);
    }
}
} // namespace

BENCHMARK(BM_ConcurrentSales)
    ->ArgName("tills")
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareSalesServer)
    ->ArgNames({"tills", "notify"})
    ->ArgsProduct({{1, 2, 4}, {1, 0}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareSalesFile)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    benchserver::stop();
    return 0;
}
