// The whole upgrade: a running program is replaced by the version the server offers and started again
// with "/afterupgrade0" by the real upgrader program.
#include "tests/upgrade/upgradefixture.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace {
QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class EndToEndTest : public UpgradeFixture {
  protected:
    EndToEndTest() { Shell::install(nullptr); } // the real one: the upgrader must really run
};
} // namespace

TEST_F(EndToEndTest, TheRunningProgramIsReplacedAndRestartedWithTheRestartParameters) {
    const QString log = env.file(QStringLiteral("runs.log"));
    qputenv("JSJXC_FAKE_LOG", log.toUtf8());
    QFile::remove(programPath());
    ASSERT_TRUE(QFile::copy(QStringLiteral(FAKE_PROGRAM_V1), programPath()));
    const QByteArray newProgram = readAll(QStringLiteral(FAKE_PROGRAM_V2));
    ASSERT_FALSE(newProgram.isEmpty());
    // Left by an earlier upgrade that was given up: never installed by this one.
    QFile leftover(programFile(QStringLiteral("stale.dat.uTMP")));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.write("stale");
    leftover.close();

    QProcess running;
    running.start(programPath(), {QStringLiteral("hold")});
    ASSERT_TRUE(running.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&log] { return readAll(log) == "v1 hold\n"; }, 5000));

    QByteArray info = "#date=08/05/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() + "\r\n";
    info += serveFile("/download/298vov.exe", newProgram, "sha256");
    publish(info);
    make();
    // The program's main window closes the normal way, and the program ends.
    QObject::connect(upgrader.get(), &Upgrader::programShouldClose, upgrader.get(), [&log] {
        QFile release(log + QStringLiteral(".release"));
        EXPECT_TRUE(release.open(QIODevice::WriteOnly));
    });
    whenShown(QStringLiteral("TUpgraderMessageForm"), [](QWidget *question) { press(question, "YesBtn"); });
    ASSERT_TRUE(check());
    ASSERT_TRUE(upgrader->wizard() && upgrader->wizard()->isCompleted());
    press(upgrader->wizard(), "FinishBtn");

    EXPECT_TRUE(running.waitForFinished(10000));
    ASSERT_TRUE(QTest::qWaitFor([&log] { return readAll(log).contains("v2"); }, 15000))
        << readAll(log).constData();
    EXPECT_EQ(readAll(log), "v1 hold\nv2 /afterupgrade0\n");
    EXPECT_EQ(readAll(programPath()), newProgram);
    EXPECT_FALSE(QFile::exists(programFile(QStringLiteral("298vov.exe.uTMP"))));
    EXPECT_FALSE(QFile::exists(programFile(QStringLiteral("298vov.exe")))) << "it took the program's name";
    EXPECT_EQ(readAll(programFile(QStringLiteral("stale.dat.uTMP"))), "stale");
    const QStringList folders =
        QDir(env.file(QStringLiteral("tmp"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(folders.size(), 1) << "the upgrader's own folder";
    EXPECT_TRUE(QFile::exists(env.file(QStringLiteral("tmp/") + folders[0] + QStringLiteral("/Upgrader"))));
    qunsetenv("JSJXC_FAKE_LOG");
}
