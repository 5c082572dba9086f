// The transfer against a real server on 127.0.0.1: bodies into memory and files, failures of every
// kind, redirects, passwords, abort and "file" addresses.
#include "tests/support/testenv.h"
#include "tests/upgrade/testserver.h"
#include "tests/upgrade/transferrecorder.h"
#include "upgrade/httptransfer.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {
QByteArray sampleBody(int size) {
    QByteArray body;
    for (int i = 0; i < size; ++i)
        body += char('a' + i % 26);
    return body;
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class HttpTransferTest : public ::testing::Test {
  protected:
    TestEnv env;
    TestHttpServer server;
    HttpTransfer transfer;
    TransferRecorder recorder{transfer};
};
} // namespace

TEST_F(HttpTransferTest, A200IntoMemoryReportsHeadersProgressAndTheWholeBody) {
    const QByteArray body = sampleBody(20000);
    server.serve(
        "/data.bin", body, 200,
        {{"Content-Type", "application/octet-stream"}, {"Last-Modified", "Tue, 29 Jul 2014 08:00:00 GMT"}});
    HttpResponse seen;
    QObject::connect(&transfer, &HttpTransfer::headersReceived, &transfer,
                     [&seen](const HttpResponse &response, bool &) { seen = response; });
    transfer.request().bypassCache = true;

    ASSERT_TRUE(recorder.run(server.url(QStringLiteral("/data.bin"))));

    EXPECT_EQ(recorder.outcome, HttpOutcome::Done);
    EXPECT_EQ(recorder.body, body);
    EXPECT_EQ(seen.status, 200);
    EXPECT_EQ(seen.contentLength, 20000);
    EXPECT_EQ(seen.contentType, QStringLiteral("application/octet-stream"));
    EXPECT_EQ(seen.lastModified, QDateTime(QDate(2014, 7, 29), QTime(8, 0), Qt::UTC).toLocalTime());
    ASSERT_GE(recorder.progress.size(), 2u) << "blocks of the buffer size, not one piece";
    for (size_t i = 1; i < recorder.progress.size(); ++i)
        EXPECT_GT(recorder.progress[i].bytes, recorder.progress[i - 1].bytes);
    EXPECT_EQ(recorder.progress.back().bytes, 20000);
    EXPECT_EQ(recorder.progress.back().percentDone, 100);
    EXPECT_TRUE(transfer.response().success);

    const TestRequest request = server.requests().value(0);
    EXPECT_EQ(request.header("accept"), "text/html, */*");
    EXPECT_EQ(request.header("pragma"), "no-cache");
    EXPECT_FALSE(request.header("user-agent").isEmpty());
}

TEST_F(HttpTransferTest, A200IntoAFileWritesItOwnerOnlyWhileHidden) {
    const QByteArray body = sampleBody(9000);
    server.serve("/f.exe", body);
    const QString target = env.file(QStringLiteral("f.exe.uTMP"));
    transfer.request().outputFile = target;
    transfer.request().hideOutputFile = true;

    ASSERT_TRUE(recorder.run(server.url(QStringLiteral("/f.exe"))));

    EXPECT_EQ(recorder.outcome, HttpOutcome::Done);
    EXPECT_TRUE(recorder.body.isEmpty()) << "a file target hands no body";
    EXPECT_EQ(readAll(target), body);
    EXPECT_EQ(QFileInfo(target).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
}

TEST_F(HttpTransferTest, FailuresEndInTheirOwnEventsAndLeaveNoPartialFile) {
    TestReply cut;
    cut.body = sampleBody(5000);
    cut.announcedLength = 50000; // the server closes early
    server.route("/cut", [cut](const TestRequest &) { return cut; });
    server.serve("/gone", "missing", 404);
    const QString closedAddress = QStringLiteral("http://127.0.0.1:%1/x").arg(closedPort());

    struct Case {
        QString address;
        HttpOutcome outcome;
        QString event;
    } cases[] = {
        {server.url(QStringLiteral("/gone")), HttpOutcome::HttpError, QStringLiteral("httpError 404")},
        {server.url(QStringLiteral("/cut")), HttpOutcome::Incomplete,
         QStringLiteral("incomplete 5000/50000")},
        {closedAddress, HttpOutcome::NoResponse, QStringLiteral("noResponse")},
    };
    const QString target = env.file(QStringLiteral("out.uTMP"));
    for (const Case &test : cases) {
        recorder.events.clear();
        transfer.request().outputFile = target;
        ASSERT_TRUE(recorder.run(test.address)) << test.address.toStdString();
        EXPECT_EQ(recorder.outcome, test.outcome) << test.address.toStdString();
        ASSERT_GE(recorder.events.size(), 2);
        EXPECT_EQ(recorder.events[recorder.events.size() - 2], QStringLiteral("failed"))
            << "the general event first";
        EXPECT_EQ(recorder.events.last(), test.event);
        EXPECT_FALSE(QFile::exists(target)) << test.address.toStdString();
    }
    EXPECT_EQ(transfer.response().status, -1) << "no status without a response";
}

TEST_F(HttpTransferTest, AResponseWithoutLengthSucceedsOnItsStatusAndShowsNoPercent) {
    TestReply reply;
    reply.body = sampleBody(10000);
    reply.announceLength = false;
    server.route("/nolength", [reply](const TestRequest &) { return reply; });

    ASSERT_TRUE(recorder.run(server.url(QStringLiteral("/nolength"))));

    EXPECT_EQ(recorder.outcome, HttpOutcome::Done);
    EXPECT_EQ(recorder.body.size(), 10000);
    EXPECT_EQ(transfer.response().contentLength, 0);
    for (const HttpProgress &figures : recorder.progress)
        EXPECT_EQ(figures.percentDone, 0);
}

TEST_F(HttpTransferTest, ARedirectIsFollowedAndReportedWithItsNewAddress) {
    server.serve("/old", "", 302, {{"Location", "/new"}});
    server.serve("/new", "moved here");
    QStringList redirects;
    QObject::connect(
        &transfer, &HttpTransfer::redirected, &transfer,
        [&redirects](const QString &address) { redirects << address; }, Qt::DirectConnection);

    ASSERT_TRUE(recorder.run(server.url(QStringLiteral("/old"))));

    EXPECT_EQ(recorder.outcome, HttpOutcome::Done);
    EXPECT_EQ(recorder.body, "moved here");
    EXPECT_EQ(redirects, QStringList{server.url(QStringLiteral("/new"))});
}

TEST_F(HttpTransferTest, A401OverHttpsIsAnsweredWithCredentialsOrEndsAsHttpError) {
    const auto certificate = makeTestCertificate(env.dir());
    ASSERT_TRUE(certificate) << "the openssl command made no certificate";
    TestHttpServer https(certificate->tls);
    transfer.request().caCertificates = certificate->certificateFile;
    const auto secret = [](const TestRequest &request) {
        TestReply reply;
        if (request.header("authorization") == "Basic " + QByteArray("shop:659").toBase64()) {
            reply.body = "the file";
        } else {
            reply.status = 401;
            reply.headers = {{"WWW-Authenticate", "Basic realm=\"upgrades\""}};
        }
        return reply;
    };
    https.route("/secret", secret);
    server.route("/secret", secret);

    // Without anyone to ask: an HTTP error with the status.
    ASSERT_TRUE(recorder.run(https.url(QStringLiteral("/secret"))));
    EXPECT_EQ(recorder.events.last(), QStringLiteral("httpError 401"));

    // Someone who gives up: the same.
    int asked = 0;
    QString realm;
    bool answer = false;
    QObject::connect(&transfer, &HttpTransfer::passwordRequested, &transfer,
                     [&](const QString &askedRealm, bool &tryAgain) {
                         ++asked;
                         realm = askedRealm;
                         if (answer) transfer.setCredentials(QStringLiteral("shop"), QStringLiteral("659"));
                         tryAgain = answer;
                     });
    ASSERT_TRUE(recorder.run(https.url(QStringLiteral("/secret"))));
    EXPECT_EQ(recorder.events.last(), QStringLiteral("httpError 401"));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(realm, QStringLiteral("upgrades"));

    // Someone who answers: the request goes again with the credentials.
    answer = true;
    ASSERT_TRUE(recorder.run(https.url(QStringLiteral("/secret"))));
    EXPECT_EQ(recorder.outcome, HttpOutcome::Done);
    EXPECT_EQ(recorder.body, "the file");
    EXPECT_EQ(asked, 2);

    // The same server over plain http is neither asked about nor sent the password it would take.
    ASSERT_TRUE(recorder.run(server.url(QStringLiteral("/secret"))));
    EXPECT_EQ(recorder.events.last(), QStringLiteral("httpError 401"));
    EXPECT_EQ(asked, 2);
    // Nor after a redirect from https to it.
    https.serve("/moved", "", 302, {{"Location", server.url(QStringLiteral("/secret")).toUtf8()}});
    ASSERT_TRUE(recorder.run(https.url(QStringLiteral("/moved"))));
    EXPECT_EQ(recorder.events.last(), QStringLiteral("httpError 401"));
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(server.requestCount("/secret"), 2);
    for (const TestRequest &request : server.requests())
        EXPECT_TRUE(request.header("authorization").isEmpty());
}

TEST_F(HttpTransferTest, AbortEndsAHangingTransferAtOnceAndDeletesItsFile) {
    TestReply hanging;
    hanging.body = sampleBody(3000);
    hanging.announcedLength = 1 << 20;
    hanging.keepOpen = true;
    server.route("/slow", [hanging](const TestRequest &) { return hanging; });
    const QString target = env.file(QStringLiteral("slow.uTMP"));
    transfer.request().outputFile = target;
    transfer.request().address = server.url(QStringLiteral("/slow"));

    ASSERT_TRUE(transfer.start());
    EXPECT_FALSE(transfer.start()) << "one transfer at a time";
    ASSERT_TRUE(QTest::qWaitFor([this] { return !recorder.progress.empty(); }, 5000));
    EXPECT_TRUE(QFile::exists(target));
    transfer.abort();

    EXPECT_FALSE(transfer.isBusy());
    EXPECT_EQ(recorder.events.last(), QStringLiteral("aborted"));
    EXPECT_FALSE(QFile::exists(target));
    QTest::qWait(50);
    EXPECT_FALSE(recorder.outcome.has_value()) << "no completion after an abort";
    EXPECT_TRUE(transfer.start()) << "a fresh worker";
    transfer.abort();
}

TEST_F(HttpTransferTest, AbortFromItsOwnProgressHandlerEndsTheTransferAndAFreshOneRuns) {
    server.serve("/big", sampleBody(200000));
    server.serve("/small", "small");
    const QString target = env.file(QStringLiteral("big.uTMP"));
    transfer.request().outputFile = target;
    transfer.request().address = server.url(QStringLiteral("/big"));
    bool once = true;
    QObject::connect(&transfer, &HttpTransfer::progress, &transfer,
                     [&](const HttpResponse &, const HttpProgress &) {
                         if (once) transfer.abort();
                         once = false;
                     });

    ASSERT_TRUE(transfer.start());
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return recorder.events.contains(QStringLiteral("aborted")); }, 5000));
    EXPECT_FALSE(transfer.isBusy());
    EXPECT_FALSE(QFile::exists(target));

    transfer.request().outputFile.clear();
    ASSERT_TRUE(recorder.run(server.url(QStringLiteral("/small"))));
    EXPECT_EQ(recorder.body, "small");
    EXPECT_EQ(recorder.progress.size(), 2u) << "nothing more from the aborted worker";
}

TEST_F(HttpTransferTest, ClearingTheContinueFlagFetchesNoBodyAndOnlyCancels) {
    server.serve("/big", sampleBody(50000));
    QObject::connect(&transfer, &HttpTransfer::headersReceived, &transfer,
                     [](const HttpResponse &, bool &proceed) { proceed = false; });
    transfer.request().outputFile = env.file(QStringLiteral("big.uTMP"));

    ASSERT_TRUE(recorder.run(server.url(QStringLiteral("/big"))));

    EXPECT_EQ(recorder.events, QStringList{QStringLiteral("cancelled")});
    EXPECT_FALSE(QFile::exists(env.file(QStringLiteral("big.uTMP"))));
}

TEST_F(HttpTransferTest, FileAddressesGive200Or404) {
    const QString source = env.file(QStringLiteral("local.inf"));
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#date=07/30/2014\n");
    file.close();

    ASSERT_TRUE(recorder.run(QUrl::fromLocalFile(source).toString()));
    EXPECT_EQ(recorder.outcome, HttpOutcome::Done);
    EXPECT_EQ(recorder.body, "#date=07/30/2014\n");

    ASSERT_TRUE(recorder.run(QUrl::fromLocalFile(env.file(QStringLiteral("none.inf"))).toString()));
    EXPECT_EQ(recorder.events.last(), QStringLiteral("httpError 404"));
}

TEST_F(HttpTransferTest, AnAddressWithoutSchemeIsFetchedOverHttpAndFormDataIsPosted) {
    server.route("/form", [](const TestRequest &request) {
        TestReply reply;
        reply.body = request.method + ' ' + request.body + ' ' + request.header("content-type") + ' ' +
                     request.header("range");
        return reply;
    });
    transfer.request().formData = QStringLiteral("a=1&b=2");
    transfer.request().startRange = 10;

    ASSERT_TRUE(recorder.run(QStringLiteral("127.0.0.1:%1/form").arg(server.port())));

    EXPECT_EQ(recorder.body, "POST a=1&b=2 application/x-www-form-urlencoded bytes=10-");
}

TEST(HttpProgressFigures, PercentTimeLeftAndRate) {
    const HttpProgress half = progressFigures(5120, 10240, 4000);
    EXPECT_EQ(half.percentDone, 50);
    EXPECT_EQ(half.elapsedSeconds, 4);
    EXPECT_EQ(half.secondsLeft, 4);
    EXPECT_FLOAT_EQ(half.transferRate, 1.25f);
    const HttpProgress unknown = progressFigures(3000, 0, 500);
    EXPECT_EQ(unknown.percentDone, 0);
    EXPECT_EQ(unknown.secondsLeft, 0);
    EXPECT_FLOAT_EQ(unknown.transferRate, 3000.0f / 1024.0f) << "not divided by zero seconds";
    EXPECT_EQ(progressFigures(2, 3, 0).percentDone, 67) << "rounded to the nearest";
}

TEST(HttpAddress, SchemeIsAddedOnlyWhenMissing) {
    EXPECT_EQ(completeAddress(QStringLiteral("example.com/a")), QStringLiteral("http://example.com/a"));
    EXPECT_EQ(completeAddress(QStringLiteral("https://example.com/a")),
              QStringLiteral("https://example.com/a"));
}
