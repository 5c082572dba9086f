// Every download of an upgrade has a limit: the information file 1 MB, its signature 1 KB, each listed
// file the size its signed "#size…=" line gives. A download past its limit ends there and then; the
// check shows a wait window whose cancel button ends it.
#include "tests/upgrade/upgradefixture.h"

#include <QDialog>
#include <QLabel>
#include <QPointer>

namespace {
QStringList uTmpFiles(const QString &folder) {
    return QDir(folder).entryList({QStringLiteral("*.uTMP")}, QDir::Files | QDir::Hidden);
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A body that keeps coming: `first`, then 64 KB pieces, and the connection held open.
TestReply endless(const QByteArray &first, qint64 announced = -1) {
    TestReply reply;
    reply.body = first;
    reply.announceLength = announced >= 0;
    reply.announcedLength = announced;
    reply.trickle = QList<QByteArray>(40, QByteArray(64 << 10, '#'));
    reply.trickleMs = 1;
    reply.keepOpen = true;
    return reply;
}

const char *const infoTooLarge = "服务器上的升级信息超过了允许的大小，升级已停止。";

class UpgradeLimitsTest : public UpgradeFixture {
  protected:
    void answerYes() {
        whenShown(QStringLiteral("TUpgraderMessageForm"),
                  [](QWidget *question) { press(question, "YesBtn"); });
    }
};
} // namespace

TEST_F(UpgradeLimitsTest, AnInformationFileOrSignaturePastItsLimitEndsTheCheck) {
    const QByteArray info = "#serial=1\r\n#date=08/05/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() +
                            "\r\n" + fileLines("new program", "sha256");
    const struct {
        const char *what;
        QByteArray path;
        TestReply reply;
    } cases[] = {
        {"an information file that never ends", "/jsjxc.inf", endless("#date=08/05/2014\r\n#message={")},
        {"an information file announced at 5 GB", "/jsjxc.inf", endless("#date=", 5LL << 30)},
        {"a signature of 2 KB", "/jsjxc.inf.sig",
         [] {
             TestReply reply;
             reply.body = QByteArray(2048, 's');
             return reply;
         }()},
    };
    make();
    int offers = 0;
    QObject::connect(upgrader.get(), &Upgrader::beginUpgrade, upgrader.get(),
                     [&offers](const QString &, UpgradeMethod, const QStringList &, bool &) { ++offers; });
    for (const auto &test : cases) {
        SCOPED_TRACE(test.what);
        env.dialogs().clear();
        publish(info);
        server.route(test.path, [reply = test.reply](const TestRequest &) { return reply; });

        ASSERT_TRUE(check()) << "the check ends by itself";

        EXPECT_EQ(env.dialogs().texts(), QStringList{QString::fromUtf8(infoTooLarge)});
        EXPECT_FALSE(upgrader->transfer().isBusy());
    }
    EXPECT_EQ(offers, 0);
    EXPECT_EQ(server.requestCount("/download/298vov.exe"), 0);
}

TEST_F(UpgradeLimitsTest, AListedFileEndsAtTheSizeItsLineGives) {
    const QByteArray program(64 << 10, 'p');
    const QByteArray signedFor = program.left(16 << 10); // the size the maker signed: 16 KB
    const struct {
        const char *what;
        TestReply reply;
    } cases[] = {
        {"a body that goes on past the size", endless(program)},
        {"a length announced past the size",
         [&program] {
             TestReply reply;
             reply.body = program;
             return reply;
         }()},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.what);
        server.route("/download/298vov.exe", [reply = test.reply](const TestRequest &) { return reply; });
        QByteArray info = "#date=08/05/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() + "\r\n";
        info += "#sha256=" + QCryptographicHash::hash(program, QCryptographicHash::Sha256).toHex() + "\r\n";
        info += "#size=" + QByteArray::number(signedFor.size()) + "\r\n";
        publish(info);
        make();
        env.dialogs().clear();
        answerYes();

        ASSERT_TRUE(check()) << "the download ends by itself";

        EXPECT_EQ(env.dialogs().texts(),
                  QStringList{QString::fromUtf8("文档298vov.exe超过了升级信息给出的大小，已放弃升级。")});
        EXPECT_TRUE(uTmpFiles(env.file(QStringLiteral("shop"))).isEmpty());
        EXPECT_EQ(upgrader->wizard(), nullptr);
        EXPECT_TRUE(shell.starts.empty());
        EXPECT_EQ(readAll(programPath()), "the installed program");
    }
}

TEST_F(UpgradeLimitsTest, AListedFileWithoutASizeLineIsNotDownloaded) {
    // The hash alone would let a file of any size be written beside the program before it is checked.
    QByteArray info = "#date=08/05/2014\r\n#url=" + url("/download/a.txt").toUtf8() +
                      "\r\n#url0=" + url("/download/298vov.exe").toUtf8() + "\r\n";
    info += serveFile("/download/a.txt", "first", "sha256");
    server.serve("/download/298vov.exe", "new program");
    info += "#sha2560=" + QCryptographicHash::hash("new program", QCryptographicHash::Sha256).toHex() +
            "\r\n#size0=eleven\r\n";
    publish(info);
    make();
    answerYes();

    ASSERT_TRUE(check());

    EXPECT_EQ(env.dialogs().texts(),
              QStringList{QString::fromUtf8("文档298vov.exe没有通过校验，已放弃升级。")});
    EXPECT_EQ(server.requestCount("/download/298vov.exe"), 0);
    EXPECT_TRUE(uTmpFiles(env.file(QStringLiteral("shop"))).isEmpty()) << "nor is the first kept";
}

TEST_F(UpgradeLimitsTest, TheCheckShowsAWaitWindowWhoseCancelEndsIt) {
    server.route("/jsjxc.inf", [](const TestRequest &) { return endless("#date=", 1000); });
    make();
    upgrader->check();
    ASSERT_TRUE(QTest::qWaitFor([this] { return server.requestCount("/jsjxc.inf") == 1; }, 5000));
    QPointer<QDialog> wait = window.findChild<QDialog *>(QStringLiteral("UpgradeWaitWindow"));
    ASSERT_TRUE(wait);
    EXPECT_TRUE(wait->isVisible());
    EXPECT_EQ(wait->windowTitle(), QString::fromUtf8("软件升级精灵"));
    EXPECT_EQ(wait->findChild<QLabel *>(QStringLiteral("WaitLabel"))->text(),
              QString::fromUtf8("正在检查新版本，请稍候…"));
    QPushButton *cancel = wait->findChild<QPushButton *>(QStringLiteral("CancelBtn"));
    ASSERT_TRUE(cancel);
    EXPECT_TRUE(cancel->text().contains(QString::fromUtf8("取消")));

    cancel->click();

    EXPECT_FALSE(upgrader->isRunning());
    EXPECT_FALSE(upgrader->transfer().isBusy());
    EXPECT_TRUE(!wait || !wait->isVisible());
    EXPECT_TRUE(env.dialogs().shown().empty()) << "the user's own cancel needs no message";

    // The next check runs, and its window has gone before the answer is shown.
    publish("#date=07/29/2014\r\n");
    bool waitShownWithTheAnswer = true;
    QObject::connect(
        upgrader.get(), &Upgrader::noUpdateAvailable, upgrader.get(), [this, &waitShownWithTheAnswer] {
            const QDialog *again = window.findChild<QDialog *>(QStringLiteral("UpgradeWaitWindow"));
            waitShownWithTheAnswer = again && again->isVisible();
        });
    ASSERT_TRUE(check());
    EXPECT_EQ(env.dialogs().lastText(), QString::fromUtf8("没有发现新的版本，您目前已经是最新版本。"));
    EXPECT_FALSE(waitShownWithTheAnswer);
}
