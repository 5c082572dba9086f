#pragma once
// A PostgreSQL server of the test's own (scripts/testserver.sh in a temporary folder), which the test
// may stop and start again on the same port as a shop's server goes down and comes back. Removed
// with the object.
#include <QString>

class ThrowAwayServer {
  public:
    // Makes the cluster and starts it; started() says whether it runs, with the reason in error().
    ThrowAwayServer();
    ~ThrowAwayServer();
    ThrowAwayServer(const ThrowAwayServer &) = delete;
    ThrowAwayServer &operator=(const ThrowAwayServer &) = delete;

    bool started() const { return !m_connection.isEmpty(); }
    QString error() const { return m_error; }
    // The server's maintenance database.
    QString connection() const { return m_connection; }
    // A shutdown as the server's administrator makes it (its sessions told and ended), waited for.
    bool stop();
    // Up again on the same port and folder, waited for.
    bool start();

  private:
    bool pgCtl(const QStringList &arguments);

    QString m_folder;
    QString m_connection;
    QString m_port;
    QString m_error;
};
