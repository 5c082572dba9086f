#pragma once
// What the benchmarks share: their databases, closed before the application goes, and the floor they
// compare the program's lists with.
#include "store/database.h"

#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <vector>

// One database per size. Cleared at the end of main: Qt's connection registry does not outlive the
// application.
inline std::map<int, std::unique_ptr<Database>> &openDatabases() {
    static std::map<int, std::unique_ptr<Database>> databases;
    return databases;
}

// The bare SQLite C API doing what a snapshot load does: step the prepared statement, touch every
// text and add every figure column. Finalizes the statement; returns the rows stepped.
inline int stepTouchingEveryColumn(sqlite3_stmt *statement) {
    const int columns = sqlite3_column_count(statement);
    std::vector<double> sums(static_cast<std::size_t>(columns), 0.0);
    std::size_t textBytes = 0;
    int rows = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(statement, c) == SQLITE_TEXT) {
                benchmark::DoNotOptimize(sqlite3_column_text(statement, c));
                textBytes += static_cast<std::size_t>(sqlite3_column_bytes(statement, c));
            } else {
                sums[static_cast<std::size_t>(c)] += sqlite3_column_double(statement, c);
            }
        }
    }
    sqlite3_finalize(statement);
    benchmark::DoNotOptimize(sums.data());
    benchmark::DoNotOptimize(textBytes);
    return rows;
}
