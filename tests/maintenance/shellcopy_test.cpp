// The shell's file copy that backup and restore go through: one file to one target name, the question
// before an existing target is replaced, and never a half-written file under the target's name.
#include "tests/support/scripteddialogs.h"
#include "tests/support/typing.h"
#include "widgets/shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
class ShellCopyTest : public ::testing::Test {
  protected:
    QString file(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    void write(const QString &path, const QByteArray &bytes) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    static QByteArray read(const QString &path) {
        QFile in(path);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    static ino_t inode(const QString &path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    SystemShell shell;
};
} // namespace

TEST_F(ShellCopyTest, ANewTargetIsWrittenWithoutAQuestion) {
    // Larger than one read, so the copy runs in pieces.
    QByteArray content;
    for (int i = 0; i < 300'000; ++i)
        content.append(char('a' + i % 26)).append(char(i % 251));
    write(file("data.mdb"), content);
    EXPECT_EQ(shell.copyFile(nullptr, file("data.mdb"), file("备份.mdb")), Shell::CopyResult::Copied);
    EXPECT_EQ(read(file("备份.mdb")), content);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file left";
}

TEST_F(ShellCopyTest, AnExistingTargetIsReplacedOnlyAfterYesAndNeverWrittenInPlace) {
    write(file("data.mdb"), "new contents");
    write(file("old.mdb"), "old contents");
    // A second name for the old file: whatever happens to the target name, these bytes must not change.
    ASSERT_EQ(::link(QFile::encodeName(file("old.mdb")).constData(),
                     QFile::encodeName(file("old-link")).constData()),
              0);

    dialogs.answer(false);
    EXPECT_EQ(shell.copyFile(nullptr, file("data.mdb"), file("old.mdb")), Shell::CopyResult::Declined);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.lastText().contains(QDir::toNativeSeparators(file("old.mdb"))));
    EXPECT_EQ(read(file("old.mdb")), QByteArray("old contents"));

    dialogs.answer(true);
    const ino_t before = inode(file("old.mdb"));
    EXPECT_EQ(shell.copyFile(nullptr, file("data.mdb"), file("old.mdb")), Shell::CopyResult::Copied);
    EXPECT_EQ(read(file("old.mdb")), QByteArray("new contents"));
    EXPECT_NE(inode(file("old.mdb")), before) << "a new file took the name";
    EXPECT_EQ(read(file("old-link")), QByteArray("old contents")) << "the old file was never written";
}

TEST_F(ShellCopyTest, ACopyThatCannotBeMadeFailsAndLeavesNothing) {
    write(file("data.mdb"), "contents");
    write(file("blocker"), "a file, not a folder");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const struct {
        QString source, target;
    } cases[] = {
        {file("data.mdb"), QString()},
        {file("data.mdb"), QStringLiteral("   ")},
        {file("data.mdb"), file("missing/x.mdb")},
        {file("data.mdb"), file("blocker/x.mdb")},
        {file("data.mdb"), file("folder")},
        {file("none.mdb"), file("x.mdb")},
        {file("folder"), file("x.mdb")},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(shell.copyFile(nullptr, c.source, c.target), Shell::CopyResult::Failed)
            << c.source.toStdString() << " -> " << c.target.toStdString();
        QString error;
        EXPECT_FALSE(copyFileDurably(c.source, c.target, &error));
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    EXPECT_EQ(read(file("blocker")), QByteArray("a file, not a folder"));
}
