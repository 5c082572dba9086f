// The upgrader program's steps: its command line, which files it moves where, and what it starts.
#include "tests/support/testenv.h"
#include "upgrade/installation.h"
#include "upgrade/upgraderprogram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {
void write(const QString &path, const QByteArray &content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class UpgraderProgramTest : public ::testing::Test {
  protected:
    UpgraderCommand command(const QString &restart, const QStringList &files) {
        const auto parsed = parseUpgraderCommand(installation::upgraderArguments(
            program, restart.chopped(1), UpgradeMethod(restart.right(1).toInt()), files));
        EXPECT_TRUE(parsed.has_value());
        return parsed.value_or(UpgraderCommand());
    }
    QString at(const QString &name) const { return env.file(name); }

    TestEnv env;
    QString program = env.file(QStringLiteral("jsjxc"));
};
} // namespace

TEST_F(UpgraderProgramTest, TheCommandLineNamesTheProgramTheRestartAndTheFiles) {
    const auto self = parseUpgraderCommand(
        {QStringLiteral("/opt/shop/jsjxc"), QStringLiteral("+/afterupgrade0"), QStringLiteral("a.exe.uTMP")});
    ASSERT_TRUE(self);
    EXPECT_EQ(self->programPath, QStringLiteral("/opt/shop/jsjxc"));
    EXPECT_EQ(self->restartParameters, QStringLiteral("/afterupgrade0"));
    EXPECT_FALSE(self->externalSetup);
    EXPECT_EQ(self->files, QStringList{QStringLiteral("a.exe.uTMP")});
    EXPECT_TRUE(
        parseUpgraderCommand({QStringLiteral("/p"), QStringLiteral("+/afterupgrade1")})->externalSetup);
    EXPECT_FALSE(parseUpgraderCommand({}));
    EXPECT_FALSE(parseUpgraderCommand({QStringLiteral("/p")}));
    EXPECT_FALSE(parseUpgraderCommand({QStringLiteral("/p"), QStringLiteral("/afterupgrade0")}));
}

TEST_F(UpgraderProgramTest, SelfUpgradeReplacesTheProgramAndMovesOnlyTheFilesOfThisUpgrade) {
    write(program, "old program");
    write(at(QStringLiteral("298vov.exe.uTMP")), "new program");
    write(at(QStringLiteral("TOOL.EXE.uTMP")), "a tool");
    write(at(QStringLiteral("second.exe.uTMP")), "not the program");
    write(at(QStringLiteral("readme.txt")), "old readme");
    write(at(QStringLiteral("readme.txt.uTMP")), "new readme");
    write(at(QStringLiteral("leftover.dll.uTMP")), "from a given-up upgrade");

    UpgraderCommand upgrade = command(QStringLiteral("/afterupgrade0"),
                                      {QStringLiteral("TOOL.EXE.uTMP"), QStringLiteral("298vov.exe.uTMP"),
                                       QStringLiteral("second.exe.uTMP"), QStringLiteral("readme.txt.uTMP")});
    upgrade.files << QStringLiteral("../escape.uTMP") << QStringLiteral("missing.uTMP");
    const MovedFiles moved = moveDownloadedFiles(upgrade);

    EXPECT_EQ(readAll(program), "new program");
    EXPECT_TRUE(QFileInfo(program).isExecutable());
    EXPECT_EQ(readAll(at(QStringLiteral("TOOL.EXE"))), "a tool") << "\"EXE\" in capitals is not the program";
    EXPECT_EQ(readAll(at(QStringLiteral("second.exe"))), "not the program")
        << "only the first program replaces";
    EXPECT_EQ(readAll(at(QStringLiteral("readme.txt"))), "new readme");
    EXPECT_EQ(readAll(at(QStringLiteral("leftover.dll.uTMP"))), "from a given-up upgrade");
    EXPECT_FALSE(QFile::exists(at(QStringLiteral("leftover.dll"))));
    EXPECT_EQ(moved.kept, (QStringList{QStringLiteral("../escape.uTMP"), QStringLiteral("missing.uTMP")}));
    EXPECT_TRUE(moved.setupProgram.isEmpty());
}

TEST_F(UpgraderProgramTest, ExternalSetupRunsTheSetupToItsEndThenRestartsTheProgram) {
    write(program, "old program");
    write(at(QStringLiteral("setup.exe.uTMP")), "setup");
    QStringList log;
    const int result = runUpgrader(
        command(QStringLiteral("/afterupgrade1"), {QStringLiteral("setup.exe.uTMP")}),
        [&log](const QString &path, const QStringList &arguments) {
            log << QStringLiteral("start ") + QFileInfo(path).fileName() + u' ' + arguments.join(u' ');
            return true;
        },
        [&log, this](const QString &path, const QStringList &arguments) {
            log << QStringLiteral("run ") + QFileInfo(path).fileName() + u' ' + arguments.join(u' ');
            EXPECT_TRUE(QFileInfo(path).isExecutable());
            EXPECT_EQ(readAll(program), "old program") << "the setup does the installing";
            return 0;
        });

    EXPECT_EQ(result, 0);
    EXPECT_EQ(log, (QStringList{QStringLiteral("run setup.exe /afterupgrade1"),
                                QStringLiteral("start jsjxc /afterupgrade1")}));
    EXPECT_FALSE(QFile::exists(at(QStringLiteral("setup.exe")))) << "the setup is deleted after it ran";
}

TEST_F(UpgraderProgramTest, ExternalSetupWithoutAProgramOnlyRestartsAndTouchesNothing) {
    write(program, "old program");
    write(at(QStringLiteral("notes.txt.uTMP")), "notes");
    QStringList started;
    runUpgrader(
        command(QStringLiteral("/afterupgrade1"), {QStringLiteral("notes.txt.uTMP")}),
        [&started](const QString &path, const QStringList &) {
            started << path;
            return true;
        },
        [](const QString &, const QStringList &) {
            ADD_FAILURE() << "no setup to run";
            return 1;
        });
    EXPECT_EQ(started, QStringList{program});
    EXPECT_EQ(readAll(program), "old program");
    EXPECT_EQ(readAll(at(QStringLiteral("notes.txt"))), "notes");
}

TEST(UpgraderRestart, OnlyTheExactRestartParametersCount) {
    EXPECT_TRUE(installation::isAfterRestart({QStringLiteral("jsjxc"), QStringLiteral("/afterupgrade")},
                                             QStringLiteral("/afterupgrade")));
    EXPECT_FALSE(installation::isAfterRestart({QStringLiteral("jsjxc"), QStringLiteral("/AFTERUPGRADE")},
                                              QStringLiteral("/afterupgrade")));
    EXPECT_FALSE(installation::isAfterRestart({QStringLiteral("jsjxc")}, QStringLiteral("/afterupgrade")));
}
