// The login of the assembled program: from the press of "登 录" to the main window idle with the goods
// list painted, in an empty shop and in shops of 10k and 100k goods rows with a million sales records
// (demo data). Its floor, BM_BareLogin, is the same shop's goods rows read by the bare engine: the least
// any login that shows them has to do.
// The same login on a shop server holding the same 100k goods and 1M sales (BM_LoginServer), with its
// own floor, the list statement sent through libpq by hand (BM_BareLoginServer); the file's login is
// what it is compared with.
#include "app/mainwindow.h"
#include "app/shop.h"
#include "bench/benchserver.h"
#include "bench/benchsupport.h"
#include "bench/failingdialogs.h"
#include "stock/goodslist.h"
#include "store/database.h"
#include "store/settingsstore.h"
#include "users/loginwindow.h"
#include "widgets/filllist.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {
constexpr int SalesRows = 1'000'000;

// One shop file per size, made once beside the benchmark by the demo-data tool and kept for later runs.
Database &shopOf(int goods) {
    auto &slot = openDatabases()[goods];
    if (slot) return *slot;
    const QString path = QDir(QCoreApplication::applicationDirPath())
                             .filePath(QStringLiteral("bench_login_%1.mdb").arg(goods));
    if (goods > 0 && !QFileInfo::exists(path)) {
        const int rc = QProcess::execute(QStringLiteral(JSJXC_DEMODATA),
                                         {path, QString::number(goods), QString::number(SalesRows)});
        if (rc != 0) qFatal("jsjxc_demodata failed (%d)", rc);
    }
    slot = std::make_unique<Database>();
    if (!slot->open(path)) qFatal("%s", qPrintable(slot->errorText()));
    return *slot;
}

// The same shop's rows copied to a database of their own on the shop server, once per size; nullptr with
// the reason when there is no server.
Database *serverShopOf(int goods, QString *why) {
    static std::map<int, QString> reasons;
    auto &slot = openDatabases()[-goods];
    if (slot) return slot.get();
    if (reasons.count(goods)) {
        *why = reasons[goods];
        return nullptr;
    }
    Database &file = shopOf(goods);
    const QString connection =
        benchserver::shopFrom(static_cast<sqlite3 *>(file.nativeHandle()),
                              QStringLiteral("jsjxc_bench_login%1").arg(goods), true, why);
    auto database = std::make_unique<Database>();
    if (connection.isEmpty() || !database->openServer(connection)) {
        if (!connection.isEmpty()) *why = database->errorText();
        reasons[goods] = *why;
        return nullptr;
    }
    slot = std::move(database);
    return slot.get();
}

void measureLogin(benchmark::State &state, Database &database) {
    QTemporaryDir settings;
    SettingsStore::setInstancePath(settings.filePath(QStringLiteral("config/vov.ini")));
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<MainWindow>(database);
        auto *shop = new Shop(database, *window);
        window->resize(1031, 636);
        window->show();
        QApplication::processEvents();
        LoginWindow *login = shop->login();
        // The user name and password typed, then "登 录" pressed inside the login's own loop.
        QTimer::singleShot(0, login, [&] {
            login->findChild<QComboBox *>(QStringLiteral("ComboBox1"))
                ->setEditText(QStringLiteral("超级管理员"));
            login->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("659"));
            state.ResumeTiming();
            login->logIn();
        });
        shop->askForLogin();
        // The main window painted with the list.
        window->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        if (!login->isLoggedIn()) state.SkipWithError("the login did not pass");
        rows = shop->goods()->goods().rowCount();
        delete shop;
        window.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["goods_rows"] = rows;
}

void BM_Login(benchmark::State &state) {
    measureLogin(state, shopOf(static_cast<int>(state.range(0))));
}

void BM_LoginServer(benchmark::State &state) {
    QString why;
    Database *database = serverShopOf(static_cast<int>(state.range(0)), &why);
    if (!database) {
        state.SkipWithError(qPrintable(QStringLiteral("skipped: ") + why));
        return;
    }
    measureLogin(state, *database);
}

// The server's floor: the list statement as the goods list sends it (ties in ID order) in the server's
// SQL, its rows read and every value taken.
void BM_BareLoginServer(benchmark::State &state) {
    QString why;
    Database *database = serverShopOf(static_cast<int>(state.range(0)), &why);
    if (!database) {
        state.SkipWithError(qPrintable(QStringLiteral("skipped: ") + why));
        return;
    }
    auto *connection = static_cast<PGconn *>(database->serverHandle());
    const QByteArray sql =
        database->toEngine(QStringLiteral("select * from data order by day1, ID")).toUtf8();
    int rows = 0;
    for (auto _ : state)
        rows = benchserver::touchEveryValue(
            PQexecParams(connection, sql.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0));
    state.counters["goods_rows"] = rows;
}

// The goods rows of the list statement stepped through by the bare engine, every column read.
void BM_BareLogin(benchmark::State &state) {
    Database &database = shopOf(static_cast<int>(state.range(0)));
    auto *db = static_cast<sqlite3 *>(database.nativeHandle());
    int rows = 0;
    for (auto _ : state) {
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(db, "select * from data order by day1", -1, &statement, nullptr);
        rows = stepTouchingEveryColumn(statement);
    }
    state.counters["goods_rows"] = rows;
}
// What the login no longer does before the list is shown: the seven drop-downs of the stock-in panel
// and the query box read in full (the cost now paid by each list as it is first opened).
void BM_LoginDropDowns(benchmark::State &state) {
    Database &database = shopOf(static_cast<int>(state.range(0)));
    QComboBox box;
    box.setEditable(true);
    const char *columns[] = {"d", "d", "a", "b", "c", "g", "g"};
    for (auto _ : state)
        for (const char *column : columns)
            if (!fillListFromColumn(database, &box, QString::fromLatin1(column), QStringLiteral("data")))
                state.SkipWithError("a list could not be read");
}
} // namespace

BENCHMARK(BM_Login)
    ->ArgName("goods")
    ->Arg(0)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_BareLogin)->ArgName("goods")->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoginServer)->ArgName("goods")->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_BareLoginServer)->ArgName("goods")->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK(BM_LoginDropDowns)->ArgName("goods")->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FailingDialogs dialogs;
    Dialogs::install(&dialogs);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    openDatabases().clear();
    benchserver::stop();
    Dialogs::install(nullptr);
    return 0;
}
