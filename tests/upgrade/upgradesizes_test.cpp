// "Only if the size differs": files already beside the program with the announced size are skipped,
// except the program itself, a lone file and files whose size is not announced.
#include "tests/upgrade/testfiles.h"
#include "tests/upgrade/upgradefixture.h"

#include <QFileInfo>

namespace {
class UpgradeSizesTest : public UpgradeFixture {
  protected:
    // Runs the whole upgrade to the upgrader's start; the ".uTMP" files handed to it.
    QStringList upgradeWith(Upgrader::MiscFiles miscFiles) {
        shell.starts.clear();
        make().settings().miscFiles = miscFiles;
        QObject::connect(upgrader.get(), &Upgrader::programShouldClose, upgrader.get(), [] {});
        whenShown(QStringLiteral("TUpgraderMessageForm"),
                  [](QWidget *question) { press(question, "YesBtn"); });
        if (!check() || !upgrader->wizard()) return {QStringLiteral("the wizard did not complete")};
        press(upgrader->wizard(), "FinishBtn");
        if (shell.starts.size() != 1) return {QStringLiteral("the upgrader did not start")};
        return shell.starts[0].arguments.mid(2);
    }
};
} // namespace

TEST_F(UpgradeSizesTest, FilesOfTheSameSizeAreSkippedOnlyWhereTheSizeCanTell) {
    // The program's own file and the first extra file have the size of what the server offers.
    const QByteArray program = "the upgraded program!";
    ASSERT_EQ(program.size(), QFileInfo(programPath()).size());
    write(programFile(QStringLiteral("same.dat")), "12345");
    write(programFile(QStringLiteral("other.dat")), "1234");
    write(programFile(QStringLiteral("unsized.dat")), "abcde");

    QByteArray info = "#date=08/05/2014\r\n#url=" + url("/download/JSJXC").toUtf8() +
                      "\r\n#url0=" + url("/download/same.dat").toUtf8() +
                      "\r\n#url3=" + url("/download/other.dat").toUtf8() +
                      "\r\n#url4=" + url("/download/new.dat").toUtf8() +
                      "\r\n#url5=" + url("/download/unsized.dat").toUtf8() + "\r\n";
    info += serveFile("/download/JSJXC", program, "sha256");
    info += serveFile("/download/same.dat", "ABCDE", "sha2560");
    info += serveFile("/download/other.dat", "ABCDE", "sha2563");
    info += serveFile("/download/new.dat", "ABCDE", "sha2564");
    info += serveFile("/download/unsized.dat", "VWXYZ", "sha2565");
    TestReply unsized;
    unsized.body = "VWXYZ";
    unsized.announceLength = false;
    server.route("/download/unsized.dat", [unsized](const TestRequest &) { return unsized; });
    publish(info);

    const QStringList always = upgradeWith(Upgrader::MiscFiles::AlwaysDownload);
    EXPECT_EQ(always, (QStringList{QStringLiteral("JSJXC.uTMP"), QStringLiteral("same.dat.uTMP"),
                                   QStringLiteral("other.dat.uTMP"), QStringLiteral("new.dat.uTMP"),
                                   QStringLiteral("unsized.dat.uTMP")}));
    for (const QString &name : always)
        QFile::remove(programFile(name));

    const QStringList sized = upgradeWith(Upgrader::MiscFiles::OnlyIfSizeDifferent);
    EXPECT_EQ(sized, (QStringList{QStringLiteral("JSJXC.uTMP"), QStringLiteral("other.dat.uTMP"),
                                  QStringLiteral("new.dat.uTMP"), QStringLiteral("unsized.dat.uTMP")}))
        << "the program by its name in capitals, a differing size, a new file, an unknown size";
    EXPECT_FALSE(QFile::exists(programFile(QStringLiteral("same.dat.uTMP"))));
    EXPECT_EQ(readAll(programFile(QStringLiteral("same.dat"))), "12345") << "the skipped file is untouched";
    EXPECT_EQ(readAll(programFile(QStringLiteral("other.dat.uTMP"))), "ABCDE");
    EXPECT_TRUE(env.dialogs().shown().empty()) << "a skipped file is no failure";
}

TEST_F(UpgradeSizesTest, ALoneFileIsDownloadedWhateverItsSize) {
    write(programFile(QStringLiteral("same.dat")), "12345");
    publish("#date=08/05/2014\r\n#url=" + url("/download/same.dat").toUtf8() + "\r\n" +
            serveFile("/download/same.dat", "ABCDE", "sha256"));

    EXPECT_EQ(upgradeWith(Upgrader::MiscFiles::OnlyIfSizeDifferent),
              QStringList{QStringLiteral("same.dat.uTMP")});
    EXPECT_EQ(readAll(programFile(QStringLiteral("same.dat.uTMP"))), "ABCDE");
}
