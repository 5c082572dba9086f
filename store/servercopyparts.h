#pragma once
// The pieces of servercopy.cpp that read the file and write the server table by table (store/ only).
#include "store/servercopy.h"

#include <QByteArray>
#include <vector>

struct sqlite3;
struct pg_conn;

namespace servercopy::parts {

// One column: its name on the server and the expression that reads it from the file.
struct Column {
    enum class Kind { Text, Figure, Whole };
    QByteArray server; // quoted
    QByteArray file;   // quoted, or rowid
    QString name;      // for messages
    Kind kind = Kind::Text;
};

struct TablePlan {
    const Table *table = nullptr;
    QByteArray serverName; // quoted
    QByteArray fileName;   // quoted
    QByteArray fileOrder;  // the file's expression for the row's ID (rowid when the table has none)
    std::vector<Column> columns;
    qint64 rows = 0;
};

// The copy's running count for Progress.
struct Counter {
    qint64 copied = 0;
    qint64 total = 0;
    const Progress *progress = nullptr;
    bool cancelled = false;
    bool report() { return !progress || !*progress || (*progress)(copied, total) || (cancelled = true, false); }
};

// Streams the table's rows from the file into the server's table (COPY) in ID order. False with the
// reason in *error, or with counter.cancelled.
bool streamTable(sqlite3 *file, pg_conn *server, const TablePlan &plan, Counter &counter, QString *error);
// Row count, and each column's count of values, sums and extremes, the same on both sides; false with
// the differing figures named in *error.
bool checkTable(sqlite3 *file, pg_conn *server, const TablePlan &plan, QString *error);

// A table's name for the user: "商品表 data".
QString labelOf(const Table &table);

} // namespace servercopy::parts
