// Sending a request body: a server that takes the request's head and then stops reading a large POST
// stalls the send, which the send time-out ends as a step that failed before any answer (no
// response); the receive time-out does not measure sending; a large body goes out at once.
#include "tests/support/testenv.h"
#include "tests/upgrade/testserver.h"
#include "tests/upgrade/transferrecorder.h"
#include "upgrade/httptransfer.h"

#include <QElapsedTimer>
#include <arpa/inet.h>
#include <atomic>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {
// Accepts connections on 127.0.0.1, reads each request's head, may answer "100 Continue", and then
// never reads again, holding the connection until it goes. Its small receive buffer fills at once.
class StallingServer {
  public:
    explicit StallingServer(bool interimAnswer) : m_interim(interimAnswer) {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        const int small = 4096;
        ::setsockopt(m_listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), size) != 0 ||
            ::listen(m_listener, 4) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &size) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~StallingServer() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        for (const int connection : m_connections)
            ::close(connection);
        ::close(m_listener);
    }
    quint16 port() const { return m_port; }
    int heads() const { return m_heads; }

  private:
    void serve() {
        while (!m_stop) {
            pollfd ready{m_listener, POLLIN, 0};
            if (::poll(&ready, 1, 50) <= 0) continue;
            const int connection = ::accept(m_listener, nullptr, nullptr);
            if (connection < 0) continue;
            m_connections.push_back(connection);
            QByteArray head;
            char byte;
            while (!head.endsWith("\r\n\r\n") && ::read(connection, &byte, 1) == 1)
                head += byte;
            ++m_heads;
            if (m_interim) {
                static const char interim[] = "HTTP/1.1 100 Continue\r\n\r\n";
                [[maybe_unused]] const auto sent = ::write(connection, interim, sizeof interim - 1);
            }
        }
    }

    const bool m_interim;
    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_heads{0};
    std::vector<int> m_connections;
};

// Larger than what the kernel buffers between the two ends of a loopback connection.
QString largeForm() {
    return QStringLiteral("data=") + QString(16 << 20, u'x');
}
} // namespace

TEST(HttpSend, AStalledSendEndsWithTheSendTimeOutAsNoResponse) {
    TestEnv env;
    HttpTransfer transfer;
    TransferRecorder recorder(transfer);
    QStringList errors;
    QObject::connect(&transfer, &HttpTransfer::failed, &transfer,
                     [&errors](const QString &error) { errors << error; });
    const QString form = largeForm();
    for (const bool interim : {false, true}) {
        SCOPED_TRACE(interim ? "after an interim answer" : "without any answer");
        const StallingServer server(interim);
        ASSERT_NE(server.port(), 0);
        recorder.events.clear();
        errors.clear();
        transfer.request().formData = form;
        transfer.request().outputFile = env.file(QStringLiteral("answer.uTMP"));
        transfer.request().sendTimeoutMs = 500;
        transfer.request().receiveTimeoutMs = 60000; // it is the send that stalls
        QElapsedTimer clock;
        clock.start();

        ASSERT_TRUE(recorder.run(QStringLiteral("http://127.0.0.1:%1/order").arg(server.port()), 8000))
            << "the send time-out ended it";

        EXPECT_LT(clock.elapsed(), 4000);
        EXPECT_EQ(server.heads(), 1);
        EXPECT_EQ(recorder.outcome, HttpOutcome::NoResponse);
        EXPECT_EQ(recorder.events, (QStringList{QStringLiteral("failed"), QStringLiteral("noResponse")}));
        EXPECT_EQ(errors, QStringList{QStringLiteral("Timeout was reached")});
        EXPECT_EQ(transfer.response().status, -1) << "an interim answer is no answer";
        EXPECT_FALSE(QFile::exists(transfer.request().outputFile));
    }
}

TEST(HttpSend, TheReceiveTimeOutDoesNotEndAStalledSend) {
    HttpTransfer transfer;
    TransferRecorder recorder(transfer);
    const StallingServer server(false);
    transfer.request().formData = largeForm();
    transfer.request().sendTimeoutMs = 0;
    transfer.request().receiveTimeoutMs = 300;

    EXPECT_FALSE(recorder.run(QStringLiteral("http://127.0.0.1:%1/order").arg(server.port()), 1500))
        << "still sending after five receive time-outs";
    EXPECT_TRUE(transfer.isBusy());
    transfer.abort();
    EXPECT_EQ(recorder.events.last(), QStringLiteral("aborted"));
}

TEST(HttpSend, ALargeBodyGoesOutAtOnceWithinAShortSendTimeOut) {
    TestHttpServer server;
    server.route("/order", [](const TestRequest &request) {
        TestReply reply;
        reply.body = "received " + QByteArray::number(request.body.size());
        return reply;
    });
    HttpTransfer transfer;
    TransferRecorder recorder(transfer);
    // Beyond the size for which a client may first ask whether the server wants the body.
    const QString form = QStringLiteral("data=") + QString(2 << 20, u'y');
    transfer.request().formData = form;
    transfer.request().sendTimeoutMs = 300;

    ASSERT_TRUE(recorder.run(server.url(QStringLiteral("/order"))));

    EXPECT_EQ(recorder.outcome, HttpOutcome::Done) << recorder.events.join(u',').toStdString();
    EXPECT_EQ(recorder.body, "received " + QByteArray::number(form.size()));
    EXPECT_TRUE(server.requests().value(0).header("expect").isEmpty());
}
