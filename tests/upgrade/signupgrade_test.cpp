// The maker's signing tool: the lines it writes for the files of an upgrade are what the program reads,
// and it signs only an information file the program would take.
#include "tests/support/testenv.h"
#include "tests/upgrade/testfiles.h"
#include "upgrade/upgradeinfo.h"
#include "upgrade/upgradeverify.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {
struct ToolRun {
    int exitCode = -1;
    QByteArray output;
};

ToolRun tool(const QStringList &arguments) {
    QProcess process;
    process.start(QStringLiteral(SIGNUPGRADE_TOOL), arguments);
    if (!process.waitForFinished(30000)) return {};
    return {process.exitCode(), process.readAllStandardOutput()};
}
} // namespace

TEST(SignUpgrade, TheLinesItWritesAreSignedAndReadBackByTheProgram) {
    TestEnv env;
    const QString secret = env.file(QStringLiteral("maker.key")),
                  publicKey = env.file(QStringLiteral("maker.pub"));
    ASSERT_EQ(tool({QStringLiteral("keygen"), secret, publicKey}).exitCode, 0);
    const QByteArray program(3000, 'p');
    write(env.file(QStringLiteral("298vov.exe")), program);
    write(env.file(QStringLiteral("readme.txt")), "what is new");

    const ToolRun lines =
        tool({QStringLiteral("lines"), QStringLiteral("https://www.jiasuisoft.cn/download"),
              env.file(QStringLiteral("298vov.exe")), env.file(QStringLiteral("readme.txt"))});
    ASSERT_EQ(lines.exitCode, 0);
    const QString info = env.file(QStringLiteral("jsjxc.inf"));
    write(info, lines.output);
    EXPECT_NE(tool({QStringLiteral("sign"), secret, info}).exitCode, 0) << "no #date= line";
    EXPECT_FALSE(QFile::exists(info + QStringLiteral(".sig")));

    write(info, "#date=08/05/2014\r\n" + lines.output);
    ASSERT_EQ(tool({QStringLiteral("sign"), secret, info}).exitCode, 0);

    EXPECT_TRUE(upgradeverify::signatureValid(readAll(info), readAll(info + QStringLiteral(".sig")),
                                              readAll(publicKey)));
    const UpgradeInfo read = readUpgradeInfo(QString::fromUtf8(readAll(info)));
    EXPECT_GT(read.serial, 1700000000) << "the time it was written";
    EXPECT_EQ(read.urls, (QStringList{QStringLiteral("https://www.jiasuisoft.cn/download/298vov.exe"),
                                      QStringLiteral("https://www.jiasuisoft.cn/download/readme.txt")}));
    EXPECT_EQ(read.hashes.value(0),
              QString::fromLatin1(QCryptographicHash::hash(program, QCryptographicHash::Sha256).toHex()));
    EXPECT_EQ(read.sizes, (QList<qint64>{3000, 11}));
}
