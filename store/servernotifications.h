#pragma once
// What the other tills change on the shop's server, as it happens: the server tells every listening
// connection the ID of each goods row and sales record written (the schema's jsjxc_tell_tills), and
// this listener, on a connection of its own, hands them on as signals so that the lists follow.
// It never waits on the server: connecting, listening and reading run from the event loop on the
// socket (libpq's non-blocking calls), so a notification is not held up behind a long list the main
// connection reads, and a server that is gone does not freeze the window.
#include <QObject>
#include <QSet>

class Database;
class QSocketNotifier;
class QTimer;
struct pg_conn;

class ServerNotifications : public QObject {
    Q_OBJECT
  public:
    static constexpr auto GoodsChannel = "jsjxc_goods";
    static constexpr auto SalesChannel = "jsjxc_sales";
    // What arrives within this time is handed on as one batch: a sale writes its goods row and its
    // record, a restore or a stock-taking thousands of rows.
    static constexpr int BatchMilliseconds = 15;
    // A batch over more rows of one table than this asks for the whole list instead.
    static constexpr int MostRowsOneByOne = 50;

    // `database` is the program's own connection: what its writes tell is not handed on (the window
    // that wrote has shown the row already).
    explicit ServerNotifications(Database &database, QObject *parent = nullptr);
    ~ServerNotifications() override;

    // Connects and listens; a connection lost later is made again by itself.
    void start();
    bool isListening() const { return m_state == State::Listening; }
    // The server process of the listening connection (0 while there is none).
    int backendPid() const;

  signals:
    // Another till wrote (or deleted) this goods row / sales record; once per row and batch.
    void goodsChanged(qint64 id);
    void salesChanged(qint64 id);
    // Too many rows at once, or notifications missed while the connection was lost: the whole list.
    void goodsReloadNeeded();
    void salesReloadNeeded();
    // The listening took, first or again.
    void listening();

  private:
    enum class State { Idle, Connecting, Subscribing, Listening };
    void connectNow();
    void pollConnection();
    void watch(bool forReading, bool forWriting);
    void onReadable();
    void take(const char *channel, const char *payload);
    void handOn();
    void lose();

    Database &m_database;
    QByteArray m_connectionString;
    pg_conn *m_connection = nullptr;
    State m_state = State::Idle;
    bool m_listenedBefore = false;
    bool m_missed = false;
    QSocketNotifier *m_reader = nullptr;
    QSocketNotifier *m_writer = nullptr;
    QTimer *m_retry = nullptr;
    QTimer *m_connectLimit = nullptr;
    QTimer *m_batch = nullptr;
    int m_retryDelay = 0;
    QSet<qint64> m_goods;
    QSet<qint64> m_sales;
    bool m_goodsOverflow = false;
    bool m_salesOverflow = false;
};
