#pragma once
// An exclusive hold on the shop's database file, taken the way the database engine locks the file
// itself: it can be taken only while no connection of any program (this one included) has the file
// open, and while it is held none can read or write it. A backup copies the file and a restore replaces
// it under this hold, so that no program starts to use the file halfway.
#include <QString>

class DatabaseFileLock {
  public:
    explicit DatabaseFileLock(QString databasePath);
    ~DatabaseFileLock();
    DatabaseFileLock(const DatabaseFileLock &) = delete;
    DatabaseFileLock &operator=(const DatabaseFileLock &) = delete;

    enum class Outcome {
        Held,  // the file is ours until release()
        InUse, // a connection has the file open
        Failed // the file could not be opened or locked; the reason in *error
    };
    Outcome acquire(QString *error);
    bool isHeld() const { return m_fd >= 0; }
    void release();

  private:
    QString m_path;
    int m_fd = -1;
};
