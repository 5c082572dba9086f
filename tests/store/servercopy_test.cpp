// A shop moved from data.mdb to an empty database on the server: every table, column and row with its
// own ID, or nothing at all.
#include "sales/salerecord.h"
#include "sales/ticketclaims.h"
#include "stock/stockin.h"
#include "store/database.h"
#include "store/dataset.h"
#include "store/servercopy.h"
#include "tests/support/testenv.h"
#include "tests/support/testserver.h"
#include "users/userstore.h"

#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <libpq-fe.h>

namespace {
QString u(const char *text) {
    return QString::fromUtf8(text);
}

// The statement that lists a table whole, in ID order, on either engine.
QString wholeTable(const servercopy::Table &table) {
    const QString name = QLatin1String(table.name);
    if (qstrcmp(table.name, "userdb") == 0) return QStringLiteral("select rowid, username, passwd from userdb order by rowid");
    if (!table.identity) return QStringLiteral("select * from ") + name + QStringLiteral(" order by 1");
    return QStringLiteral("select * from ") + name + QStringLiteral(" order by ") + QLatin1String(table.identity);
}

// Two cells hold the same: both NULL, the same text, or the same double to the last bit.
bool sameCell(const QVariant &a, const QVariant &b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull();
    const auto isFigure = [](const QVariant &v) { return v.typeId() == QMetaType::Double; };
    if (isFigure(a) || isFigure(b)) {
        const double x = a.toDouble(), y = b.toDouble();
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    return a.toString() == b.toString();
}

// Every table of the copy, row for row and column for column. Failures name the table, row and column.
void expectSameShop(Database &file, Database &server) {
    for (const servercopy::Table &table : servercopy::tables()) {
        SCOPED_TRACE(table.name);
        Dataset mine, theirs;
        ASSERT_TRUE(mine.load(file, wholeTable(table))) << mine.loadError().toStdString();
        ASSERT_TRUE(theirs.load(server, wholeTable(table))) << theirs.loadError().toStdString();
        ASSERT_EQ(mine.fieldNames().join(u(",")).toLower(), theirs.fieldNames().join(u(",")).toLower());
        ASSERT_EQ(mine.rowCount(), theirs.rowCount());
        for (int row = 0; row < mine.rowCount(); ++row)
            for (int column = 0; column < mine.columnCount(); ++column)
                EXPECT_TRUE(sameCell(mine.value(row, column), theirs.value(row, column)))
                    << "row " << row << " column " << mine.fieldName(column).toStdString() << ": "
                    << mine.value(row, column).toString().toStdString() << " / "
                    << theirs.value(row, column).toString().toStdString();
    }
}

// Each table's rows as text, to see that a refused copy changed nothing.
QString everything(Database &database) {
    QString all;
    for (const servercopy::Table &table : servercopy::tables()) {
        Dataset rows;
        if (!rows.load(database, wholeTable(table))) return rows.loadError();
        all += QLatin1String(table.name) + u(":");
        for (int row = 0; row < rows.rowCount(); ++row)
            for (int column = 0; column < rows.columnCount(); ++column)
                all += (rows.isNull(row, column) ? u("<null>") : rows.text(row, column)) + u("|");
        all += u("\n");
    }
    return all;
}

// Several statements at once, straight to the server.
bool script(Database &server, const char *statements) {
    PGresult *result = PQexec(static_cast<PGconn *>(server.serverHandle()), statements);
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    if (!ok) ADD_FAILURE() << PQresultErrorMessage(result);
    PQclear(result);
    return ok;
}

qint64 stockIn(Database &db, const QString &name, const QString &model, double price, double quantity,
               double salePrice) {
    stockin::GoodsRow row;
    row.a = name;
    row.b = model;
    row.c = u("6901234567892");
    row.d = u("文具");
    row.price = price;
    row.quantity = quantity;
    row.amount = price * quantity;
    row.salePrice = salePrice;
    row.stock = quantity;
    row.stockAmount = price * quantity;
    row.z = u("备注");
    row.day1 = u("2014-08-01");
    row.g = u("华联电子");
    qint64 id = 0;
    if (!stockin::insertRow(db, row, &id)) throw std::runtime_error(db.errorText().toStdString());
    return id;
}

sale::Recorded sell(Database &db, qint64 goods, double price, double quantity, const QString &customer) {
    sale::Entry entry;
    entry.goodsId = goods;
    entry.price = price;
    entry.quantity = quantity;
    entry.saleDate = QDate(2014, 8, 12);
    entry.saleNumber = u("20140812001");
    entry.customer = customer;
    entry.remark = u("C:\\票据\\“引号”'单'");
    return sale::record(db, entry);
}

class ServerCopyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testserver::active()) GTEST_SKIP() << "copies to the server";
        ASSERT_TRUE(file.open(env.file(u("data.mdb")))) << file.errorText().toStdString();
        target = testserver::createDatabase(&targetName);
        ASSERT_TRUE(server.openServer(target)) << server.errorText().toStdString();
    }
    void TearDown() override {
        server.close();
        if (!targetName.isEmpty()) testserver::dropDatabase(targetName);
    }

    // A small shop written the program's way, with the texts and figures that are easy to get wrong.
    void makeShop() {
        const qint64 pen = stockIn(file, u("签字笔 O'Neil \"双引号\""), u("C:\\盘\\"), 0.1 + 0.2, 100, 1.5);
        const qint64 big = stockIn(file, u("大额"), u("负数"), 123456789012.345, 3, -0.07);
        stockIn(file, QString(), QString(), 0, 0, 0); // empty texts
        ASSERT_EQ(sell(file, pen, 2.5, 3, u("张三")).status, sale::Recorded::Status::Saved);
        ASSERT_EQ(sell(file, pen, 2.5, -1, QString()).status, sale::Recorded::Status::Saved); // a return
        ASSERT_EQ(sell(file, big, 1e15, 0.001, u("李四 \\ 反斜杠")).status, sale::Recorded::Status::Saved);
        // What an older program or another writer may have left: separators of the copy's own text form
        // inside texts, the exact sum 0.1+0.2, extremes.
        ASSERT_TRUE(file.execute(u("insert into data (a,b,z,[1],[2],[5],[8],day1) values (?,?,?,?,?,?,?,?)"),
                                 {u("制表\t换行\n回车\r反斜杠\\N 结束"), u("\\."), u("\\\\t"), 0.1 + 0.2, -1e300,
                                  1e-300, 5e-324, u("2014-08-02")}));
        ASSERT_TRUE(TicketClaims::claim(file, QDate(2014, 8, 12), 7).has_value());
        ASSERT_TRUE(TicketClaims::claim(file, QDate(2014, 8, 11), 1).has_value());
        UserStore users(file);
        for (const char *name : {"李四", "O'Neil", "临时"})
            ASSERT_EQ(users.addUser(u(name)), UserStore::Added::Added);
        ASSERT_EQ(users.changePassword(u("O'Neil"), u("659"), u("密码\\'x")), UserStore::Changed::Changed);
        ASSERT_EQ(users.deleteUser(u("临时")), UserStore::Deleted::Deleted); // a gap in the IDs
        for (const char *name : {"李四", "O'Neil", "最后"}) {
            const auto id = users.openLogRow(u(name));
            ASSERT_TRUE(id.has_value());
            if (qstrcmp(name, "最后") != 0) {
                ASSERT_TRUE(users.completeLogRow(*id));
            }
        }
        // The last log row gone: the file never gives its ID again, nor may the server.
        ASSERT_TRUE(file.execute(u("delete from rz where id=(select max(id) from rz)")));
    }

    qint64 fileValue(const char *statement) { return file.scalar(QString::fromUtf8(statement)).toLongLong(); }

    TestEnv env;
    Database file, server;
    QString target, targetName;
};

TEST_F(ServerCopyTest, CopiesEveryTableRowForRowAndColumnForColumn) {
    makeShop();
    const qint64 rows = fileValue("select (select count(*) from data) + (select count(*) from data1) + "
                                  "(select count(*) from userdb) + (select count(*) from rz) + "
                                  "(select count(*) from day_counters)");
    const QString indexes = u("select count(*) from pg_indexes where schemaname='public'");
    const int indexCount = server.scalar(indexes).toInt();
    std::vector<std::pair<qint64, qint64>> reports;
    const servercopy::Result result = servercopy::copyShop(file.path(), server, [&](qint64 copied, qint64 total) {
        reports.emplace_back(copied, total);
        return true;
    });
    ASSERT_EQ(result.outcome, servercopy::Outcome::Copied) << result.message.toStdString();
    EXPECT_EQ(result.rows, rows);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), std::make_pair(rows, rows));
    for (std::size_t i = 1; i < reports.size(); ++i)
        EXPECT_LE(reports[i - 1].first, reports[i].first);
    EXPECT_TRUE(result.message.contains(u("销售记录表 data1 3 行"))) << result.message.toStdString();
    expectSameShop(file, server);
    EXPECT_EQ(server.scalar(indexes).toInt(), indexCount);
    // The charts' day totals, kept by the file and added up by the server, agree.
    Dataset fileDays, serverDays;
    ASSERT_TRUE(fileDays.load(file, u("select day1, a5, [4] from data1_days order by day1")));
    ASSERT_TRUE(serverDays.load(server, u("select day1, a5, [4] from data1_days order by day1")));
    ASSERT_EQ(fileDays.rowCount(), serverDays.rowCount());
    for (int row = 0; row < fileDays.rowCount(); ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_TRUE(sameCell(fileDays.value(row, column), serverDays.value(row, column)));
    // The copied users log in on the server with their passwords.
    EXPECT_EQ(UserStore(server).checkLogin(u("o'neil"), u("密码\\'x")), UserStore::Check::Accepted);
    EXPECT_EQ(UserStore(server).checkLogin(UserStore::superAdmin(), u("659")), UserStore::Check::Accepted);
}

TEST_F(ServerCopyTest, NewRowsOnTheServerTakeIdsAboveTheCopiedOnes) {
    makeShop();
    const qint64 lastLog = fileValue("select seq from sqlite_sequence where name='rz'");
    ASSERT_GT(lastLog, fileValue("select max(id) from rz"));
    ASSERT_EQ(servercopy::copyShop(file.path(), server).outcome, servercopy::Outcome::Copied);

    const qint64 goods = stockIn(server, u("新货"), u("型号"), 1, 10, 2);
    EXPECT_GT(goods, fileValue("select max(ID) from data"));
    const sale::Recorded sold = sell(server, goods, 2, 1, u("王五"));
    ASSERT_EQ(sold.status, sale::Recorded::Status::Saved) << sold.reason.toStdString();
    EXPECT_GT(sold.recordId, fileValue("select max(ID) from data1"));
    UserStore users(server);
    ASSERT_EQ(users.addUser(u("新人")), UserStore::Added::Added);
    EXPECT_GT(server.scalar(u("select rowid from userdb where username=?"), {u("新人")}).toLongLong(),
              fileValue("select max(rowid) from userdb"));
    const auto log = users.openLogRow(u("新人"));
    ASSERT_TRUE(log.has_value());
    EXPECT_GT(*log, lastLog);
    // The tills are told of changes again.
    EXPECT_EQ(server.scalar(u("select count(*) from pg_trigger where tgname like '%tell_tills' and tgenabled='O'"))
                  .toInt(),
              2);
}

// A server database holding anything of a shop is never written to.
TEST_F(ServerCopyTest, ATargetThatHoldsAnythingIsRefusedUnchanged) {
    makeShop();
    struct Case {
        const char *what;
        std::function<void(Database &)> fill;
    };
    const Case cases[] = {
        {"goods", [](Database &db) { stockIn(db, u("货"), u("型"), 1, 1, 1); }},
        {"sale",
         [](Database &db) {
             const qint64 goods = stockIn(db, u("货"), u("型"), 1, 1, 1);
             ASSERT_EQ(sell(db, goods, 1, 1, QString()).status, sale::Recorded::Status::Saved);
             ASSERT_TRUE(db.execute(u("delete from data")));
         }},
        {"user", [](Database &db) { ASSERT_EQ(UserStore(db).addUser(u("甲")), UserStore::Added::Added); }},
        {"another first user",
         [](Database &db) { ASSERT_TRUE(db.execute(u("update userdb set username='别人'"))); }},
        {"log row", [](Database &db) { ASSERT_TRUE(UserStore(db).openLogRow(u("甲")).has_value()); }},
        {"ticket counter", [](Database &db) { ASSERT_TRUE(TicketClaims::claim(db, QDate(2014, 8, 12), 1)); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QString name;
        Database filled;
        ASSERT_TRUE(filled.openServer(testserver::createDatabase(&name)));
        c.fill(filled);
        const QString before = everything(filled);
        const servercopy::Result result = servercopy::copyShop(file.path(), filled);
        EXPECT_EQ(result.outcome, servercopy::Outcome::Refused);
        EXPECT_TRUE(result.message.contains(u("已有数据")) && result.message.contains(u("未被改动")))
            << result.message.toStdString();
        EXPECT_EQ(everything(filled), before);
        filled.close();
        testserver::dropDatabase(name);
    }
}

// Tables or columns one side has and the other lacks would be lost: refused before anything is written.
TEST_F(ServerCopyTest, ATableOrColumnTheCopyDoesNotKnowIsRefused) {
    makeShop();
    struct Case {
        const char *what;
        const char *onFile, *onServer;
        const char *named;
    };
    const Case cases[] = {
        {"file table", "create table extra (x text)", nullptr, "extra"},
        {"server table", nullptr, "create table extra (x text)", "extra"},
        {"file column", "alter table data add column [extra] text", nullptr, "extra"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        const QString copy = folder.filePath(u("data.mdb"));
        ASSERT_TRUE(QFile::copy(file.path(), copy));
        Database other;
        ASSERT_TRUE(other.open(copy));
        if (c.onFile) {
            ASSERT_TRUE(other.execute(QString::fromUtf8(c.onFile)));
        }
        other.close();
        QString name;
        Database target;
        ASSERT_TRUE(target.openServer(testserver::createDatabase(&name)));
        if (c.onServer) {
            ASSERT_TRUE(target.execute(QString::fromUtf8(c.onServer)));
        }
        const QString before = everything(target);
        const servercopy::Result result = servercopy::copyShop(copy, target);
        EXPECT_EQ(result.outcome, servercopy::Outcome::Refused);
        EXPECT_TRUE(result.message.contains(QString::fromUtf8(c.named))) << result.message.toStdString();
        EXPECT_EQ(everything(target), before);
        target.close();
        testserver::dropDatabase(name);
    }
}

// A row the server refuses half way, or a cancel, leaves the target as empty as before: the same copy
// goes through afterwards.
TEST_F(ServerCopyTest, AFailureOrCancelHalfWayLeavesTheTargetEmpty) {
    makeShop();
    const QString empty = everything(server);
    const auto indexes = [this] { return server.scalar(u("select count(*) from pg_indexes where schemaname='public'")).toInt(); };
    const int indexCount = indexes();
    ASSERT_GT(indexCount, 5);

    struct Case {
        const char *what;
        const char *make, *undo;
        QStringList named; // what the message names
    };
    const Case cases[] = {
        // The sales records come after the goods: the goods are in when the return is refused.
        {"a refused row", "alter table data1 add constraint no_returns check (\"3\" >= 0)",
         "alter table data1 drop constraint no_returns", {u("data1"), u("no_returns")}},
        // The server stores other figures or texts than it was sent: the check after the copy sees it.
        {"a changed figure",
         "create function bump() returns trigger language plpgsql as $$ begin new.\"5\" := new.\"5\" + 1;"
         " return new; end $$; create trigger bump before insert on data for each row execute function bump()",
         "drop trigger bump on data; drop function bump()", {u("data"), u("列 5 的"), u("文件中是")}},
        {"a changed text",
         "create function cut() returns trigger language plpgsql as $$ begin new.j := left(new.j, 2);"
         " return new; end $$; create trigger cut before insert on data1 for each row execute function cut()",
         "drop trigger cut on data1; drop function cut()", {u("data1"), u("列 j 的文字总长度")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(script(server, c.make));
        const servercopy::Result result = servercopy::copyShop(file.path(), server);
        EXPECT_EQ(result.outcome, servercopy::Outcome::Failed);
        for (const QString &word : c.named)
            EXPECT_TRUE(result.message.contains(word)) << result.message.toStdString();
        EXPECT_EQ(everything(server), empty);
        EXPECT_EQ(indexes(), indexCount);
        ASSERT_TRUE(script(server, c.undo));
    }

    servercopy::Result result;
    qint64 seen = 0;
    result = servercopy::copyShop(file.path(), server, [&seen](qint64 copied, qint64) {
        seen = copied;
        return copied < 4;
    });
    EXPECT_EQ(result.outcome, servercopy::Outcome::Cancelled);
    EXPECT_GE(seen, 4);
    EXPECT_EQ(everything(server), empty);

    result = servercopy::copyShop(file.path(), server);
    ASSERT_EQ(result.outcome, servercopy::Outcome::Copied) << result.message.toStdString();
    expectSameShop(file, server);
}

// The command line: exit status 0 only for a committed copy; no window, no login.
TEST_F(ServerCopyTest, CommandLineCopiesTheShopFolderAndSaysHowItWent) {
    makeShop();
    file.close();
    const QString folder = QFileInfo(env.file(u("data.mdb"))).absolutePath();
    QTemporaryDir home;
    struct Run {
        int status;
        QString out, err;
    };
    const auto jsjxc = [&](const QStringList &arguments) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u("QT_QPA_PLATFORM"), u("offscreen"));
        environment.insert(u("HOME"), home.path());
        environment.insert(u("XDG_CONFIG_HOME"), home.filePath(u("config")));
        environment.insert(u("XDG_DATA_HOME"), home.filePath(u("data")));
        program.setProcessEnvironment(environment);
        program.start(QString::fromUtf8(JSJXC_PROGRAM), arguments);
        EXPECT_TRUE(program.waitForFinished(60000));
        return Run{program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
                   QString::fromUtf8(program.readAllStandardOutput()),
                   QString::fromUtf8(program.readAllStandardError())};
    };
    const QStringList copy{u("--shop-folder=") + folder, u("--copy-to=") + target};
    {
        // While the program works on the shop, its file is not copied.
        QLockFile running(folder + u("/data.mdb.lock"));
        ASSERT_TRUE(running.tryLock(0));
        const Run busy = jsjxc(copy);
        EXPECT_EQ(busy.status, 1);
        EXPECT_TRUE(busy.err.contains(u("请先退出程序"))) << busy.err.toStdString();
    }
    const Run done = jsjxc(copy);
    EXPECT_EQ(done.status, 0) << done.err.toStdString();
    EXPECT_TRUE(done.out.contains(u("100%")) && done.out.contains(u("已把"))) << done.out.toStdString();
    ASSERT_TRUE(file.open(env.file(u("data.mdb"))));
    expectSameShop(file, server); // no login row of its own either

    const Run again = jsjxc(copy);
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.contains(u("已有数据"))) << again.err.toStdString();
    const Run nowhere = jsjxc({u("--shop-folder=") + folder + u("/missing"), u("--copy-to=") + target});
    EXPECT_EQ(nowhere.status, 2);
    EXPECT_TRUE(nowhere.err.contains(u("不存在"))) << nowhere.err.toStdString();
    const Run bare = jsjxc({u("--shop-folder=") + folder, u("--copy-to")});
    EXPECT_EQ(bare.status, 2);
    EXPECT_FALSE(bare.err.isEmpty());
}
} // namespace
