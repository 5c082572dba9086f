#include "tests/upgrade/tunnelproxy.h"

#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>

class TunnelConnection : public QObject {
  public:
    TunnelConnection(QTcpSocket *client, TunnelProxy *proxy)
        : QObject(client), m_client(client), m_proxy(proxy) {
        connect(client, &QTcpSocket::readyRead, this, &TunnelConnection::fromClient);
        connect(client, &QTcpSocket::disconnected, this, [this] {
            if (m_server) m_server->disconnectFromHost();
            m_client->deleteLater();
        });
    }

  private:
    void fromClient() {
        if (m_server) {
            m_server->write(m_client->readAll());
            return;
        }
        m_head += m_client->readAll();
        const qsizetype end = m_head.indexOf("\r\n\r\n");
        if (end < 0) return;
        const QList<QByteArray> lines = m_head.left(end).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        TunnelRequest request;
        request.target = first.value(1);
        for (const QByteArray &line : lines.mid(1))
            if (line.toLower().startsWith("proxy-authorization:"))
                request.authorization = line.mid(20).trimmed();
        if (first.value(0) != "CONNECT" || !m_proxy->admit(request)) {
            m_client->write("HTTP/1.1 407 Proxy Authentication Required\r\n"
                            "Proxy-Authenticate: Basic realm=\"shop proxy\"\r\n"
                            "Content-Length: 0\r\nConnection: close\r\n\r\n");
            m_client->disconnectFromHost();
            return;
        }
        const qsizetype colon = request.target.lastIndexOf(':');
        m_server = new QTcpSocket(this);
        connect(m_server, &QTcpSocket::connected, this, [this] {
            // Header lines of the proxy's own, which are no part of the server's answer.
            m_client->write("HTTP/1.1 200 Connection established\r\n"
                            "Proxy-Agent: shop-test-proxy\r\nX-Tunnel: open\r\n\r\n");
        });
        connect(m_server, &QTcpSocket::readyRead, this, [this] { m_client->write(m_server->readAll()); });
        connect(m_server, &QTcpSocket::disconnected, m_client, &QTcpSocket::disconnectFromHost);
        m_server->connectToHost(QString::fromLatin1(request.target.left(colon)),
                                request.target.mid(colon + 1).toUShort());
    }

    QTcpSocket *m_client;
    TunnelProxy *m_proxy;
    QTcpSocket *m_server = nullptr;
    QByteArray m_head;
};

namespace {
QSemaphore proxyListening;
}

TunnelProxy::TunnelProxy(const QByteArray &credentials) : m_credentials(credentials) {
    start();
    proxyListening.acquire();
}

TunnelProxy::~TunnelProxy() {
    quit();
    wait();
}

void TunnelProxy::run() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    m_port = server.serverPort();
    QObject::connect(&server, &QTcpServer::pendingConnectionAvailable, &server, [this, &server] {
        while (QTcpSocket *socket = server.nextPendingConnection())
            new TunnelConnection(socket, this);
    });
    proxyListening.release();
    exec();
}

QList<TunnelRequest> TunnelProxy::requests() const {
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

bool TunnelProxy::admit(const TunnelRequest &request) {
    QMutexLocker lock(&m_mutex);
    m_requests.append(request);
    return m_credentials.isEmpty() || request.authorization == m_credentials;
}
