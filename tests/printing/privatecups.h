#pragma once
// A CUPS scheduler of the test's own: cupsd with its configuration, spool and socket in a temporary
// folder, one queue "Receipt" as its default printer (the cups-pdf driver's description, the
// document kept after printing so that the test can read what the program sent). Runs as root (its
// filters then as "lp") and as any other user.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

class PrivateCups {
  public:
    PrivateCups();
    ~PrivateCups();

    // Starts the scheduler and points this process's CUPS clients at it. Empty on success; otherwise
    // why it could not run here.
    QString start();

    QString socketPath() const { return m_dir.filePath(QStringLiteral("cups.sock")); }
    // The documents of the jobs received, in the order of the jobs.
    QStringList jobDocuments() const;
    // The jobs queued so far.
    int jobCount() const;
    // Waits until the scheduler's log says that `jobs` jobs have completed; false after the timeout.
    bool waitForCompletedJobs(int jobs, int timeoutMs) const;
    QString log() const;

  private:
    bool writeConfiguration(QString *why);
    void restoreEnvironment();

    QTemporaryDir m_dir;
    QProcess m_cupsd;
    QList<QPair<QByteArray, std::optional<QByteArray>>> m_savedEnvironment;
};
