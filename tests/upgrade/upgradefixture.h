#pragma once
// An upgrade against the test server: a key pair of the test's own, a signed information file, the
// files it lists with their hashes, a program folder and a temporary folder inside the test's folder,
// and hands that answer the upgrade's windows.
#include "tests/support/recordingshell.h"
#include "tests/support/testenv.h"
#include "tests/upgrade/testserver.h"
#include "upgrade/upgrader.h"
#include "upgrade/upgradetexts.h"
#include "upgrade/upgradeverify.h"
#include "upgrade/upgradewizard.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <sodium.h>

struct TestKeys {
    TestKeys() {
        EXPECT_GE(sodium_init(), 0);
        publicKey.resize(crypto_sign_PUBLICKEYBYTES);
        secretKey.resize(crypto_sign_SECRETKEYBYTES);
        crypto_sign_keypair(reinterpret_cast<unsigned char *>(publicKey.data()),
                            reinterpret_cast<unsigned char *>(secretKey.data()));
    }
    QByteArray publicKey;
    QByteArray secretKey;
};

// Also keeps the arguments of the programs started.
class ArgumentsShell : public RecordingShell {
  public:
    bool startProgram(const QString &program, const QStringList &arguments) override {
        starts.push_back({program, arguments});
        return !refuseStarts && RecordingShell::startProgram(program, arguments);
    }
    bool refuseStarts = false;
    struct Start {
        QString program;
        QStringList arguments;
    };
    std::vector<Start> starts;
};

// Answers the next modal window with this object name once it shows: `act` fills and presses it.
inline void whenShown(const QString &objectName, std::function<void(QWidget *)> act) {
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, objectName, act] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != objectName || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start(10);
}

inline void press(QWidget *window, const char *button) {
    window->findChild<QPushButton *>(QString::fromLatin1(button))->click();
}

class UpgradeFixture : public ::testing::Test {
  protected:
    UpgradeFixture() {
        setUpgradeLanguage(UpgradeLanguage::ChineseSimplified);
        QDir().mkpath(env.file(QStringLiteral("shop")));
        QDir().mkpath(env.file(QStringLiteral("tmp")));
        QFile program(programPath());
        EXPECT_TRUE(program.open(QIODevice::WriteOnly));
        program.write("the installed program");
    }
    ~UpgradeFixture() override {
        upgrader.reset();
        setUpgradeLanguage(std::nullopt);
    }

    QString programPath() const { return env.file(QStringLiteral("shop/jsjxc")); }
    QString programFile(const QString &name) const { return env.file(QStringLiteral("shop/") + name); }

    Upgrader &make() {
        Upgrader::Settings settings = Upgrader::defaultSettings();
        settings.infoFileUrl = server.url(QStringLiteral("/jsjxc.inf"));
        settings.publicKey = keys.publicKey;
        settings.programPath = programPath();
        settings.temporaryFolder = env.file(QStringLiteral("tmp"));
        upgrader = std::make_unique<Upgrader>(&window, settings);
        if (certificate) upgrader->transfer().request().caCertificates = certificate->certificateFile;
        return *upgrader;
    }

    // An https server with a certificate of the test's own, which the upgraders made after this call
    // trust.
    TestHttpServer &httpsServer() {
        if (!tlsServer) {
            certificate = makeTestCertificate(env.dir());
            EXPECT_TRUE(certificate) << "the openssl command made no certificate";
            tlsServer =
                std::make_unique<TestHttpServer>(certificate ? certificate->tls : QSslConfiguration());
        }
        return *tlsServer;
    }

    // Serves the information file with its signature (made with `key`, the test's own by default). An
    // information file that gives no serial number is served with serial 1 in front.
    void publish(QByteArray info, const QByteArray &secretKey = {}, TestHttpServer *on = nullptr) {
        if (!info.toLower().contains("#serial=")) info.prepend("#serial=1\r\n");
        TestHttpServer &target = on ? *on : server;
        target.serve("/jsjxc.inf", info);
        target.serve("/jsjxc.inf.sig",
                     upgradeverify::sign(info, secretKey.isEmpty() ? keys.secretKey : secretKey));
    }
    // Serves a file and returns its "#sha256…=" and "#size…=" lines for the information file; `hashKey`
    // names the suffix ("sha256", "sha2560", "sha2563", …).
    QByteArray serveFile(const QByteArray &path, const QByteArray &content, const QByteArray &hashKey) {
        server.serve(path, content, 200, {{"Last-Modified", "Tue, 05 Aug 2014 09:30:00 GMT"}});
        return fileLines(content, hashKey);
    }
    static QByteArray fileLines(const QByteArray &content, const QByteArray &hashKey) {
        return "#" + hashKey + "=" + QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex() +
               "\r\n#size" + hashKey.mid(6) + "=" + QByteArray::number(content.size()) + "\r\n";
    }
    QString url(const char *path) const { return server.url(QString::fromLatin1(path)); }

    // Runs "软件升级" until the upgrade ends (or waits in its completed wizard).
    bool check() {
        upgrader->check();
        return QTest::qWaitFor(
            [this] {
                return !upgrader->isRunning() || (upgrader->wizard() && upgrader->wizard()->isCompleted());
            },
            10000);
    }

    TestEnv env;
    TestHttpServer server;
    std::optional<TestCertificate> certificate;
    std::unique_ptr<TestHttpServer> tlsServer;
    ArgumentsShell shell;
    TestKeys keys;
    QWidget window;
    std::unique_ptr<Upgrader> upgrader;
};
