#pragma once
// Moving a shop from data.mdb to a PostgreSQL server: every table the program keeps, every column and
// every row with its own ID, into a server database that holds nothing yet, in one transaction that
// is checked against the file before it is committed. For the command line and a window alike (no
// window code here).
#include <QString>
#include <functional>
#include <span>

class Database;

namespace servercopy {

// Rows copied so far and the rows of the whole shop, called every few thousand rows and at the end of
// each table. Returning false cancels: everything is rolled back. A window keeps itself responsive by
// processing its events here.
using Progress = std::function<bool(qint64 copied, qint64 total)>;

enum class Outcome {
    Copied,    // committed and checked
    Refused,   // the file or the server database is not fit for a copy; nothing was written
    Cancelled, // stopped through Progress; rolled back
    Failed,    // the server refused a row, the connection broke, or the check found a difference;
               // rolled back
};

struct Result {
    Outcome outcome = Outcome::Failed;
    QString message; // for the user, in Chinese: what was copied, or why not
    qint64 rows = 0; // rows copied (committed only with Copied)
};

// Copies the shop in the data.mdb at filePath into `server`, a database opened with openServer() that
// holds nothing but what openServer() made in an empty database: no goods, no sales records, no login
// log rows, no ticket counters, and one user, the super administrator (the file's users replace it).
// Anything else is refused unchanged. The file is only read (an older one is first brought up to the
// program's version, as any start of the program does), in one snapshot. Afterwards each ID counter
// stands at the highest ID copied, so new rows on any till take IDs above them.
Result copyShop(const QString &filePath, Database &server, const Progress &progress = {});

// The tables a copy carries, and the column of each that holds the row's own ID (nullptr: none).
struct Table {
    const char *name;
    const char *identity;
    const char *label; // for the user, UTF-8
};
std::span<const Table> tables();

} // namespace servercopy
