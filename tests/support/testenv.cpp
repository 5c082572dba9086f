#include "tests/support/testenv.h"

#include "store/clock.h"
#include "store/settingsstore.h"
#include "tests/support/testserver.h"

#include <QVariant>
#include <stdexcept>

TestEnv::TestEnv(const QDateTime &now) {
    if (!m_dir.isValid()) throw std::runtime_error("no temporary folder");
    SettingsStore::setInstancePath(m_dir.filePath(QStringLiteral("config/tuomei/vov.ini")));
    Clock::fix(now);
}

TestEnv::~TestEnv() {
    m_database.reset();
    if (!m_serverDatabase.isEmpty()) testserver::dropDatabase(m_serverDatabase);
    Clock::fix(std::nullopt);
    SettingsStore::setInstancePath(SettingsStore::defaultPath());
}

Database &TestEnv::database() {
    if (!m_database) {
        m_database = std::make_unique<Database>();
        bool opened = false;
        if (testserver::active()) {
            const QString connection = testserver::createDatabase(&m_serverDatabase);
            opened = m_database->openServer(connection);
            // The program finds its server where a shopkeeper's settings name it.
            SettingsStore::instance().write(QStringLiteral("database"), connection);
        } else {
            opened = m_database->open(file(QStringLiteral("data.mdb")));
        }
        if (!opened) throw std::runtime_error(m_database->errorText().toStdString());
    }
    return *m_database;
}

qint64 addGoods(Database &database, const QString &name, const QString &model, double price, double quantity,
                double salePrice, const QString &date) {
    const bool ok = database.execute(
        QStringLiteral("insert into data (a,b,c,d,e,f,g,z,[1],[2],[3],[4],[5],[6],[7],[8],day1) "
                       "values (?,?,'','','','','','',?,?,?,?,0,0,?,?,?)"),
        {name, model, price, quantity, price * quantity, salePrice, quantity, price * quantity, date});
    if (!ok) throw std::runtime_error(database.errorText().toStdString());
    return database.lastInsertId();
}
