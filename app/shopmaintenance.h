#pragma once
// The backup window, the daily copies, the help window and the about box in the shop: "数据备份" with
// the main window hidden and brought back, the lists reloaded after the window connected again, the
// day's copy at the close with a failure (and copies dated after today) reported after the next login,
// and the commands of the "技术支持" menu.
#include "maintenance/dailycopies.h"

#include <QObject>
#include <QString>
#include <future>

class AboutBox;
class BackupWindow;
class Database;
class HelpWindow;
class Shop;

class ShopMaintenance : public QObject {
    Q_OBJECT
  public:
    ShopMaintenance(Database &database, Shop &shop);
    ~ShopMaintenance() override;

    HelpWindow *help() const { return m_help; } // Tchhform
    AboutBox *about() const { return m_about; } // TAboutBox

    // "数据备份": the backup window in front (made when it is not open), the main window hidden.
    BackupWindow *openBackupWindow();
    // The day's verified copy beside data.mdb, started when the main window has closed. It runs on a
    // thread of its own, so the window goes at once; the program waits for it before it ends.
    void makeDailyCopy();
    // Waits for the copy started by makeDailyCopy(); a failure is remembered for the next start.
    void finishDailyCopy();
    // A daily copy that failed at an earlier close, and daily copies dated after today, each told once.
    void reportDailyCopies();

  private:
    void onBackupWindowClosed(bool restored);
    void continueLogAfterRestore();

    Database &m_database;
    Shop &m_shop;
    HelpWindow *m_help = nullptr;
    AboutBox *m_about = nullptr;
    std::future<dailycopies::Result> m_dailyCopy;
    // When this run's login-log row began, read as the backup window opened.
    QString m_logStart;
};
