// The desktop launcher: where it goes, what it says, and that a failure stays silent.
#include "tests/support/recordingshell.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "users/desktoplauncher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMap>
#include <gtest/gtest.h>

namespace {
QMap<QString, QString> entries(const QByteArray &content) {
    QMap<QString, QString> map;
    const QStringList lines = QString::fromUtf8(content).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.value(0), QStringLiteral("[Desktop Entry]"));
    for (const QString &line : lines.mid(1)) {
        const qsizetype equals = line.indexOf(u'=');
        EXPECT_GT(equals, 0) << line.toStdString();
        map.insert(line.left(equals), line.mid(equals + 1));
    }
    return map;
}
} // namespace

TEST(DesktopLauncher, EntryStartsTheProgramInItsFolderWithAnIcon) {
    const auto map =
        entries(desktoplauncher::content({QStringLiteral("/opt/jsjxc/jsjxc"), QStringLiteral("/opt/jsjxc/"),
                                          QStringLiteral("/opt/jsjxc/jsjxc.png")}));
    EXPECT_EQ(map.value(QStringLiteral("Type")), QStringLiteral("Application"));
    EXPECT_EQ(map.value(QStringLiteral("Name")), QString::fromUtf8("嘉穗进销存"));
    EXPECT_EQ(map.value(QStringLiteral("Comment")), QString::fromUtf8("嘉穗进销存"));
    EXPECT_EQ(map.value(QStringLiteral("Exec")), QStringLiteral("\"/opt/jsjxc/jsjxc\""));
    EXPECT_EQ(map.value(QStringLiteral("Path")), QStringLiteral("/opt/jsjxc/"));
    EXPECT_EQ(map.value(QStringLiteral("Icon")), QStringLiteral("/opt/jsjxc/jsjxc.png"));
}

TEST(DesktopLauncher, PathsWithSpecialCharactersAreEscaped) {
    struct Case {
        QString program, exec;
    } cases[] = {
        {QStringLiteral("/home/a b/jsjxc"), QStringLiteral("\"/home/a b/jsjxc\"")},
        // Inside quotes ", `, $ and \ take a backslash; then every backslash is doubled as in any value.
        {QStringLiteral("/x/\"q\"/p"), QStringLiteral("\"/x/\\\\\"q\\\\\"/p\"")},
        {QStringLiteral("/x/$HOME/`p`"), QStringLiteral("\"/x/\\\\$HOME/\\\\`p\\\\`\"")},
        {QStringLiteral("/x/a\\b"), QStringLiteral("\"/x/a\\\\\\\\b\"")},
        {QStringLiteral("/x/100%/p"), QStringLiteral("\"/x/100%%/p\"")},
        {QString::fromUtf8("/主目录/进销存/jsjxc"), QString::fromUtf8("\"/主目录/进销存/jsjxc\"")},
    };
    for (const Case &c : cases) {
        const auto map =
            entries(desktoplauncher::content({c.program, QStringLiteral("/x/a\\b\n"), QStringLiteral("i")}));
        EXPECT_EQ(map.value(QStringLiteral("Exec")), c.exec) << c.program.toStdString();
        EXPECT_EQ(map.value(QStringLiteral("Path")), QStringLiteral("/x/a\\\\b\\n"));
    }
}

TEST(DesktopLauncher, GoesIntoTheXdgDesktopFolderAndStartsWhereTheDatabaseIs) {
    TestEnv env;
    DesktopFolder desktop(env.dir());
    EXPECT_EQ(desktoplauncher::desktopFolder(), desktop.path());

    RecordingShell shell;
    const QString shopFolder = env.file(u("店"));
    EXPECT_TRUE(desktoplauncher::refresh(shell, shopFolder));
    const auto written = shell.writtenTo(desktop.launcherPath());
    ASSERT_EQ(written.size(), 1u);
    const auto map = entries(written[0].content);
    const QFileInfo program(QCoreApplication::applicationFilePath());
    EXPECT_EQ(map.value(QStringLiteral("Exec")), u'"' + program.absoluteFilePath() + u'"');
    // Not the program's folder: the shop's data.mdb is where the program was started.
    EXPECT_EQ(map.value(QStringLiteral("Path")), shopFolder + u'/');
    EXPECT_NE(map.value(QStringLiteral("Path")), program.absolutePath() + u'/');
    EXPECT_FALSE(map.value(QStringLiteral("Icon")).isEmpty());
}

TEST(DesktopLauncher, FailuresAreReportedToTheCallerOnly) {
    TestEnv env;
    RecordingShell shell;
    const desktoplauncher::Launcher launcher{QStringLiteral("/p"), QStringLiteral("/"), QStringLiteral("i")};
    // No desktop folder: none is made.
    EXPECT_FALSE(desktoplauncher::write(shell, env.file(QStringLiteral("none")), launcher));
    EXPECT_FALSE(desktoplauncher::write(shell, QString(), launcher));
    EXPECT_TRUE(shell.written.empty());
    shell.refuseWrites = true;
    EXPECT_FALSE(desktoplauncher::write(shell, env.dir(), launcher));
}

TEST(DesktopLauncher, TheSystemShellReplacesTheFileAndMakesItStartable) {
    TestEnv env;
    SystemShell shell;
    const QString path = env.file(QString::fromUtf8("嘉穗进销存.desktop"));
    ASSERT_TRUE(desktoplauncher::write(shell, env.dir(),
                                       {QStringLiteral("/old"), QStringLiteral("/"), QStringLiteral("i")}));
    ASSERT_TRUE(desktoplauncher::write(shell, env.dir(),
                                       {QStringLiteral("/new"), QStringLiteral("/"), QStringLiteral("i")}));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(entries(file.readAll()).value(QStringLiteral("Exec")), QStringLiteral("\"/new\""));
    EXPECT_TRUE(QFileInfo(path).isExecutable());
}
