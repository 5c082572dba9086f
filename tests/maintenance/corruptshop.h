#pragma once
// A shop database that opens but fails SQLite's integrity check: the index on data.day1 is declared on
// another column, so its entries no longer match the rows.
#include "store/database.h"
#include "tests/support/testenv.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>

inline void makeCorruptShop(const QString &path) {
    {
        Database database;
        ASSERT_TRUE(database.open(path));
        for (int i = 0; i < 20; ++i)
            addGoods(database, QStringLiteral("g%1").arg(i), QStringLiteral("m"), 1, 1, 2,
                     QStringLiteral("2014-08-%1").arg(10 + i % 9));
    }
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    const char *sql =
        "PRAGMA writable_schema=ON;"
        "UPDATE sqlite_master SET sql='CREATE INDEX data_day1 ON data (a)' WHERE name='data_day1';"
        "PRAGMA writable_schema=OFF;";
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}
