// Several tills on one server database: processes of their own selling the same goods rows and taking
// tickets at the same moment, and a till killed in the middle of a sale.
#include "sales/salerecord.h"
#include "sales/ticketclaims.h"
#include "store/database.h"
#include "store/dataset.h"
#include "tests/support/testenv.h"

#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int GoodsRows = 3;
constexpr double FirstStock = 40;

// One till's session: `rounds` sales of 1–3 of the goods in turn, each on a ticket claimed for it.
// Every answer goes to the till's log, one line per sale: goods ID, quantity, status, ticket counter.
void tillSells(const QString &connection, const std::vector<qint64> &goods, int till, int rounds,
               const QString &log) {
    Database database;
    if (!database.openServer(connection)) _exit(3);
    QFile out(log);
    if (!out.open(QIODevice::WriteOnly)) _exit(4);
    const QDate day(2014, 8, 12);
    for (int round = 0; round < rounds; ++round) {
        const auto counter = TicketClaims::claim(database, day, 1);
        if (!counter) _exit(5);
        sale::Entry entry;
        entry.goodsId = goods[(round + till) % goods.size()];
        entry.quantity = 1 + (round * 7 + till) % 3;
        entry.price = 12;
        entry.saleDate = day;
        entry.saleNumber = QStringLiteral("20140812%1").arg(*counter, 3, 10, QLatin1Char('0'));
        const sale::Recorded recorded = sale::record(database, entry);
        out.write(QByteArray::number(entry.goodsId) + ' ' + QByteArray::number(entry.quantity) + ' ' +
                  QByteArray::number(int(recorded.status)) + ' ' + QByteArray::number(*counter) + '\n');
    }
    out.close();
    _exit(0);
}

struct Outcome {
    std::map<qint64, double> soldByGoods; // the quantities of the sales reported saved
    int saved = 0;
    int short_ = 0;
    std::vector<qlonglong> counters;
};

Outcome runTills(TestEnv &env, const std::vector<qint64> &goods, int tills, int rounds) {
    const QString connection = env.database().serverConnection();
    std::vector<pid_t> children;
    for (int till = 0; till < tills; ++till) {
        const QString log = env.file(QStringLiteral("till%1.log").arg(till));
        const pid_t child = fork();
        if (child == 0) tillSells(connection, goods, till, rounds, log);
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a till stopped with " << status;
    }
    Outcome outcome;
    for (int till = 0; till < tills; ++till) {
        QFile in(env.file(QStringLiteral("till%1.log").arg(till)));
        EXPECT_TRUE(in.open(QIODevice::ReadOnly));
        while (!in.atEnd()) {
            const QList<QByteArray> parts = in.readLine().trimmed().split(' ');
            if (parts.size() != 4) continue;
            const auto status = sale::Recorded::Status(parts[2].toInt());
            EXPECT_TRUE(status == sale::Recorded::Status::Saved || status == sale::Recorded::Status::StockShort)
                << "status " << parts[2].toInt();
            if (status == sale::Recorded::Status::Saved) {
                outcome.soldByGoods[parts[0].toLongLong()] += parts[1].toDouble();
                ++outcome.saved;
            } else {
                ++outcome.short_;
            }
            outcome.counters.push_back(parts[3].toLongLong());
        }
    }
    return outcome;
}
} // namespace

TEST(Tills, TillsSellingTheSameGoodsAtOnceLoseNoSaleAndNeverSellWhatIsNotThere) {
    if (!testserver::active()) GTEST_SKIP() << "data.mdb is one till's: its lock keeps a second program off";
    for (const int tills : {2, 4}) {
        TestEnv env;
        Database &db = env.database();
        std::vector<qint64> goods;
        for (int i = 0; i < GoodsRows; ++i)
            goods.push_back(addGoods(db, QStringLiteral("商品%1").arg(i), QStringLiteral("M"), 10, FirstStock, 12));
        const int rounds = 30;
        const Outcome outcome = runTills(env, goods, tills, rounds);
        EXPECT_EQ(outcome.saved + outcome.short_, tills * rounds);
        // More was asked for than there is: some sales were turned away, none oversold.
        EXPECT_GT(outcome.short_, 0) << tills;
        for (const qint64 id : goods) {
            Dataset row;
            ASSERT_TRUE(row.load(db, QStringLiteral("select [5],[6],[7],[8] from data where ID=?"), {id}));
            const double sold = outcome.soldByGoods.count(id) ? outcome.soldByGoods.at(id) : 0;
            EXPECT_DOUBLE_EQ(row.number(0, QStringLiteral("5")), sold) << tills << " tills, goods " << id;
            EXPECT_DOUBLE_EQ(row.number(0, QStringLiteral("6")), sold * 12) << tills;
            EXPECT_DOUBLE_EQ(row.number(0, QStringLiteral("7")), FirstStock - sold) << tills;
            EXPECT_GE(row.number(0, QStringLiteral("7")), 0) << tills;
            EXPECT_DOUBLE_EQ(row.number(0, QStringLiteral("8")), (FirstStock - sold) * 10) << tills;
            EXPECT_DOUBLE_EQ(db.scalar(QStringLiteral("select sum([3]) from data1 where data_id=?"), {id}).toDouble(),
                             sold)
                << tills;
        }
        EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from data1")).toInt(), outcome.saved);
        // Each ticket was one till's: no counter given twice, none lost.
        const std::set<qlonglong> distinct(outcome.counters.begin(), outcome.counters.end());
        EXPECT_EQ(distinct.size(), outcome.counters.size()) << tills;
        EXPECT_EQ(*distinct.rbegin(), static_cast<qlonglong>(outcome.counters.size())) << tills;
        EXPECT_EQ(db.scalar(QStringLiteral("select count(distinct z) from data1")).toInt(), outcome.saved);
    }
}

TEST(Tills, ATillKilledInTheMiddleOfASaleLeavesNoHalfSale) {
    if (!testserver::active()) GTEST_SKIP() << "a killed program's file transaction is the engine's own test";
    TestEnv env;
    Database &db = env.database();
    const qint64 id = addGoods(db, QStringLiteral("电脑"), QStringLiteral("A"), 10, 5, 12);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const QString connection = db.serverConnection();
    const pid_t child = fork();
    if (child == 0) {
        Database till;
        if (!till.openServer(connection) || !till.begin()) _exit(3);
        // The goods row is written, the sales record not yet: the till dies here.
        if (!till.execute(QStringLiteral("update data set [5]=[5]+2,[7]=[7]-2 where ID=?"), {id})) _exit(4);
        if (write(ready[1], "x", 1) != 1) _exit(5);
        pause();
        _exit(0);
    }
    char signal = 0;
    ASSERT_EQ(read(ready[0], &signal, 1), 1);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(ready[0]);
    close(ready[1]);
    // The row lock the dead till held is given back: a sale of the row goes through at once.
    sale::Entry entry;
    entry.goodsId = id;
    entry.quantity = 5;
    entry.price = 12;
    entry.saleDate = QDate(2014, 8, 12);
    entry.saleNumber = QStringLiteral("20140812001");
    EXPECT_EQ(sale::record(db, entry).status, sale::Recorded::Status::Saved);
    EXPECT_EQ(db.scalar(QStringLiteral("select [7] from data where ID=?"), {id}).toDouble(), 0.0);
    EXPECT_EQ(db.scalar(QStringLiteral("select [5] from data where ID=?"), {id}).toDouble(), 5.0);
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from data1")).toInt(), 1);
}
