#pragma once
// The shop's automatic daily copies: at the first close of each day a verified copy of the database
// goes into "backups/" beside data.mdb as "data-yyyy-mm-dd.mdb", and only the newest ones are kept.
// A copy that fails is remembered in the settings and reported at the next start. Copies dated after
// today (the computer's clock once ran ahead) are neither counted nor deleted, and told once.
#include <QDate>
#include <QList>
#include <QString>

namespace dailycopies {

inline constexpr int Kept = 14;

struct Copy {
    QDate day;
    QString path;
    qint64 bytes = 0;
};

QString folder(const QString &databasePath);
QString pathFor(const QString &databasePath, const QDate &day);
// The copies in the folder, newest first; other files there are left out.
QList<Copy> list(const QString &databasePath);

enum class Outcome { Written, AlreadyThere, Failed };
struct Result {
    Outcome outcome;
    QString error; // why it failed
};
// Writes the day's copy unless it is there already, then keeps only the newest `keep` up to that day.
// Works over a connection of its own, so it may run on another thread while the program's connection
// is open.
Result makeCopy(const QString &databasePath, const QDate &day, int keep = Kept);

// Writes a consistent copy of the database (SQLite's online backup, which sees every committed write,
// also those still in the write-ahead log) to `target`, which is then one self-contained file. The
// copy is checked (integrity check) under a temporary name and renamed into place only when it passes;
// a failure leaves no file under the target's name.
bool writeVerifiedCopy(const QString &databasePath, const QString &target, QString *error);

// Deletes all but the newest `keep` copies dated up to `today` (at least today's own stays). Copies
// dated after it are left alone and not counted.
void prune(const QString &databasePath, const QDate &today, int keep = Kept);

// The same for the copies named "data-yyyy-mm-dd<ending>" in `folder` (the server's ".dump" copies).
QList<Copy> listIn(const QString &folder, const QString &ending);
void pruneIn(const QString &folder, const QString &ending, const QDate &today, int keep = Kept);

// Copies dated after `today` that were not told of before: a text telling of them, or an empty one.
// Those it tells of are remembered, so each is told once.
QString takeNoticeOfCopiesAhead(const QString &databasePath, const QDate &today);

// The failure of the last copy, kept for the next start; empty text clears it.
bool rememberFailure(const QString &why);
// The remembered failure, cleared as it is taken; empty when the last copy went well.
QString takeRememberedFailure();

} // namespace dailycopies
