#pragma once
// A temporary working folder per test: its own settings file, layout file and database, the clock
// fixed, the dialogs scripted. Everything is put back when it goes.
#include "store/database.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testserver.h"

#include <QTemporaryDir>
#include <memory>

class TestEnv {
  public:
    // Fixes the clock at 2014-08-12 10:30:00 unless told otherwise.
    explicit TestEnv(const QDateTime &now = QDateTime(QDate(2014, 8, 12), QTime(10, 30, 0)));
    ~TestEnv();

    QString dir() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    // Opens (creating) data.mdb in the folder; on the server engine a fresh database of the test's own.
    Database &database();
    ScriptedDialogs &dialogs() { return m_dialogs; }

  private:
    QTemporaryDir m_dir;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<Database> m_database;
    QString m_serverDatabase;
};

// Appends a goods row with the given figures; returns its ID.
qint64 addGoods(Database &database, const QString &name, const QString &model, double price, double quantity,
                double salePrice, const QString &date = QStringLiteral("2014-08-01"));
