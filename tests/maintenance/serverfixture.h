#pragma once
// A shop on the test server with goods, sales, users and login-log rows, and a fingerprint of every
// table (its rows and the sums of its figures) to tell whether a restore gave back exactly a state.
#include "store/database.h"
#include "tests/support/testenv.h"
#include "tests/support/testserver.h"
#include "tests/support/typing.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace serverfixture {

// Each table's row count and the sums of its figure columns, one line a table (readable in a failure).
inline std::string fingerprint(Database &database) {
    struct Table {
        const char *name;
        std::vector<const char *> figures;
    };
    const QList<Table> tables{
        {"data", {"[1]", "[2]", "[3]", "[4]", "[5]", "[6]", "[7]", "[8]", "ID"}},
        {"data1", {"[1]", "[2]", "[3]", "[4]", "a5", "[6]", "[7]", "[8]", "[9]", "ID"}},
        {"userdb", {"rowid"}},
        {"rz", {"id"}},
        {"day_counters", {"last"}},
        {"jsjxc_schema", {"version"}},
    };
    QStringList lines;
    for (const Table &table : tables) {
        const QString name = QLatin1String(table.name);
        QString line = name + QStringLiteral(": ") +
                       database.scalar(QStringLiteral("select count(*) from ") + name).toString();
        for (const char *figure : table.figures)
            line += QLatin1Char(' ') + QLatin1String(figure) + QLatin1Char('=') +
                    database.scalar(QStringLiteral("select sum(%1) from %2").arg(QLatin1String(figure), name))
                        .toString();
        lines << line;
    }
    return lines.join(QLatin1Char('\n')).toStdString();
}

inline void execute(Database &database, const QString &statement, const QVariantList &binds = {}) {
    if (!database.execute(statement, binds)) throw std::runtime_error(database.errorText().toStdString());
}

// Goods, two sales records, a second user, a login-log row and a ticket counter.
inline void fillShop(Database &database) {
    addGoods(database, u("电脑"), u("联想"), 3000, 5, 3500);
    addGoods(database, u("鼠标"), u("无线"), 20, 50, 35.5);
    addGoods(database, u("键盘"), u("机械"), 120.25, 7, 199);
    for (const auto &[name, quantity, amount] :
         {std::tuple{u("电脑"), 1.0, 3500.0}, std::tuple{u("鼠标"), 3.0, 106.5}})
        execute(
            database,
            QStringLiteral("insert into data1 (a,b,[4],a5,[9],day1,z) values (?,'',?,?,?,'2014-08-12',?)"),
            {name, quantity, amount, amount * 0.1, QStringLiteral("20140812001")});
    execute(database, QStringLiteral("insert into userdb (username,passwd) values (?,?)"),
            {u("张三"), QStringLiteral("x")});
    execute(database, QStringLiteral("insert into rz (username,btime) values (?,?)"),
            {u("张三"), QStringLiteral("2014-08-12 09:00:00")});
    execute(database, QStringLiteral("insert into day_counters (day,last) values ('2014-08-12',7)"));
}

// Changes of every kind to every table.
inline void changeShop(Database &database) {
    execute(database, QStringLiteral("delete from data where a=?"), {u("鼠标")});
    execute(database, QStringLiteral("update data set [2]=[2]-1, [7]=[7]-1 where a=?"), {u("电脑")});
    addGoods(database, u("显示器"), u("27寸"), 900, 2, 1299);
    execute(database, QStringLiteral("update data1 set a5=a5+1"));
    execute(database, QStringLiteral("insert into data1 (a,[4],a5,day1) values (?,1,1299,'2014-08-12')"),
            {u("显示器")});
    execute(database, QStringLiteral("delete from userdb where username=?"), {u("张三")});
    execute(database, QStringLiteral("insert into rz (username,btime) values (?,?)"),
            {u("李四"), QStringLiteral("2014-08-12 11:00:00")});
    execute(database, QStringLiteral("update day_counters set last=9"));
}

} // namespace serverfixture

#define SKIP_UNLESS_ON_SERVER()                                                                              \
    do {                                                                                                     \
        if (!testserver::active()) GTEST_SKIP() << "the server's dump files need the test server";           \
    } while (0)
