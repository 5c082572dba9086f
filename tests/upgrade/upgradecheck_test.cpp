// "软件升级" against the test server: the offer, the downloads with their questions, the checks of the
// signature and the hashes, and how each failure ends.
#include "tests/upgrade/upgradefixture.h"
#include "upgrade/installation.h"
#include "upgrade/upgradewaitwindow.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>

namespace {
QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList uTmpFiles(const QString &folder) {
    return QDir(folder).entryList({QStringLiteral("*.uTMP")}, QDir::Files | QDir::Hidden);
}

class UpgradeCheckTest : public UpgradeFixture {};
} // namespace

TEST_F(UpgradeCheckTest, NoNewerVersionOrNoFileListedIsReportedAndAsksNothing) {
    const QByteArray cases[] = {
        "#date=07/29/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() + "\r\n", // the same date
        "#date=01/15/2013\r\n#url=" + url("/download/298vov.exe").toUtf8() + "\r\n", // older
        "#date=08/01/2014\r\n",                                                      // newer, nothing listed
    };
    make();
    for (const QByteArray &info : cases) {
        env.dialogs().clear();
        publish(info);
        ASSERT_TRUE(check());
        ASSERT_EQ(env.dialogs().shown().size(), 1u) << info.constData();
        EXPECT_EQ(env.dialogs().lastText(), QString::fromUtf8("没有发现新的版本，您目前已经是最新版本。"));
        EXPECT_EQ(env.dialogs().shown()[0].title, QString::fromUtf8("软件升级精灵"));
        EXPECT_EQ(env.dialogs().shown()[0].kind, Dialogs::Kind::Error);
    }
    EXPECT_EQ(server.requestCount("/download/298vov.exe"), 0);
    EXPECT_EQ(server.requests().value(0).header("pragma"), "no-cache")
        << "the information file is never cached";
}

TEST_F(UpgradeCheckTest, ANewerVersionDeclinedDownloadsNothing) {
    publish("#date=08/05/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() +
            "\r\n#message={修正了小票打印}\r\n");
    make();
    int later = 0;
    QObject::connect(upgrader.get(), &Upgrader::laterUpgrade, upgrader.get(), [&later] { ++later; });
    QString asked;
    whenShown(QStringLiteral("TUpgraderMessageForm"), [&asked](QWidget *question) {
        asked = question->findChild<QLabel *>(QStringLiteral("Label1"))->text();
        press(question, "LaterBtn");
    });

    ASSERT_TRUE(check());

    EXPECT_EQ(asked,
              QString::fromUtf8("嘉穗进销存已经有新版本推出，\n\n修正了小票打印\n\n您要升级到新版本吗？"));
    EXPECT_EQ(later, 1);
    EXPECT_EQ(server.requestCount("/download/298vov.exe"), 0);
    EXPECT_TRUE(env.dialogs().shown().empty());
}

TEST_F(UpgradeCheckTest, ALostFileSkippedLeavesTheOthersToInstall) {
    // url and url0 go on with number 3; the lost file in the middle is skipped on Yes.
    QByteArray info = "#DATE=08/05/2014\r\n#URL=" + url("/download/298vov.exe").toUtf8() +
                      "\r\n#url0=" + url("/download/gone.dat").toUtf8() +
                      "\r\n#url3=" + url("/download/ReadMe.txt").toUtf8() + "\r\n";
    info += serveFile("/download/298vov.exe", "new program", "sha256");
    info += fileLines("the lost file", "sha2560"); // listed, but gone from the server
    info += serveFile("/download/ReadMe.txt", "what is new", "sha2563");
    publish(info);
    make();
    int closeRequests = 0;
    QObject::connect(upgrader.get(), &Upgrader::programShouldClose, upgrader.get(), [&] { ++closeRequests; });
    whenShown(QStringLiteral("TUpgraderMessageForm"), [](QWidget *question) { press(question, "YesBtn"); });
    env.dialogs().answer(true); // skip the lost file

    ASSERT_TRUE(check());

    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_EQ(env.dialogs().shown()[0].text,
              QString::fromUtf8("文档gone.dat找不到或者发生错误，\n\n您要忽略这个文档并且继续升级操作吗？"));
    EXPECT_EQ(env.dialogs().shown()[0].title, QString::fromUtf8("错误 #404"));
    ASSERT_TRUE(upgrader->wizard() && upgrader->wizard()->isCompleted());
    EXPECT_EQ(readAll(programFile(QStringLiteral("298vov.exe.uTMP"))), "new program");
    EXPECT_EQ(readAll(programFile(QStringLiteral("ReadMe.txt.uTMP"))), "what is new");
    EXPECT_EQ(QFileInfo(programFile(QStringLiteral("ReadMe.txt.uTMP"))).lastModified(),
              QDateTime(QDate(2014, 8, 5), QTime(9, 30), Qt::UTC).toLocalTime());
    EXPECT_TRUE(shell.starts.empty()) << "nothing installs before the wizard's OK";
    UpgradeWizard *wizard = upgrader->wizard();
    const auto label = [wizard](const char *name) {
        return wizard->findChild<QLabel *>(QString::fromLatin1(name))->text();
    };
    EXPECT_EQ(label("AllDownloading"), QString::fromUtf8("当前正在下载:3 of 3"));
    EXPECT_EQ(label("FileSizeLab"), QString::fromUtf8("文档大小:0.0 Kb")) << "11 bytes";
    EXPECT_EQ(wizard->findChild<QProgressBar *>(QStringLiteral("ProgressAllFiles"))->value(), 100);
    EXPECT_EQ(label("WizardTitle"), QString::fromUtf8("升级完成！"));
    EXPECT_EQ(label("AfterNote"), QString::fromUtf8("嘉穗进销存 已经升级完成，\n\n请按[确定]键重新启动程序"));
    EXPECT_FALSE(wizard->findChild<QPushButton *>(QStringLiteral("CancelBtn"))->isEnabled());
    EXPECT_EQ(wizard->findChild<QPushButton *>(QStringLiteral("FinishBtn"))->text(),
              QString::fromUtf8("[&O]确定"));

    press(upgrader->wizard(), "FinishBtn");

    ASSERT_EQ(shell.starts.size(), 1u);
    const QString upgraderPath = shell.starts[0].program;
    EXPECT_EQ(QFileInfo(QFileInfo(upgraderPath).absolutePath()).absolutePath(),
              env.file(QStringLiteral("tmp")))
        << "in a folder of its own in the temporary folder";
    EXPECT_EQ(QFileInfo(upgraderPath).fileName(), QStringLiteral("Upgrader"));
    EXPECT_EQ(shell.starts[0].arguments,
              (QStringList{programPath(), QStringLiteral("+/afterupgrade0"),
                           QStringLiteral("298vov.exe.uTMP"), QStringLiteral("ReadMe.txt.uTMP")}));
    EXPECT_EQ(readAll(upgraderPath), installation::upgraderImage());
    EXPECT_GT(installation::upgraderImage().size(), 1000) << "the upgrader program is carried inside";
    EXPECT_TRUE(QFileInfo(upgraderPath).isExecutable());
    EXPECT_EQ(closeRequests, 1);
}

TEST_F(UpgradeCheckTest, ALostFileNotSkippedGivesUpAndDeletesWhatWasDownloaded) {
    QByteArray info = "#date=08/05/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() +
                      "\r\n#url0=" + url("/download/gone.dat").toUtf8() + "\r\n";
    info += serveFile("/download/298vov.exe", "new program", "sha256");
    info += fileLines("the lost file", "sha2560");
    publish(info);
    make();
    int aborted = 0;
    QObject::connect(upgrader.get(), &Upgrader::aborted, upgrader.get(), [&aborted] { ++aborted; });
    whenShown(QStringLiteral("TUpgraderMessageForm"), [](QWidget *question) { press(question, "YesBtn"); });
    env.dialogs().answer(false);

    ASSERT_TRUE(check());

    EXPECT_EQ(aborted, 1);
    EXPECT_EQ(env.dialogs().texts(),
              QStringList{QString::fromUtf8(
                  "文档gone.dat找不到或者发生错误，\n\n您要忽略这个文档并且继续升级操作吗？")});
    EXPECT_EQ(server.requestCount("/download/298vov.exe"), 1);
    EXPECT_TRUE(uTmpFiles(env.file(QStringLiteral("shop"))).isEmpty());
    EXPECT_EQ(upgrader->wizard(), nullptr);
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_EQ(readAll(programPath()), "the installed program");
}

TEST_F(UpgradeCheckTest, ABadSignatureOrNoneEndsTheCheckWithAMessage) {
    const QByteArray info = "#date=08/05/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() + "\r\n";
    make();
    const TestKeys stranger;
    for (int round = 0; round < 3; ++round) {
        env.dialogs().clear();
        publish(info, round == 0 ? stranger.secretKey : QByteArray());
        if (round == 1)
            server.serve("/jsjxc.inf", info + "#url0=http://elsewhere/x.exe\r\n"); // changed after signing
        if (round == 2) server.serve("/jsjxc.inf.sig", "", 404);
        ASSERT_TRUE(check());
        EXPECT_EQ(env.dialogs().texts(),
                  QStringList{QString::fromUtf8("服务器上的升级信息没有通过签名验证，升级已停止。")})
            << round;
    }
    EXPECT_EQ(server.requestCount("/download/298vov.exe"), 0);
}

// Nothing a stranger's file says is read before its signature is checked: neither that there is no
// newer version, nor its serial number, which would otherwise be remembered and refuse the maker's own
// later files as older ones.
TEST_F(UpgradeCheckTest, AStrangersFileIsRefusedForItsSignatureWhateverItOffers) {
    const QByteArray offered = "#url=" + url("/download/298vov.exe").toUtf8() + "\r\n";
    const QByteArray cases[] = {
        "#serial=1\r\n#date=07/29/2014\r\n" + offered, // the same date
        "#serial=1\r\n#date=01/15/2013\r\n" + offered, // older
        "#serial=999\r\n#date=07/29/2014\r\n",         // a high serial
    };
    make();
    const TestKeys stranger;
    for (const QByteArray &info : cases) {
        env.dialogs().clear();
        publish(info, stranger.secretKey);
        ASSERT_TRUE(check());
        EXPECT_EQ(env.dialogs().texts(),
                  QStringList{QString::fromUtf8("服务器上的升级信息没有通过签名验证，升级已停止。")})
            << info.constData();
    }
    // The maker's own file with serial 2 is read as it stands.
    env.dialogs().clear();
    publish("#serial=2\r\n#date=07/29/2014\r\n" + offered);
    ASSERT_TRUE(check());
    EXPECT_EQ(env.dialogs().texts(),
              QStringList{QString::fromUtf8("没有发现新的版本，您目前已经是最新版本。")});
    EXPECT_EQ(server.requestCount("/download/298vov.exe"), 0);
}

TEST_F(UpgradeCheckTest, AFileWithAWrongOrMissingHashIsDeletedAndTheUpgradeGivenUp) {
    for (const bool withHash : {true, false}) {
        QByteArray info = "#date=08/05/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() + "\r\n";
        info += serveFile("/download/298vov.exe", "genuine", "sha256");
        server.serve("/download/298vov.exe", "genuiNE"); // of the same size
        if (!withHash) info = "#date=08/05/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() + "\r\n";
        publish(info);
        make();
        env.dialogs().clear();
        whenShown(QStringLiteral("TUpgraderMessageForm"),
                  [](QWidget *question) { press(question, "YesBtn"); });

        ASSERT_TRUE(check());

        EXPECT_EQ(env.dialogs().texts(),
                  QStringList{QString::fromUtf8("文档298vov.exe没有通过校验，已放弃升级。")});
        EXPECT_TRUE(uTmpFiles(env.file(QStringLiteral("shop"))).isEmpty());
        EXPECT_TRUE(shell.starts.empty());
    }
}

// A check the user asked for always ends with a word; one nobody asked for (at start-up) says nothing
// and shows no waiting window.
TEST_F(UpgradeCheckTest, FailuresOfTheServerAreToldWhenAskedForAndKeptQuietOtherwise) {
    make();
    const QString unreachable = QStringLiteral("http://127.0.0.1:%1/jsjxc.inf").arg(closedPort());
    const QString missing = url("/missing.inf");
    const QString shortened = url("/jsjxc.inf");
    server.route("/jsjxc.inf", [](const TestRequest &) {
        TestReply reply;
        reply.body = "#date=08/05/2014";
        reply.announcedLength = 500;
        return reply;
    });
    struct Case {
        const char *what;
        QString address;
        QString start;   // how the message begins
        QString details; // what it also names
    } cases[] = {
        {"no response", unreachable, QString::fromUtf8("无法连接升级服务器，请检查网络连接后再试。"),
         QString::fromUtf8("服务器：127.0.0.1")},
        {"the information file missing", missing, QString::fromUtf8("在服务器中无法找到升级的相关信息"),
         QStringLiteral("HTTP 404")},
        {"shorter than announced", shortened,
         QString::fromUtf8("与远端服务器的连接中断，\n\n请重新连接后再进行升级操作。"), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        upgrader->settings().infoFileUrl = c.address;
        env.dialogs().clear();
        upgrader->checkUnattended();
        EXPECT_FALSE(QApplication::activeModalWidget());
        bool waitShown = false;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                for (QWidget *top : QApplication::topLevelWidgets())
                    waitShown = waitShown || (qobject_cast<UpgradeWaitWindow *>(top) && top->isVisible());
                return !upgrader->isRunning();
            },
            10000));
        EXPECT_TRUE(env.dialogs().shown().empty()) << env.dialogs().texts().join(u'|').toStdString();
        EXPECT_FALSE(waitShown);

        ASSERT_TRUE(check());
        ASSERT_EQ(env.dialogs().texts().size(), 1);
        const QString text = env.dialogs().texts().first();
        EXPECT_TRUE(text.startsWith(c.start)) << text.toStdString();
        EXPECT_TRUE(text.contains(c.details)) << text.toStdString();
    }
    // The reason the transfer gave is in the message.
    upgrader->settings().infoFileUrl = unreachable;
    env.dialogs().clear();
    ASSERT_TRUE(check());
    const QString text = env.dialogs().lastText();
    const QString reason = text.mid(text.indexOf(QString::fromUtf8("原因：")) + 3);
    EXPECT_FALSE(reason.trimmed().isEmpty()) << text.toStdString();
    EXPECT_NE(reason, upgradeText(upgradetext::NoReason));
}

TEST_F(UpgradeCheckTest, ACheckWhileATransferRunsIsIgnored) {
    TestReply hanging;
    hanging.body = "#date=";
    hanging.announcedLength = 1000;
    hanging.keepOpen = true;
    server.route("/jsjxc.inf", [hanging](const TestRequest &) { return hanging; });
    make();
    upgrader->check();
    ASSERT_TRUE(QTest::qWaitFor([this] { return server.requestCount("/jsjxc.inf") == 1; }, 5000));
    upgrader->check();
    QTest::qWait(100);
    EXPECT_EQ(server.requestCount("/jsjxc.inf"), 1);
    EXPECT_TRUE(upgrader->transfer().isBusy());
}

TEST_F(UpgradeCheckTest, AProtectedFileAsksForThePasswordAndRetries) {
    // The password goes to an https server only.
    TestHttpServer &https = httpsServer();
    QByteArray info =
        "#date=08/05/2014\r\n#url=" + https.url(QStringLiteral("/download/298vov.exe")).toUtf8() + "\r\n";
    info += fileLines("new program", "sha256");
    https.route("/download/298vov.exe", [](const TestRequest &request) {
        TestReply reply;
        if (request.header("authorization") == "Basic " + QByteArray("vip:2014").toBase64()) {
            reply.body = "new program";
        } else {
            reply.status = 401;
            reply.headers = {{"WWW-Authenticate", "Basic realm=\"registered\""}};
        }
        return reply;
    });
    publish(info);
    make();
    whenShown(QStringLiteral("TUpgraderMessageForm"), [](QWidget *question) {
        press(question, "YesBtn");
        whenShown(QStringLiteral("TUpgraderPasswordForm"), [](QWidget *password) {
            password->findChild<QLineEdit *>(QStringLiteral("UsernameEdit"))->setText(QStringLiteral("vip"));
            password->findChild<QLineEdit *>(QStringLiteral("PasswordEdit"))->setText(QStringLiteral("2014"));
            press(password, "OKBtn");
        });
    });

    ASSERT_TRUE(check());

    ASSERT_TRUE(upgrader->wizard() && upgrader->wizard()->isCompleted());
    EXPECT_EQ(readAll(programFile(QStringLiteral("298vov.exe.uTMP"))), "new program");
    EXPECT_EQ(upgrader->transfer().username(), QStringLiteral("vip"));
}

TEST_F(UpgradeCheckTest, CancellingTheWizardAsksAndGivesUp) {
    TestReply hanging;
    hanging.body = QByteArray(5000, 'x');
    hanging.announcedLength = 1 << 20;
    hanging.keepOpen = true;
    server.route("/download/big.exe", [hanging](const TestRequest &) { return hanging; });
    publish("#date=08/05/2014\r\n#url=" + url("/download/big.exe").toUtf8() +
            "\r\n#sha256=00\r\n#size=1048576\r\n");
    make();
    whenShown(QStringLiteral("TUpgraderMessageForm"), [](QWidget *question) { press(question, "YesBtn"); });
    upgrader->check();
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return QFile::exists(programFile(QStringLiteral("big.exe.uTMP"))); }, 5000));

    env.dialogs().answer(false); // "No" goes on
    press(upgrader->wizard(), "CancelBtn");
    EXPECT_TRUE(upgrader->isRunning());
    env.dialogs().answer(true);
    press(upgrader->wizard(), "CancelBtn");

    EXPECT_EQ(env.dialogs().texts().value(0), QString::fromUtf8("升级操作尚未完成，\n您确定要放弃升级吗？"));
    EXPECT_FALSE(upgrader->isRunning());
    EXPECT_FALSE(upgrader->transfer().isBusy());
    EXPECT_TRUE(uTmpFiles(env.file(QStringLiteral("shop"))).isEmpty());
}

TEST_F(UpgradeCheckTest, MethodTwoOpensTheFirstAddressInTheBrowser) {
    publish("#date=08/05/2014\r\n#url=www.jiasuisoft.cn/news.html\r\n#method=2\r\n");
    make();
    whenShown(QStringLiteral("TUpgraderMessageForm"), [](QWidget *question) { press(question, "YesBtn"); });

    ASSERT_TRUE(check());

    EXPECT_EQ(shell.urls, QStringList{QStringLiteral("http://www.jiasuisoft.cn/news.html")});
    EXPECT_EQ(upgrader->wizard(), nullptr);
}

TEST_F(UpgradeCheckTest, CancellingThePasswordGivesUp) {
    TestHttpServer &https = httpsServer();
    QByteArray info = "#date=08/05/2014\r\n#url=" + url("/download/a.txt").toUtf8() +
                      "\r\n#url0=" + https.url(QStringLiteral("/download/298vov.exe")).toUtf8() + "\r\n";
    info += serveFile("/download/a.txt", "first", "sha256");
    info += fileLines("new program", "sha2560");
    https.serve("/download/298vov.exe", "", 401, {{"WWW-Authenticate", "Basic realm=\"registered\""}});
    publish(info);
    make();
    int aborted = 0;
    QObject::connect(upgrader.get(), &Upgrader::aborted, upgrader.get(), [&aborted] { ++aborted; });
    whenShown(QStringLiteral("TUpgraderMessageForm"), [](QWidget *question) {
        press(question, "YesBtn");
        whenShown(QStringLiteral("TUpgraderPasswordForm"),
                  [](QWidget *password) { press(password, "CancelBtn"); });
    });

    ASSERT_TRUE(check());

    EXPECT_EQ(aborted, 1);
    EXPECT_TRUE(env.dialogs().shown().empty()) << "no lost-file question after the cancel";
    EXPECT_TRUE(uTmpFiles(env.file(QStringLiteral("shop"))).isEmpty());
    EXPECT_FALSE(upgrader->transfer().isBusy());
}

TEST_F(UpgradeCheckTest, AnUpgraderThatCannotStartKeepsTheProgramRunning) {
    QByteArray info = "#date=08/05/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() + "\r\n";
    info += serveFile("/download/298vov.exe", "new program", "sha256");
    publish(info);
    make();
    int closeRequests = 0;
    QObject::connect(upgrader.get(), &Upgrader::programShouldClose, upgrader.get(), [&] { ++closeRequests; });
    whenShown(QStringLiteral("TUpgraderMessageForm"), [](QWidget *question) { press(question, "YesBtn"); });
    ASSERT_TRUE(check());
    ASSERT_TRUE(upgrader->wizard());
    shell.refuseStarts = true;

    press(upgrader->wizard(), "FinishBtn");

    EXPECT_EQ(closeRequests, 0);
    EXPECT_EQ(env.dialogs().texts(), QStringList{QString::fromUtf8("无法写入文档Upgrader，已放弃升级。")});
    EXPECT_TRUE(uTmpFiles(env.file(QStringLiteral("shop"))).isEmpty());
    EXPECT_FALSE(upgrader->isRunning());
    EXPECT_TRUE(QDir(env.file(QStringLiteral("tmp"))).isEmpty()) << "the upgrader written goes again";
}
