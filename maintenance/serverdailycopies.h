#pragma once
// The daily copies of a shop whose database is on a server: at the first close of each day a verified
// pg_dump file goes into "backups/" of the shop's folder as "data-yyyy-mm-dd.dump", and only the newest
// ones are kept, under the rules of the file's daily copies (maintenance/dailycopies.h).
#include "maintenance/dailycopies.h"

namespace serverdailycopies {

QString folder(const QString &shopFolder);
QString pathFor(const QString &shopFolder, const QDate &day);
// The copies in the folder, newest first.
QList<dailycopies::Copy> list(const QString &shopFolder);

// Writes the day's copy of the database `connection` unless it is there already, then keeps only the
// newest `keep` up to that day. A failure removes nothing.
dailycopies::Result makeCopy(const QString &shopFolder, const QString &connection, const QDate &day,
                             int keep = dailycopies::Kept);

} // namespace serverdailycopies
