// An https address through a proxy: the proxy opens a tunnel to a TLS server on 127.0.0.1 whose
// certificate the test made. The proxy's answer to the tunnel ("200 Connection established" and its
// header lines) is no answer of the server's: the header event comes once, with the server's status
// and headers; a refused tunnel is the proxy's status; a server that cannot be trusted is no response.
#include "tests/support/testenv.h"
#include "tests/upgrade/testserver.h"
#include "tests/upgrade/transferrecorder.h"
#include "tests/upgrade/tunnelproxy.h"
#include "upgrade/httptransfer.h"

#include <QFile>
#include <curl/curl.h>
#include <gtest/gtest.h>

namespace {
// A transfer that also trusts the test's own certificate.
class TrustingTransfer : public HttpTransfer {
  public:
    explicit TrustingTransfer(const QString &certificateFile) : m_file(certificateFile.toUtf8()) {}

  protected:
    void beforeSending(void *curl) override {
        if (!m_file.isEmpty())
            curl_easy_setopt(static_cast<CURL *>(curl), CURLOPT_CAINFO, m_file.constData());
    }

  private:
    const QByteArray m_file;
};

const QByteArray proxyCredentials = "Basic " + QByteArray("clerk:7x!pw").toBase64();

class HttpsTunnelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        certificate = makeTestCertificate(env.dir());
        ASSERT_TRUE(certificate) << "the openssl command made no certificate";
        server = std::make_unique<TestHttpServer>(certificate->tls);
        server->serve("/jsjxc.inf", "version=4.4", 200,
                      {{"Content-Type", "text/plain"}, {"Last-Modified", "Tue, 29 Jul 2014 08:00:00 GMT"}});
    }

    // A transfer through `proxy`, trusting the test's certificate or not, with its header events kept.
    std::unique_ptr<HttpTransfer> transferThrough(const TunnelProxy &proxy, bool trusting) {
        auto transfer =
            std::make_unique<TrustingTransfer>(trusting ? certificate->certificateFile : QString());
        HttpProxy &settings = transfer->request().proxy;
        settings.access = HttpProxy::Access::UseProxy;
        settings.server = QStringLiteral("127.0.0.1");
        settings.port = proxy.port();
        settings.bypass.clear();
        QObject::connect(transfer.get(), &HttpTransfer::headersReceived, transfer.get(),
                         [this](const HttpResponse &response, bool &) { headerEvents.push_back(response); });
        return transfer;
    }

    QString address() const { return server->url(QStringLiteral("/jsjxc.inf")); }

    TestEnv env;
    std::optional<TestCertificate> certificate;
    std::unique_ptr<TestHttpServer> server;
    std::vector<HttpResponse> headerEvents;
};
} // namespace

TEST_F(HttpsTunnelTest, TheHeaderEventComesOnceWithTheServersStatusAndHeaders) {
    TunnelProxy proxy;
    const auto transfer = transferThrough(proxy, true);
    TransferRecorder recorder(*transfer);
    for (const bool toFile : {false, true}) {
        SCOPED_TRACE(toFile ? "into a file" : "into memory");
        headerEvents.clear();
        const QString target = env.file(QStringLiteral("jsjxc.inf.uTMP"));
        transfer->request().outputFile = toFile ? target : QString();

        ASSERT_TRUE(recorder.run(address()));

        EXPECT_EQ(recorder.outcome, HttpOutcome::Done) << recorder.events.join(u',').toStdString();
        ASSERT_EQ(headerEvents.size(), 1u);
        const HttpResponse &seen = headerEvents.front();
        EXPECT_EQ(seen.status, 200);
        EXPECT_EQ(seen.contentType, QStringLiteral("text/plain"));
        EXPECT_EQ(seen.contentLength, 11);
        EXPECT_EQ(seen.lastModified, QDateTime(QDate(2014, 7, 29), QTime(8, 0), Qt::UTC).toLocalTime());
        EXPECT_TRUE(seen.rawHeaders.startsWith(QStringLiteral("HTTP/1.1 200 OK")))
            << seen.rawHeaders.toStdString();
        EXPECT_FALSE(seen.rawHeaders.contains(QStringLiteral("Connection established")));
        EXPECT_FALSE(seen.rawHeaders.contains(QStringLiteral("X-Tunnel")));
        EXPECT_TRUE(transfer->response().success);
        if (toFile) {
            QFile file(target);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), "version=4.4");
        } else {
            EXPECT_EQ(recorder.body, "version=4.4");
        }
    }
    ASSERT_EQ(proxy.requests().size(), 2);
    EXPECT_EQ(proxy.requests().value(0).target, "127.0.0.1:" + QByteArray::number(server->port()))
        << "the address went through the proxy's tunnel";
}

TEST_F(HttpsTunnelTest, AServerThatCannotBeTrustedIsNoResponseAndNoHeaderEvent) {
    TunnelProxy proxy;
    const auto transfer = transferThrough(proxy, false);
    TransferRecorder recorder(*transfer);
    const QString target = env.file(QStringLiteral("jsjxc.inf.uTMP"));
    transfer->request().outputFile = target;

    ASSERT_TRUE(recorder.run(address()));

    EXPECT_EQ(recorder.outcome, HttpOutcome::NoResponse);
    EXPECT_EQ(recorder.events, (QStringList{QStringLiteral("failed"), QStringLiteral("noResponse")}));
    EXPECT_TRUE(headerEvents.empty()) << "the tunnel's answer is not the server's";
    EXPECT_EQ(transfer->response().status, -1);
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(proxy.requests().size(), 1);
    EXPECT_EQ(server->requests().size(), 0);
}

TEST_F(HttpsTunnelTest, ATunnelRefusedForItsPasswordAsksForTheProxyPassword) {
    TunnelProxy proxy(proxyCredentials);
    const auto transfer = transferThrough(proxy, true);
    TransferRecorder recorder(*transfer);

    // Nobody to ask: the proxy's status as an HTTP error.
    ASSERT_TRUE(recorder.run(address()));
    EXPECT_EQ(recorder.events.last(), QStringLiteral("httpError 407"));
    EXPECT_EQ(transfer->response().status, 407);

    int asked = 0;
    QObject::connect(transfer.get(), &HttpTransfer::proxyAuthenticationRequested, transfer.get(),
                     [&asked](QString &username, QString &password, bool &tryAgain) {
                         ++asked;
                         username = QStringLiteral("clerk");
                         password = QStringLiteral("7x!pw");
                         tryAgain = true;
                     });
    int passwordsAsked = 0;
    QObject::connect(transfer.get(), &HttpTransfer::passwordRequested, transfer.get(),
                     [&passwordsAsked](const QString &, bool &) { ++passwordsAsked; });
    headerEvents.clear();

    ASSERT_TRUE(recorder.run(address()));

    EXPECT_EQ(recorder.outcome, HttpOutcome::Done) << recorder.events.join(u',').toStdString();
    EXPECT_EQ(recorder.body, "version=4.4");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(passwordsAsked, 0) << "the proxy's question is not the server's";
    ASSERT_EQ(headerEvents.size(), 1u) << "the refusal and the tunnel are no answers of the server's";
    EXPECT_EQ(headerEvents.front().status, 200);
    const QList<TunnelRequest> requests = proxy.requests();
    ASSERT_EQ(requests.size(), 3);
    EXPECT_TRUE(requests[1].authorization.isEmpty());
    EXPECT_EQ(requests[2].authorization, proxyCredentials);
    EXPECT_TRUE(server->requests().value(0).header("proxy-authorization").isEmpty())
        << "the proxy's password stays with the proxy";
}
