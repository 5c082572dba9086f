// The transfer through a proxy (a second test server that answers the absolute addresses a proxy is
// sent), the proxy's password question, and the time-outs against servers that stall.
#include "tests/support/testenv.h"
#include "tests/upgrade/testserver.h"
#include "tests/upgrade/transferrecorder.h"
#include "upgrade/httptransfer.h"

#include <QFile>
#include <gtest/gtest.h>
#include <optional>

namespace {
// Sets an environment variable for the life of the object, then puts the old value back.
class ScopedVariable {
  public:
    ScopedVariable(const char *name, const QByteArray &value) : m_name(name) {
        if (qEnvironmentVariableIsSet(name)) m_old = qgetenv(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedVariable() {
        if (m_old)
            qputenv(m_name, *m_old);
        else
            qunsetenv(m_name);
    }

  private:
    const char *m_name;
    std::optional<QByteArray> m_old;
};

const QByteArray proxyCredentials = "Basic " + QByteArray("clerk:7x!pw").toBase64();

class HttpProxyTest : public ::testing::Test {
  protected:
    HttpProxyTest() {
        origin.serve("/jsjxc.inf", "direct");
        // A proxy is sent the whole address; this one answers it itself.
        proxy.route(absolute(), [](const TestRequest &) {
            TestReply reply;
            reply.body = "via proxy";
            return reply;
        });
        proxy.route("http://upgrade.invalid/jsjxc.inf", [](const TestRequest &request) {
            TestReply reply;
            if (request.header("proxy-authorization") == proxyCredentials) {
                reply.body = "through the proxy";
            } else {
                reply.status = 407;
                reply.body = "who are you";
                reply.headers = {{"Proxy-Authenticate", "Basic realm=\"shop proxy\""}};
            }
            return reply;
        });
    }

    QByteArray absolute() const { return origin.url(QStringLiteral("/jsjxc.inf")).toUtf8(); }
    QByteArray proxyVariable() const { return "http://127.0.0.1:" + QByteArray::number(proxy.port()); }
    void useProxy(const QString &bypass) {
        HttpProxy &settings = transfer.request().proxy;
        settings.access = HttpProxy::Access::UseProxy;
        settings.server = QStringLiteral("127.0.0.1");
        settings.port = proxy.port();
        settings.bypass = bypass;
    }

    TestEnv env;
    TestHttpServer origin;
    TestHttpServer proxy;
    HttpTransfer transfer;
    TransferRecorder recorder{transfer};
};
} // namespace

TEST_F(HttpProxyTest, TheAccessTypeChoosesTheEnvironmentsProxyNoneOrTheOneGiven) {
    using Access = HttpProxy::Access;
    struct Case {
        const char *what;
        Access access;
        bool proxyInEnvironment;
        QByteArray noProxyInEnvironment; // null: not set
        QString bypass;
        QByteArray expected;
    } cases[] = {
        {"the system's proxy", Access::Preconfig, true, {}, {}, "via proxy"},
        {"no system proxy", Access::Preconfig, false, {}, {}, "direct"},
        {"direct despite the system's proxy", Access::Direct, true, {}, {}, "direct"},
        {"the proxy given", Access::UseProxy, false, {}, QString(), "via proxy"},
        {"the given proxy bypassed by the default list",
         Access::UseProxy,
         false,
         {},
         HttpProxy().bypass,
         "direct"},
        {"a bypass list of several entries",
         Access::UseProxy,
         false,
         {},
         QStringLiteral("localhost;127.0.0.1"),
         "direct"},
        {"a bypass list separated by blanks",
         Access::UseProxy,
         false,
         {},
         QStringLiteral("localhost 127.0.0.1"),
         "direct"},
        {"a bypass list that does not name the host",
         Access::UseProxy,
         false,
         {},
         QStringLiteral("localhost;"),
         "via proxy"},
        {"the system's bypass list does not apply to the proxy given", Access::UseProxy, false, "127.0.0.1",
         QString(), "via proxy"},
        {"the system's proxy with the system's bypass list",
         Access::Preconfig,
         true,
         "127.0.0.1",
         {},
         "direct"},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.what);
        const ScopedVariable http("http_proxy", test.proxyInEnvironment ? proxyVariable() : QByteArray());
        const ScopedVariable noProxy("no_proxy", test.noProxyInEnvironment);
        const ScopedVariable noProxyCapitals("NO_PROXY", QByteArray());
        transfer.request().proxy = HttpProxy();
        if (test.access == Access::UseProxy)
            useProxy(test.bypass);
        else
            transfer.request().proxy.access = test.access;
        recorder.body.clear();

        ASSERT_TRUE(recorder.run(origin.url(QStringLiteral("/jsjxc.inf"))));

        EXPECT_EQ(recorder.outcome, HttpOutcome::Done);
        EXPECT_EQ(recorder.body, test.expected);
    }
    ASSERT_FALSE(proxy.requests().isEmpty());
    EXPECT_EQ(proxy.requests().value(0).path, absolute()) << "a proxy is sent the whole address";
}

TEST_F(HttpProxyTest, A407AsksForTheProxyPasswordAndTriesAgainOrEndsAsHttpError) {
    useProxy(QString());
    const QString address = QStringLiteral("http://upgrade.invalid/jsjxc.inf");

    // Without anyone to ask: an HTTP error with the status.
    ASSERT_TRUE(recorder.run(address));
    EXPECT_EQ(recorder.events.last(), QStringLiteral("httpError 407"));

    // Answers given in turn: none, a wrong password, the right one.
    struct Answer {
        QString username;
        QString password;
        bool tryAgain;
    };
    std::vector<Answer> answers{{{}, {}, false}};
    int asked = 0;
    QStringList offered; // what each question came with
    QObject::connect(&transfer, &HttpTransfer::proxyAuthenticationRequested, &transfer,
                     [&](QString &username, QString &password, bool &tryAgain) {
                         offered << username + QLatin1Char('/') + password;
                         const Answer &answer = answers.at(std::min<size_t>(asked, answers.size() - 1));
                         ++asked;
                         username = answer.username;
                         password = answer.password;
                         tryAgain = answer.tryAgain;
                     });
    int passwordsAsked = 0;
    QObject::connect(&transfer, &HttpTransfer::passwordRequested, &transfer,
                     [&passwordsAsked](const QString &, bool &) { ++passwordsAsked; });

    ASSERT_TRUE(recorder.run(address));
    EXPECT_EQ(recorder.events.last(), QStringLiteral("httpError 407")) << "TryAgain left false";
    EXPECT_EQ(asked, 1);

    asked = 0;
    answers = {{QStringLiteral("clerk"), QStringLiteral("wrong"), true},
               {QStringLiteral("clerk"), QStringLiteral("7x!pw"), true}};
    const qsizetype before = proxy.requests().size();
    ASSERT_TRUE(recorder.run(address));
    EXPECT_EQ(recorder.outcome, HttpOutcome::Done);
    EXPECT_EQ(recorder.body, "through the proxy");
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(offered.mid(offered.size() - 2),
              (QStringList{QStringLiteral("/"), QStringLiteral("clerk/wrong")}))
        << "the second question shows the first answer";
    EXPECT_EQ(passwordsAsked, 0) << "a proxy's question is not the server's";
    const QList<TestRequest> requests = proxy.requests().mid(before);
    ASSERT_EQ(requests.size(), 3);
    EXPECT_TRUE(requests[0].header("proxy-authorization").isEmpty());
    EXPECT_EQ(requests[2].header("proxy-authorization"), proxyCredentials);
    EXPECT_TRUE(requests[2].header("authorization").isEmpty()) << "the proxy's password stays with the proxy";
    EXPECT_EQ(transfer.response().status, 200);
}

TEST_F(HttpProxyTest, TimeOutsEndAStalledTransferAndItsPartialFile) {
    TestReply silent;
    silent.silent = true;
    origin.route("/silent", [silent](const TestRequest &) { return silent; });
    TestReply stalled;
    stalled.body = QByteArray(3000, 'x');
    stalled.announcedLength = 1 << 20;
    stalled.keepOpen = true;
    origin.route("/stalled", [stalled](const TestRequest &) { return stalled; });
    TestReply slow; // slower in all than the time-out, but never silent for so long
    slow.body = "piece 0;";
    slow.announcedLength = 4 * 8;
    slow.trickle = {"piece 1;", "piece 2;", "piece 3;"};
    slow.trickleMs = 400;
    origin.route("/slow", [slow](const TestRequest &) { return slow; });
    const UnansweringListener unanswering;
    ASSERT_NE(unanswering.port(), 0);

    struct Case {
        const char *what;
        QString address;
        unsigned connectMs;
        unsigned receiveMs;
        QString event;
        int status;
    } cases[] = {
        {"no answer to the request", origin.url(QStringLiteral("/silent")), 0, 500,
         QStringLiteral("noResponse"), -1},
        {"the body stops coming", origin.url(QStringLiteral("/stalled")), 0, 500,
         QStringLiteral("incomplete 3000/1048576"), 200},
        {"the connection is never accepted", QStringLiteral("http://127.0.0.1:%1/x").arg(unanswering.port()),
         300, 0, QStringLiteral("noResponse"), -1},
        {"a slow answer that keeps coming", origin.url(QStringLiteral("/slow")), 0, 1000,
         QStringLiteral("done"), 200},
        {"a quick answer within the time-outs", origin.url(QStringLiteral("/jsjxc.inf")), 300, 500,
         QStringLiteral("done"), 200},
    };
    const QString target = env.file(QStringLiteral("stalled.uTMP"));
    for (const Case &test : cases) {
        SCOPED_TRACE(test.what);
        recorder.events.clear();
        transfer.request().outputFile = target;
        transfer.request().connectTimeoutMs = test.connectMs;
        transfer.request().receiveTimeoutMs = test.receiveMs;

        // Well within a few seconds: a time-out counts from the last byte, not from an average
        // over a longer stretch.
        ASSERT_TRUE(recorder.run(test.address, 4000)) << "the time-out ended it";

        EXPECT_EQ(recorder.events.last(), test.event);
        EXPECT_EQ(transfer.response().status, test.status);
        EXPECT_EQ(QFile::exists(target), test.event == QStringLiteral("done"));
    }
}
