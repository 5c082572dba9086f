// Every transfer has a size limit: a body, an announced length, a challenge's body or the headers past it
// end the transfer as too large, with nothing past the limit kept and no partial file left.
#include "tests/support/testenv.h"
#include "tests/upgrade/testserver.h"
#include "tests/upgrade/transferrecorder.h"
#include "upgrade/httptransfer.h"

#include <QFile>
#include <QUrl>
#include <gtest/gtest.h>

namespace {
constexpr qint64 Limit = 40000;

class HttpLimitsTest : public ::testing::Test {
  protected:
    HttpLimitsTest() {
        transfer.request().maxBytes = Limit;
        QObject::connect(&transfer, &HttpTransfer::headersReceived, &transfer,
                         [this](const HttpResponse &, bool &) { ++headerEvents; });
    }

    TestEnv env;
    TestHttpServer server;
    HttpTransfer transfer;
    TransferRecorder recorder{transfer};
    int headerEvents = 0;
};

TestReply reply(const QByteArray &body, bool announce = true) {
    TestReply made;
    made.body = body;
    made.announceLength = announce;
    return made;
}
} // namespace

TEST_F(HttpLimitsTest, ABodyPastTheLimitEndsAsTooLargeAndKeepsNothing) {
    TestReply endless = reply(QByteArray(16 << 10, 'e'), false);
    endless.trickle = QList<QByteArray>(200, QByteArray(16 << 10, 'e'));
    endless.trickleMs = 1;
    endless.keepOpen = true; // it would never end by itself
    // A challenge answered by the password request: its body is read and thrown away, and endless here.
    const auto certificate = makeTestCertificate(env.dir());
    ASSERT_TRUE(certificate) << "the openssl command made no certificate";
    TestHttpServer https(certificate->tls);
    transfer.request().caCertificates = certificate->certificateFile;
    TestReply challenge = endless;
    challenge.status = 401;
    challenge.headers = {{"WWW-Authenticate", "Basic realm=\"upgrades\""}};
    https.route("/challenge", [challenge](const TestRequest &) { return challenge; });
    int asked = 0;
    QObject::connect(&transfer, &HttpTransfer::passwordRequested, &transfer,
                     [&asked](const QString &, bool &) { ++asked; });
    TestReply manyHeaders = reply("small");
    for (int i = 0; i < 400; ++i)
        manyHeaders.headers.append({"X-Filler-" + QByteArray::number(i), QByteArray(1000, 'h')});
    server.route("/endless", [endless](const TestRequest &) { return endless; });
    server.route("/announced", [](const TestRequest &) { return reply(QByteArray(Limit + 1, 'a')); });
    server.route("/unannounced",
                 [](const TestRequest &) { return reply(QByteArray(Limit + 1, 'u'), false); });
    server.route("/headers", [manyHeaders](const TestRequest &) { return manyHeaders; });
    server.serve("/small", "small");
    const QString local = env.file(QStringLiteral("local.bin"));
    QFile big(local);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(Limit + 1, 'f'));
    big.close();

    const struct {
        QString address;
        bool headerEvent; // whether the headers were shown before the limit was passed
    } cases[] = {
        {server.url(QStringLiteral("/endless")), true},     {server.url(QStringLiteral("/announced")), false},
        {server.url(QStringLiteral("/unannounced")), true}, {https.url(QStringLiteral("/challenge")), false},
        {server.url(QStringLiteral("/headers")), false},    {QUrl::fromLocalFile(local).toString(), false},
    };
    const QString target = env.file(QStringLiteral("out.uTMP"));
    for (const bool toFile : {false, true}) {
        for (const auto &test : cases) {
            SCOPED_TRACE(test.address.toStdString() + (toFile ? " into a file" : " into memory"));
            recorder.events.clear();
            recorder.progress.clear();
            headerEvents = 0;
            transfer.request().outputFile = toFile ? target : QString();

            ASSERT_TRUE(recorder.run(test.address));

            EXPECT_EQ(recorder.outcome, HttpOutcome::TooLarge);
            EXPECT_EQ(recorder.events.mid(recorder.events.size() - 2),
                      (QStringList{QStringLiteral("failed"), QStringLiteral("tooLarge 40000")}));
            EXPECT_EQ(headerEvents, test.headerEvent ? 1 : 0);
            for (const HttpProgress &figures : recorder.progress)
                EXPECT_LE(figures.bytes, Limit);
            EXPECT_LE(transfer.response().bytes, Limit);
            EXPECT_FALSE(QFile::exists(target));
            EXPECT_FALSE(transfer.isBusy());
        }
    }
    EXPECT_EQ(asked, 0) << "the challenge's body never ended, so nobody was asked";
}

TEST_F(HttpLimitsTest, ABodyOfExactlyTheLimitIsWhole) {
    server.route("/exact", [](const TestRequest &) { return reply(QByteArray(Limit, 'x'), false); });
    ASSERT_TRUE(recorder.run(server.url(QStringLiteral("/exact"))));
    EXPECT_EQ(recorder.outcome, HttpOutcome::Done);
    EXPECT_EQ(recorder.body, QByteArray(Limit, 'x'));
}
