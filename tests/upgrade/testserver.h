#pragma once
// A small HTTP server on 127.0.0.1 for the transfer and upgrade tests, on a thread of its own so that
// it answers while the test waits. Each path answers with a scripted reply; every request is kept.
#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QSslConfiguration>
#include <QString>
#include <QThread>
#include <functional>
#include <map>
#include <optional>

struct TestRequest {
    QByteArray method;
    QByteArray path;
    QByteArray header(const QByteArray &name) const; // by lower-case name
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
};

struct TestReply {
    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    bool announceLength = true;
    qint64 announcedLength = -1; // -1: the body's size
    bool keepOpen = false;       // send and then hold the connection without closing it
    bool silent = false;         // read the request and never answer, holding the connection
    QList<QByteArray> trickle;   // more of the body after the first part, one piece per interval
    int trickleMs = 0;
};

class TestHttpServer : public QThread {
  public:
    using Route = std::function<TestReply(const TestRequest &)>;

    TestHttpServer(); // listens on a free port before it returns
    // An https server with this certificate and key.
    explicit TestHttpServer(const QSslConfiguration &tls);
    ~TestHttpServer() override;

    quint16 port() const { return m_port; }
    QString url(const QString &path) const;

    void route(const QByteArray &path, Route route);
    void serve(const QByteArray &path, const QByteArray &body, int status = 200,
               QList<QPair<QByteArray, QByteArray>> headers = {});
    QList<TestRequest> requests() const;
    int requestCount(const QByteArray &path) const;

  protected:
    void run() override;

  private:
    explicit TestHttpServer(const std::optional<QSslConfiguration> &tls);
    friend class TestConnection;
    TestReply answer(const TestRequest &request);

    std::optional<QSslConfiguration> m_tls;
    mutable QMutex m_mutex;
    std::map<QByteArray, Route> m_routes;
    QList<TestRequest> m_requests;
    quint16 m_port = 0;
};

// A free port with nothing listening on it.
quint16 closedPort();

// A port whose listener never accepts and whose queue is already full: the kernel drops further
// connection attempts, so a client hangs in its connect until its own time-out ends it.
class UnansweringListener {
  public:
    UnansweringListener();
    ~UnansweringListener();
    quint16 port() const { return m_port; }

  private:
    int m_listener = -1;
    QList<int> m_queued; // the connections that fill the queue
    quint16 m_port = 0;
};

// A certificate for 127.0.0.1 signed by itself, made with the openssl command into `folder` (as
// cert.pem and key.pem), for a TestHttpServer; empty when it could not be made.
struct TestCertificate {
    QString certificateFile;
    QSslConfiguration tls;
};
std::optional<TestCertificate> makeTestCertificate(const QString &folder);
