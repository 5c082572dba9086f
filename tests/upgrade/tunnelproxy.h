#pragma once
// A proxy on 127.0.0.1 that opens tunnels: it answers "CONNECT host:port" with "200 Connection
// established" and its own header lines, then passes the bytes both ways (an https address through a
// proxy). It may ask for a password first (407). Every CONNECT is kept.
#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QThread>

struct TunnelRequest {
    QByteArray target;        // "host:port"
    QByteArray authorization; // the Proxy-Authorization header, empty when none was sent
};

class TunnelProxy : public QThread {
  public:
    // `credentials`: the Proxy-Authorization header the proxy wants; empty: it wants none.
    explicit TunnelProxy(const QByteArray &credentials = {}); // listens before it returns
    ~TunnelProxy() override;

    quint16 port() const { return m_port; }
    QList<TunnelRequest> requests() const;

  protected:
    void run() override;

  private:
    friend class TunnelConnection;
    // Keeps the request; true when it may go through.
    bool admit(const TunnelRequest &request);

    const QByteArray m_credentials;
    mutable QMutex m_mutex;
    QList<TunnelRequest> m_requests;
    quint16 m_port = 0;
};
