#pragma once
// A backup chosen for a restore, copied beside the shop's database and checked there before it may
// replace the database: the store's own opening (which refuses foreign and newer files and brings
// older ones up to date), SQLite's integrity check and the four tables. The chosen file itself is never
// changed. The current database is kept as the safety copy "data.mdb.bak", but the previous safety copy
// is replaced only once the restore has happened. Whatever is left over goes with this object.
#include <QString>

class RestoreCandidate {
  public:
    explicit RestoreCandidate(QString databasePath);
    ~RestoreCandidate();
    RestoreCandidate(const RestoreCandidate &) = delete;
    RestoreCandidate &operator=(const RestoreCandidate &) = delete;

    // Copies the chosen file beside the database and checks the copy. False with the reason in
    // refusal(); the database is untouched either way.
    bool prepare(const QString &source);
    // The checked copy, ready to be copied over the database.
    QString path() const { return m_candidate; }
    QString refusal() const { return m_refusal; }

    // Copies the current database aside before it is replaced; kept apart until keepSafetyCopy().
    bool stageSafetyCopy(QString *error);
    // After the restore: the staged copy becomes "data.mdb.bak", replacing the previous one.
    bool keepSafetyCopy(QString *error);

  private:
    QString m_databasePath;
    QString m_candidate;
    QString m_staged;
    QString m_refusal;
};

// Why a database file cannot serve as the shop's database, or an empty text when it can. Opens the file
// with the store's own code, so an older file is brought up to date in place: give it a copy.
QString refusalOfDatabaseFile(const QString &path);
