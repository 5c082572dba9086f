#pragma once
// The copies of the shop's database that restores keep: before a restore replaces data.mdb, the file as
// it was gets a name of its own beside it, "data.mdb.bak-yyyyMMdd-hhmmss" ("-2", "-3", … after it when
// that name is taken). No copy ever replaces another, so every state the shop was restored away from,
// also by a second restore or by restoring data.mdb onto itself, can be restored again.
#include <QDateTime>
#include <QList>
#include <QString>

namespace safetycopies {

struct Copy {
    QDateTime made;
    int sequence = 1; // 2, 3, … for further copies of the same second; 0 for the single "data.mdb.bak"
    QString path;
    qint64 bytes = 0;
};

// The name a copy made at `when` is given when it is the first of that second.
QString nameFor(const QString &databasePath, const QDateTime &when, int sequence = 1);

// The kept copies, newest first; the single "data.mdb.bak" of earlier versions of the program is among
// them, dated by its file.
QList<Copy> list(const QString &databasePath);

// Gives `staged` (a complete file, already on disk, in the database's folder) the first free name for
// `when`, never replacing a file. The name it got, or an empty text with the reason in *error.
QString keep(const QString &databasePath, const QString &staged, const QDateTime &when, QString *error);

} // namespace safetycopies
