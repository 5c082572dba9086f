// The upgrade of a program installed from the Debian package: the route chosen by the program's folder
// (and dpkg's list), the signed package downloaded into a private folder and handed to the system's
// installer through the upgrader program, the command told when there is no installer, and what the
// upgrader does with the installer's answer.
#include "tests/upgrade/upgradefixture.h"
#include "upgrade/installation.h"
#include "upgrade/packageupgrade.h"
#include "upgrade/upgradeinfomaker.h"
#include "upgrade/upgraderprogram.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

namespace {
QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

const QFile::Permissions Closed = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                  QFile::ReadOther | QFile::ExeOther;
const QFile::Permissions Open = Closed | QFile::WriteOwner;

class PackageUpgradeTest : public UpgradeFixture {
  protected:
    PackageUpgradeTest() {
        // A stand-in for pkexec: the hand-over only names it; the upgrader program runs it.
        write(installer(), "#!/bin/sh\nexit 0\n");
        QFile::setPermissions(installer(), Open | QFile::ExeUser);
    }
    ~PackageUpgradeTest() override { QFile::setPermissions(env.file(QStringLiteral("shop")), Open); }

    QString installer() const { return env.file(QStringLiteral("pkexec-stand-in")); }
    QString packageFolder() const {
        const QStringList made =
            QDir(env.file(QStringLiteral("tmp"))).entryList({QStringLiteral("jsjxc-package-*")}, QDir::Dirs);
        return made.size() == 1 ? env.file(QStringLiteral("tmp/") + made[0]) : QString();
    }
    QStringList uTmpFiles() const {
        return QDir(env.file(QStringLiteral("shop"))).entryList({QStringLiteral("*.uTMP")}, QDir::Files);
    }

    // An offer of both kinds of upgrade: the program's file and the Debian package, each with its lines.
    void publishBoth(const QByteArray &packageBody, const QByteArray &packageHashBody) {
        QByteArray info = "#date=08/05/2014\r\n#url=" + url("/download/jsjxc").toUtf8() + "\r\n";
        info += serveFile("/download/jsjxc", "new program", "sha256");
        info += "#deb=" + url("/download/jsjxc_4.4.0.0_amd64.deb").toUtf8() + "\r\n";
        server.serve("/download/jsjxc_4.4.0.0_amd64.deb", packageBody);
        info += fileLines(packageHashBody, "debsha256").replace("#size256=", "#debsize=");
        publish(info);
    }

    // Runs the upgrade with the program's folder open or closed to this user, up to the wizard's OK.
    void upgrade(bool folderClosed) {
        if (folderClosed) QFile::setPermissions(env.file(QStringLiteral("shop")), Closed);
        Upgrader &made = make();
        // As the program decides it for itself at the start.
        made.settings().fromPackage =
            packageupgrade::installedFromPackage(programPath(), env.file(QStringLiteral("no-dpkg-list")));
        made.settings().installer = installer();
        made.settings().programPid = 4242;
        QObject::connect(upgrader.get(), &Upgrader::programShouldClose, upgrader.get(), [this] { ++closes; });
        whenShown(QStringLiteral("TUpgraderMessageForm"),
                  [](QWidget *question) { press(question, "YesBtn"); });
        ASSERT_TRUE(check());
        if (upgrader->wizard() && upgrader->wizard()->isCompleted()) press(upgrader->wizard(), "FinishBtn");
    }

    int closes = 0;
};
} // namespace

TEST(PackageRoute, ChosenByTheProgramsFolderAndDpkgsList) {
    TestEnv env;
    const QString open = env.file(QStringLiteral("open"));
    const QString closed = env.file(QStringLiteral("closed"));
    QDir().mkpath(open);
    QDir().mkpath(closed);
    QFile::setPermissions(closed, Closed);
    const QString list = env.file(QStringLiteral("jsjxc.list"));
    write(list, "/.\n/usr\n/usr/bin\n" + QFile::encodeName(open) + "/listed\n");
    const struct {
        QString program;
        QString list;
        bool fromPackage;
    } cases[] = {
        {open + QStringLiteral("/jsjxc"), list, false}, // a build folder
        {open + QStringLiteral("/jsjxc"), env.file(QStringLiteral("none")), false},
        {closed + QStringLiteral("/jsjxc"), env.file(QStringLiteral("none")), true}, // /usr/bin for a user
        {open + QStringLiteral("/listed"), list, true}, // /usr/bin for the administrator
        {open + QStringLiteral("/listed/.."), list, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(packageupgrade::installedFromPackage(c.program, c.list), c.fromPackage)
            << c.program.toStdString();
    QFile::setPermissions(closed, Open);
}

TEST_F(PackageUpgradeTest, AClosedProgramFolderGetsThePackageHandedToTheInstaller) {
    publishBoth("the new package", "the new package");
    upgrade(true);

    EXPECT_EQ(server.requestCount("/download/jsjxc"), 0) << "no file of the program is replaced";
    EXPECT_TRUE(uTmpFiles().isEmpty());
    const QString folder = packageFolder();
    ASSERT_FALSE(folder.isEmpty()) << "a private folder in the temporary folder";
    EXPECT_EQ(QFileInfo(folder).permissions() & (QFile::WriteGroup | QFile::WriteOther | QFile::ReadOther),
              QFile::Permissions());
    const QString package = folder + QStringLiteral("/jsjxc_4.4.0.0_amd64.deb");
    EXPECT_EQ(readAll(package), "the new package");
    ASSERT_EQ(shell.starts.size(), 1u);
    EXPECT_EQ(QFileInfo(shell.starts[0].program).fileName(), installation::upgraderFileName());
    EXPECT_EQ(shell.starts[0].arguments,
              (QStringList{programPath(), QStringLiteral("+/afterupgrade3"), QStringLiteral("--pid=4242"),
                           QStringLiteral("--installer=") + installer(), package}));
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(env.dialogs().shown().empty());
}

TEST_F(PackageUpgradeTest, AnOpenProgramFolderKeepsReplacingItsFiles) {
    publishBoth("the new package", "the new package");
    upgrade(false);

    EXPECT_EQ(server.requestCount("/download/jsjxc_4.4.0.0_amd64.deb"), 0);
    EXPECT_TRUE(packageFolder().isEmpty());
    EXPECT_EQ(uTmpFiles(), QStringList{QStringLiteral("jsjxc.uTMP")});
    ASSERT_EQ(shell.starts.size(), 1u);
    EXPECT_EQ(shell.starts[0].arguments.value(1), QStringLiteral("+/afterupgrade0"));
}

TEST_F(PackageUpgradeTest, APackageThatFailsItsCheckIsDeletedWithItsFolder) {
    publishBoth("the new packagX", "the new package"); // changed, of the same size
    upgrade(true);

    EXPECT_TRUE(shell.starts.empty());
    EXPECT_EQ(closes, 0);
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_EQ(env.dialogs().lastText(),
              QString::fromUtf8("文档jsjxc_4.4.0.0_amd64.deb没有通过校验，已放弃升级。"));
    EXPECT_TRUE(packageFolder().isEmpty()) << "nothing of it stays";
}

TEST_F(PackageUpgradeTest, WithoutAPackageListedNothingIsDownloaded) {
    QByteArray info = "#date=08/05/2014\r\n#url=" + url("/download/jsjxc").toUtf8() + "\r\n";
    info += serveFile("/download/jsjxc", "new program", "sha256");
    publish(info);
    upgrade(true);

    EXPECT_EQ(server.requestCount("/download/jsjxc"), 0);
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_TRUE(packageFolder().isEmpty());
    EXPECT_EQ(env.dialogs().lastText(), upgradeText(upgradetext::NoPackage));
}

TEST_F(PackageUpgradeTest, WithoutAnInstallerTheUserIsToldTheCommandAndThePackageStays) {
    publishBoth("the new package", "the new package");
    QFile::remove(installer()); // no pkexec on this computer
    upgrade(true);

    EXPECT_TRUE(shell.starts.empty());
    EXPECT_EQ(closes, 0) << "the program goes on";
    const QString package = packageFolder() + QStringLiteral("/jsjxc_4.4.0.0_amd64.deb");
    EXPECT_EQ(readAll(package), "the new package");
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_TRUE(env.dialogs().lastText().endsWith(QStringLiteral("sudo apt install '") + package + u'\''))
        << env.dialogs().lastText().toStdString();
}

TEST(PackageCommand, TheCommandByHandGivesTheShellThePathAsItIs) {
    for (const QString &path : {QStringLiteral("/tmp/jsjxc-package-a/jsjxc_4.4_amd64.deb"),
                                QStringLiteral("/tmp/it's a $HOME `x` \"y\".deb")}) {
        const QString command = packageupgrade::commandByHand(path);
        ASSERT_TRUE(command.startsWith(QStringLiteral("sudo apt install ")));
        QProcess shell;
        shell.start(QStringLiteral("sh"),
                    {QStringLiteral("-c"), QStringLiteral("printf %s ") + command.mid(17)});
        ASSERT_TRUE(shell.waitForFinished());
        EXPECT_EQ(QString::fromUtf8(shell.readAllStandardOutput()), path);
    }
}

TEST(PackageInstaller, TheUpgraderRunsTheInstallerAndRestartsWithWhatIsLeft) {
    TestEnv env;
    const QString folder = packageupgrade::makePackageFolder(env.dir());
    ASSERT_FALSE(folder.isEmpty());
    const QString package = folder + QStringLiteral("/jsjxc_4.4_amd64.deb");
    const QString stray = env.file(QStringLiteral("elsewhere.deb"));
    write(stray, "someone's package");
    const struct {
        QString package;
        int status; // the installer's exit status
        bool installerRuns;
        bool packageStays;
        bool namedAtRestart;
    } cases[] = {
        {package, 0, true, false, false},
        {package, 126, true, true, true}, // the password window closed
        {package, 127, true, true, true}, // no window to ask for the password
        {stray, 0, false, true, false},   // not a package of an upgrade
    };
    for (const auto &c : cases) {
        QDir().mkpath(folder);
        write(package, "package");
        const auto command = parseUpgraderCommand(packageupgrade::upgraderArguments(
            env.file(QStringLiteral("jsjxc")), QStringLiteral("/afterupgrade"), 0,
            QStringLiteral("/x/pkexec"), c.package));
        ASSERT_TRUE(command && command->systemPackage);
        QStringList ran, restarted;
        const int result = runUpgrader(
            *command,
            [&restarted](const QString &, const QStringList &arguments) {
                restarted = arguments;
                return true;
            },
            [&ran, &c](const QString &program, const QStringList &arguments) {
                ran << program << arguments;
                return c.status;
            });
        const std::string shown = c.package.toStdString() + " status " + std::to_string(c.status);
        EXPECT_EQ(result, 0) << shown;
        const QStringList installerRun{QStringLiteral("/x/pkexec"), QStringLiteral("apt-get"),
                                       QStringLiteral("install"), QStringLiteral("-y"), c.package};
        EXPECT_EQ(ran, c.installerRuns ? installerRun : QStringList()) << shown;
        EXPECT_EQ(QFileInfo::exists(c.package), c.packageStays) << shown;
        if (!c.packageStays) {
            EXPECT_FALSE(QFileInfo::exists(folder)) << "the folder goes with the package";
        }
        const QStringList expected = c.namedAtRestart
                                         ? QStringList{QStringLiteral("/afterupgrade3"), c.package}
                                         : QStringList{QStringLiteral("/afterupgrade3")};
        EXPECT_EQ(restarted, expected) << shown;
        // The restarted program finds the package to tell the command by hand.
        EXPECT_EQ(packageupgrade::packageLeftByRestart(QStringList{QStringLiteral("jsjxc")} + restarted,
                                                       QStringLiteral("/afterupgrade")),
                  c.namedAtRestart ? c.package : QString())
            << shown;
    }
}

TEST(PackageLines, TheMakersLinesReadBackAndAnIncompletePackageIsNotSigned) {
    const QString hash(64, u'a');
    const QString head = QStringLiteral("#serial=7\r\n#date=08/05/2014\r\n");
    const QString lines = upgrademaker::packageLines(
        {QStringLiteral("https://www.jiasuisoft.cn/jsjxc_4.4_amd64.deb"), hash, 123456});
    const UpgradeInfo info = readUpgradeInfo(head + lines);
    EXPECT_EQ(info.packageUrl, QStringLiteral("https://www.jiasuisoft.cn/jsjxc_4.4_amd64.deb"));
    EXPECT_EQ(info.packageHash, hash);
    EXPECT_EQ(info.packageSize, 123456);
    EXPECT_TRUE(info.urls.isEmpty()) << "the package is no file of the program";
    EXPECT_TRUE(upgrademaker::problems(head + lines).isEmpty()) << "a package alone is an upgrade";

    const QStringList incomplete = upgrademaker::problems(head + QStringLiteral("#deb=https://x/a.deb\r\n"));
    ASSERT_EQ(incomplete.size(), 2);
    EXPECT_TRUE(incomplete[0].startsWith(QStringLiteral("#debsha256=")));
    EXPECT_TRUE(incomplete[1].startsWith(QStringLiteral("#debsize=")));
}
