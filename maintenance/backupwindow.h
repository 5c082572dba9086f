#pragma once
// The backup window "数据库备份" (Trepair): copies data.mdb to a backup file and a checked backup back
// over data.mdb. While it is open the program's connection is closed, so that the file is whole and
// nothing writes to it; a backup or a restore holds the file so that no other program starts to use it
// meanwhile. Closing the window connects again and tells the main window to come back.
// With the shop's database on a server the same window writes and restores the server's dump files
// (.dump, maintenance/serverbackup.h); the connection stays open there, and a restore makes it anew.
#include <QString>
#include <QWidget>

class Database;
class DatabaseFileLock;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class BackupWindow : public QWidget {
    Q_OBJECT
  public:
    BackupWindow(Database &database, QWidget *owner = nullptr);

    // The preset backup target: "beifen.mdb" in the user's home folder ("beifen.dump" for a server).
    static QString defaultTarget();
    static QString defaultServerTarget();

    QLineEdit *target() const { return m_target; } // Edit1
    QLineEdit *source() const { return m_source; } // Edit2
    // The copies to restore from: those the restores kept, then the daily copies, each newest first.
    QListWidget *restoreSources() const { return m_restoreSources; }
    QLabel *defaultLink() const { return m_defaultLink; } // Label4 "默认"

    // "备份数据库" (BitBtn1).
    void backUp();
    // "默认" (Label4).
    void useDefaultTarget();
    // "打开备份文件" (Button1).
    void chooseSource();
    // "恢复数据库" (BitBtn5).
    void restore();
    // Whether a restore replaced the database while the window was open.
    bool hasRestored() const { return m_restored; }

  signals:
    // The window has closed and connected the database again (or reported why it could not).
    void reconnected(bool restored);

  protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void buildLayout();
    void storeTarget(const QString &text);
    void listRestoreSources();
    // Takes `hold` on the database file (or keeps it) and checks that no log lies beside the file. True,
    // with the user told why (after `failed` when the file cannot be locked at all), when it may not be
    // copied or replaced now.
    bool refusedWhileInUse(DatabaseFileLock &hold, const QString &failed);
    // A typed path: a relative one is taken in the shop's folder.
    QString resolved(const QString &typed) const;
    // The server's counterparts (backupwindowserver.cpp).
    void backUpServer();
    void restoreServer(const QString &source);
    // Where the restores keep the server's database as it was before them (safetycopies' names).
    QString serverSafetyBase() const;
    // The place of the shop's data, for the user: the file or the server.
    QString placeText() const;

    Database &m_database;
    QString m_databasePath;
    const bool m_onServer;
    // The server's connection string; on the server the shop's folder is the working folder (main.cpp).
    QString m_serverConnection;
    QString m_shopFolder;
    QLineEdit *m_target;
    QLineEdit *m_source;
    QLabel *m_defaultLink;
    QListWidget *m_restoreSources;
    QPushButton *m_backUp;
    QPushButton *m_chooseSource;
    QPushButton *m_restore;
    QString m_chosenSource;
    bool m_restored = false;
    bool m_centred = false;
    bool m_storeFailureShown = false;
};
