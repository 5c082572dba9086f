// The upgrader program's steps: its command line, which files it moves where, and what it starts.
#include "tests/support/testenv.h"
#include "tests/upgrade/testfiles.h"
#include "upgrade/installation.h"
#include "upgrade/upgraderprogram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
ino_t inode(const QString &path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

// What happens to the names of a folder while it is watched: "deleted <name>" and "moved in <name>".
class FolderWatch {
  public:
    explicit FolderWatch(const QString &folder) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        EXPECT_GE(::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_DELETE | IN_MOVED_TO),
                  0);
    }
    ~FolderWatch() { ::close(m_fd); }
    QStringList events() const {
        QStringList seen;
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t size = ::read(m_fd, buffer, sizeof buffer);
            if (size <= 0) return seen;
            for (ssize_t at = 0; at < size;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                const QString name = event->len ? QFile::decodeName(event->name) : QString();
                seen << (event->mask & IN_DELETE ? QStringLiteral("deleted ") : QStringLiteral("moved in ")) +
                            name;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }

  private:
    int m_fd;
};

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

TEST_F(UpgraderProgramTest, EachFileTakesItsNameInOneStepSoTheOldOneIsNeverMissing) {
    // A power cut may come between any two steps: the program's name must always name a whole program.
    write(program, "old program");
    write(at(QStringLiteral("readme.txt")), "old readme");
    write(at(QStringLiteral("298vov.exe.uTMP")), "new program");
    write(at(QStringLiteral("readme.txt.uTMP")), "new readme");
    const ino_t newProgram = inode(at(QStringLiteral("298vov.exe.uTMP")));
    const FolderWatch watch(env.dir());

    const MovedFiles moved =
        moveDownloadedFiles(command(QStringLiteral("/afterupgrade0"),
                                    {QStringLiteral("298vov.exe.uTMP"), QStringLiteral("readme.txt.uTMP")}));

    EXPECT_EQ(watch.events(),
              (QStringList{QStringLiteral("moved in jsjxc"), QStringLiteral("moved in readme.txt")}))
        << "renamed over the old files, never deleted first";
    EXPECT_EQ(inode(program), newProgram) << "the downloaded file itself, not a copy";
    EXPECT_EQ(readAll(program), "new program");
    EXPECT_TRUE(QFileInfo(program).isExecutable()) << "executable from the moment it has the name";
    EXPECT_EQ(readAll(at(QStringLiteral("readme.txt"))), "new readme");
    EXPECT_TRUE(moved.kept.isEmpty());
}

TEST_F(UpgraderProgramTest, AnEntryThatIsNoPlainFileNeverTakesTheProgramsPlace) {
    const QString victim = at(QStringLiteral("victim"));
    write(victim, "someone's file");
    enum class Entry { Folder, Link };
    for (const Entry what : {Entry::Folder, Entry::Link}) {
        SCOPED_TRACE(int(what));
        QFile::remove(program);
        write(program, "old program");
        const QString source = at(QStringLiteral("298vov.exe.uTMP"));
        QFile::remove(source);
        QDir(source).removeRecursively();
        if (what == Entry::Folder) {
            ASSERT_TRUE(QDir().mkpath(source));
            write(source + QStringLiteral("/inside"), "x");
        } else {
            ASSERT_TRUE(QFile::link(victim, source));
        }

        const MovedFiles moved = moveDownloadedFiles(
            command(QStringLiteral("/afterupgrade0"), {QStringLiteral("298vov.exe.uTMP")}));

        EXPECT_TRUE(QFileInfo(program).isFile() && !QFileInfo(program).isSymLink());
        EXPECT_EQ(readAll(program), "old program");
        EXPECT_EQ(moved.kept, QStringList{QStringLiteral("298vov.exe.uTMP")});
        EXPECT_EQ(readAll(victim), "someone's file");
    }
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
