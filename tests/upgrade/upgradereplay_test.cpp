// An old information file served again is refused: each signed information file carries a serial
// number, the highest one accepted is remembered, and no version older than the running one is
// offered. The maker's server is reached over https; a password goes to no plain-http server.
#include "store/settingsstore.h"
#include "tests/upgrade/tunnelproxy.h"
#include "tests/upgrade/upgradefixture.h"

#include <QUrl>

namespace {
const char *const olderInfo = "服务器上的升级信息比已经收到过的旧，升级已停止。";
const char *const noUpdate = "没有发现新的版本，您目前已经是最新版本。";

class UpgradeReplayTest : public UpgradeFixture {
  protected:
    // Serves the information file signed as it is, with no serial put in front.
    void publishAsIs(const QByteArray &info) {
        server.serve("/jsjxc.inf", info);
        server.serve("/jsjxc.inf.sig", upgradeverify::sign(info, keys.secretKey));
    }
    // Starts the program: a new upgrader whose offers are counted and declined.
    void start() {
        make();
        QObject::connect(upgrader.get(), &Upgrader::beginUpgrade, upgrader.get(),
                         [this](const QString &, UpgradeMethod, const QStringList &, bool &canUpgrade) {
                             ++offers;
                             canUpgrade = false;
                         });
    }
    int offers = 0;
};
} // namespace

TEST_F(UpgradeReplayTest, AnInformationFileOlderThanTheLastOneAcceptedIsRefused) {
    const QByteArray offer = "#date=08/05/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() + "\r\n";
    const struct {
        const char *serialLine;
        bool restart; // the program was started again before this check
        bool offered;
        const char *remembered;
    } steps[] = {
        {"#serial=5\r\n", false, true, "5"},
        {"#SERIAL=5\r\n", false, true, "5"}, // the same again
        {"#serial=4\r\n", false, false, "5"},
        {"#serial=4\r\n", true, false, "5"}, // after a restart
        {"", false, false, "5"},
        {"#serial=12x\r\n", false, false, "5"},
        {"#serial=-7\r\n", false, false, "5"},
        {"#serial=9\r\n", true, true, "9"},
        {"#serial=6\r\n", false, false, "9"},
    };
    start();
    for (const auto &step : steps) {
        SCOPED_TRACE(step.serialLine);
        if (step.restart) start();
        env.dialogs().clear();
        const int before = offers;
        publishAsIs(step.serialLine + offer);

        ASSERT_TRUE(check());

        EXPECT_EQ(offers - before, step.offered ? 1 : 0);
        EXPECT_EQ(env.dialogs().texts(),
                  step.offered ? QStringList() : QStringList{QString::fromUtf8(olderInfo)});
        EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("UpgradeSerial")),
                  QString::fromLatin1(step.remembered));
    }
    EXPECT_EQ(server.requestCount("/download/298vov.exe"), 0);
}

TEST_F(UpgradeReplayTest, AnInformationFileWithABadSignatureTeachesNoSerial) {
    start();
    const TestKeys stranger;
    publish("#serial=900\r\n#date=08/05/2014\r\n", stranger.secretKey);
    ASSERT_TRUE(check());
    EXPECT_TRUE(SettingsStore::instance().read(QStringLiteral("UpgradeSerial")).isEmpty());

    publish("#serial=3\r\n#date=08/05/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() + "\r\n");
    ASSERT_TRUE(check());
    EXPECT_EQ(offers, 1);
}

TEST_F(UpgradeReplayTest, NoVersionOlderThanTheRunningOneIsOffered) {
    const QByteArray file = "#url=" + url("/download/298vov.exe").toUtf8() + "\r\n";
    const struct {
        const char *lines;
        bool offered;
    } cases[] = {
        {"#date=08/05/2014\r\n#version=4.3.10\r\n", true},
        {"#date=08/05/2014\r\n", true},
        {"#date=08/05/2014\r\n#version=4.3.8.7\r\n", false}, // a later date, but an older program
        {"#version=4.3.10\r\n", false},                      // no date to show it is newer
        {"#date=2014-08-05\r\n", false},                     // nor one that reads as a date
        {"#date=07/29/2014\r\n", false},
    };
    start();
    upgrader->settings().versionNumber = QStringLiteral("4.3.9.1");
    for (const auto &test : cases) {
        SCOPED_TRACE(test.lines);
        env.dialogs().clear();
        const int before = offers;
        publish(test.lines + file);

        ASSERT_TRUE(check());

        EXPECT_EQ(offers - before, test.offered ? 1 : 0);
        EXPECT_EQ(env.dialogs().texts(),
                  test.offered ? QStringList() : QStringList{QString::fromUtf8(noUpdate)});
    }
}

TEST(UpgraderDefaults, TheMakersServerIsReachedOverHttps) {
    const QUrl address(Upgrader::defaultSettings().infoFileUrl);
    EXPECT_EQ(address.scheme(), QStringLiteral("https"));
    EXPECT_EQ(address.host(), QStringLiteral("www.jiasuisoft.cn"));
    EXPECT_EQ(address.path(), QStringLiteral("/jsjxc.inf"));
}

TEST_F(UpgradeReplayTest, APlainHttpServerAskingForAPasswordIsNeverSentOne) {
    QByteArray info = "#date=08/05/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() + "\r\n";
    info += fileLines("new program", "sha256");
    server.route("/download/298vov.exe", [](const TestRequest &request) {
        TestReply reply;
        if (request.header("authorization").isEmpty()) {
            reply.status = 401;
            reply.headers = {{"WWW-Authenticate", "Basic realm=\"registered\""}};
        } else {
            reply.body = "new program";
        }
        return reply;
    });
    publish(info);
    make();
    // The registered user's name and password, as typed for an earlier download.
    upgrader->transfer().setCredentials(QStringLiteral("vip"), QStringLiteral("2014"));
    int passwordWindows = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &watch, [&passwordWindows] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        if (modal->objectName() == QStringLiteral("TUpgraderPasswordForm")) {
            ++passwordWindows;
            press(modal, "CancelBtn");
        } else if (modal->objectName() == QStringLiteral("TUpgraderMessageForm")) {
            press(modal, "YesBtn");
        }
    });
    watch.start(10);
    env.dialogs().answer(false); // do not skip the file

    ASSERT_TRUE(check());

    EXPECT_EQ(passwordWindows, 0);
    for (const TestRequest &request : server.requests())
        EXPECT_TRUE(request.header("authorization").isEmpty()) << request.path.constData();
    EXPECT_EQ(server.requestCount("/download/298vov.exe"), 1);
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_EQ(
        env.dialogs().shown()[0].text,
        QString::fromUtf8("文档298vov.exe要求输入帐号及密码，但它的地址没有加密(不是https)，密码不会发送。"
                          "\n\n您要忽略这个文档并且继续升级操作吗？"));
    EXPECT_EQ(env.dialogs().shown()[0].title, QString::fromUtf8("错误 #401"));
    EXPECT_FALSE(upgrader->isRunning());
}

TEST_F(UpgradeReplayTest, TheWholeUpgradeRunsOverHttpsThroughAProxyWithThePassword) {
    TestHttpServer &https = httpsServer();
    TunnelProxy proxy;
    const QString file = https.url(QStringLiteral("/download/298vov.exe"));
    const QByteArray credentials = "Basic " + QByteArray("vip:2014").toBase64();
    https.route("/download/298vov.exe", [credentials](const TestRequest &request) {
        TestReply reply;
        if (request.header("authorization") == credentials) {
            reply.body = "new program";
        } else {
            reply.status = 401;
            reply.headers = {{"WWW-Authenticate", "Basic realm=\"registered\""}};
        }
        return reply;
    });
    publish("#date=08/05/2014\r\n#url=" + file.toUtf8() + "\r\n" + fileLines("new program", "sha256"), {},
            &https);
    make();
    upgrader->settings().infoFileUrl = https.url(QStringLiteral("/jsjxc.inf"));
    HttpProxy &settings = upgrader->transfer().request().proxy;
    settings.access = HttpProxy::Access::UseProxy;
    settings.server = QStringLiteral("127.0.0.1");
    settings.port = proxy.port();
    settings.bypass.clear();
    whenShown(QStringLiteral("TUpgraderMessageForm"), [](QWidget *question) {
        press(question, "YesBtn");
        whenShown(QStringLiteral("TUpgraderPasswordForm"), [](QWidget *password) {
            password->findChild<QLineEdit *>(QStringLiteral("UsernameEdit"))->setText(QStringLiteral("vip"));
            password->findChild<QLineEdit *>(QStringLiteral("PasswordEdit"))->setText(QStringLiteral("2014"));
            press(password, "OKBtn");
        });
    });

    ASSERT_TRUE(check());

    ASSERT_TRUE(upgrader->wizard() && upgrader->wizard()->isCompleted())
        << env.dialogs().texts().join(u' ').toStdString();
    QFile downloaded(programFile(QStringLiteral("298vov.exe.uTMP")));
    ASSERT_TRUE(downloaded.open(QIODevice::ReadOnly));
    EXPECT_EQ(downloaded.readAll(), "new program");
    EXPECT_TRUE(env.dialogs().shown().empty());
    EXPECT_GE(proxy.requests().size(), 3)
        << "the information file, its signature and the file, each by a tunnel";
    EXPECT_TRUE(server.requests().isEmpty());
}
