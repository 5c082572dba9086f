#include "tests/upgrade/testserver.h"

#include <QFile>
#include <QProcess>
#include <QSemaphore>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

QByteArray TestRequest::header(const QByteArray &name) const {
    for (const auto &[key, value] : headers)
        if (key == name) return value;
    return {};
}

namespace {
QSemaphore listening;

QByteArray reasonOf(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 302:
        return "Found";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 407:
        return "Proxy Authentication Required";
    default:
        return "Status";
    }
}
} // namespace

class TestConnection : public QObject {
  public:
    TestConnection(QTcpSocket *socket, TestHttpServer *server)
        : QObject(socket), m_socket(socket), m_server(server) {
        connect(socket, &QTcpSocket::readyRead, this, &TestConnection::read);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

  private:
    void read() {
        m_buffer += m_socket->readAll();
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        if (end < 0 || m_answered) return;
        TestRequest request;
        const QList<QByteArray> lines = m_buffer.left(end).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.path = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                request.headers.append({line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed()});
        }
        const qint64 length = request.header("content-length").toLongLong();
        if (m_buffer.size() < end + 4 + length) return;
        request.body = m_buffer.mid(end + 4, length);
        m_answered = true;

        const TestReply reply = m_server->answer(request);
        if (reply.silent) return;
        QByteArray out =
            "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonOf(reply.status) + "\r\n";
        for (const auto &[name, value] : reply.headers)
            out += name + ": " + value + "\r\n";
        if (reply.announceLength)
            out +=
                "Content-Length: " +
                QByteArray::number(reply.announcedLength >= 0 ? reply.announcedLength : reply.body.size()) +
                "\r\n";
        out += "Connection: close\r\n\r\n";
        if (request.method != "HEAD") out += reply.body;
        m_socket->write(out);
        if (!reply.trickle.isEmpty()) {
            m_pieces = reply.trickle;
            m_keepOpen = reply.keepOpen;
            auto *timer = new QTimer(this);
            connect(timer, &QTimer::timeout, this, [this, timer] {
                m_socket->write(m_pieces.takeFirst());
                if (!m_pieces.isEmpty()) return;
                timer->stop();
                if (!m_keepOpen) m_socket->disconnectFromHost();
            });
            timer->start(reply.trickleMs);
            return;
        }
        if (!reply.keepOpen) m_socket->disconnectFromHost();
    }

    QTcpSocket *m_socket;
    TestHttpServer *m_server;
    QByteArray m_buffer;
    bool m_answered = false;
    QList<QByteArray> m_pieces;
    bool m_keepOpen = false;
};

TestHttpServer::TestHttpServer() : TestHttpServer(std::optional<QSslConfiguration>()) {}

TestHttpServer::TestHttpServer(const QSslConfiguration &tls)
    : TestHttpServer(std::optional<QSslConfiguration>(tls)) {}

TestHttpServer::TestHttpServer(const std::optional<QSslConfiguration> &tls) : m_tls(tls) {
    // The tests talk to 127.0.0.1 directly, whatever proxy the machine's environment names.
    for (const char *name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        qunsetenv(name);
    start();
    listening.acquire();
}

TestHttpServer::~TestHttpServer() {
    quit();
    wait();
}

void TestHttpServer::run() {
    std::unique_ptr<QTcpServer> server;
    if (m_tls) {
        auto tls = std::make_unique<QSslServer>();
        tls->setSslConfiguration(*m_tls);
        server = std::move(tls);
    } else {
        server = std::make_unique<QTcpServer>();
    }
    server->listen(QHostAddress::LocalHost, 0);
    m_port = server->serverPort();
    // An https connection is handed over once its handshake is done.
    QObject::connect(server.get(), &QTcpServer::pendingConnectionAvailable, server.get(), [this, &server] {
        while (QTcpSocket *socket = server->nextPendingConnection())
            new TestConnection(socket, this);
    });
    listening.release();
    exec();
}

QString TestHttpServer::url(const QString &path) const {
    return (m_tls ? QStringLiteral("https://127.0.0.1:") : QStringLiteral("http://127.0.0.1:")) +
           QString::number(m_port) + path;
}

std::optional<TestCertificate> makeTestCertificate(const QString &folder) {
    const QString certificate = folder + QStringLiteral("/cert.pem");
    const QString key = folder + QStringLiteral("/key.pem");
    QProcess openssl;
    openssl.start(
        QStringLiteral("openssl"),
        {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
         QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
         QStringLiteral("-keyout"), key, QStringLiteral("-out"), certificate, QStringLiteral("-days"),
         QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
         QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1")});
    if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0)
        return std::nullopt;
    QFile keyFile(key);
    if (!keyFile.open(QIODevice::ReadOnly)) return std::nullopt;
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(certificate);
    const QSslKey privateKey(keyFile.readAll(), QSsl::Ec);
    if (chain.isEmpty() || privateKey.isNull()) return std::nullopt;
    TestCertificate made{certificate, QSslConfiguration::defaultConfiguration()};
    made.tls.setLocalCertificate(chain.first());
    made.tls.setPrivateKey(privateKey);
    made.tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return made;
}

void TestHttpServer::route(const QByteArray &path, Route route) {
    QMutexLocker lock(&m_mutex);
    m_routes[path] = std::move(route);
}

void TestHttpServer::serve(const QByteArray &path, const QByteArray &body, int status,
                           QList<QPair<QByteArray, QByteArray>> headers) {
    route(path, [body, status, headers](const TestRequest &) {
        TestReply reply;
        reply.status = status;
        reply.body = body;
        reply.headers = headers;
        return reply;
    });
}

QList<TestRequest> TestHttpServer::requests() const {
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

int TestHttpServer::requestCount(const QByteArray &path) const {
    QMutexLocker lock(&m_mutex);
    int count = 0;
    for (const TestRequest &request : m_requests)
        if (request.path == path) ++count;
    return count;
}

TestReply TestHttpServer::answer(const TestRequest &request) {
    Route route;
    {
        QMutexLocker lock(&m_mutex);
        m_requests.append(request);
        const auto found = m_routes.find(request.path);
        if (found != m_routes.end()) route = found->second;
    }
    if (route) return route(request);
    TestReply missing;
    missing.status = 404;
    missing.body = "not found";
    return missing;
}

quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort(); // closed again when the probe goes
}

UnansweringListener::UnansweringListener() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    socklen_t size = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), size) != 0 ||
        ::listen(m_listener, 0) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &size) != 0)
        return;
    m_port = ntohs(address.sin_port);
    // A queue of length 0 still holds one connection; a few more make sure it is full.
    for (int i = 0; i < 3; ++i) {
        const int client = ::socket(AF_INET, SOCK_STREAM, 0);
        ::fcntl(client, F_SETFL, O_NONBLOCK);
        ::connect(client, reinterpret_cast<sockaddr *>(&address), sizeof address);
        m_queued << client;
    }
}

UnansweringListener::~UnansweringListener() {
    for (const int client : std::as_const(m_queued))
        ::close(client);
    if (m_listener >= 0) ::close(m_listener);
}
