#pragma once
// A backup chosen for a restore, copied into a folder of its own beside the shop's database and checked
// there before it may replace the database: the store's own opening (which refuses foreign and newer
// files and brings older ones up to date), SQLite's integrity check and the four tables. The chosen file
// itself is never changed. Before the database is replaced, the file as it is gets a safety copy of its
// own name beside it (safetycopies.h). Whatever is left over goes with this object.
#include <QString>
#include <memory>

class QTemporaryDir;
class QWidget;

class RestoreCandidate {
  public:
    explicit RestoreCandidate(QString databasePath);
    ~RestoreCandidate();
    RestoreCandidate(const RestoreCandidate &) = delete;
    RestoreCandidate &operator=(const RestoreCandidate &) = delete;

    // Copies the chosen file (through the shell's copy, over `parent`) beside the database and checks
    // the copy. False with the reason in refusal(); the database is untouched either way.
    bool prepare(QWidget *parent, const QString &source);
    // The checked copy, ready to take the database's name.
    QString path() const { return m_candidate; }
    QString refusal() const { return m_refusal; }

    // Copies the current database aside, to be kept by keepSafetyCopy().
    bool stageSafetyCopy(QString *error);
    // The staged copy gets a name of its own beside the database, made from the clock and never one
    // that is taken (keptPath()).
    bool keepSafetyCopy(QString *error);
    QString keptPath() const { return m_kept; }

    // Puts the checked copy in the database's place in one rename, once it is on disk; the log files of
    // the replaced database go first. Only while the database file is held (DatabaseFileLock).
    bool replaceDatabase(QString *error);

  private:
    bool makeWorkFolder(QString *error);

    QString m_databasePath;
    std::unique_ptr<QTemporaryDir> m_work;
    QString m_candidate;
    QString m_staged;
    QString m_kept;
    QString m_refusal;
};

// Why a database file cannot serve as the shop's database, or an empty text when it can. Opens the file
// with the store's own code, so an older file is brought up to date in place: give it a copy.
QString refusalOfDatabaseFile(const QString &path);
