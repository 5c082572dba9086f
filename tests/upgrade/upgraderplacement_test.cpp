// Where the upgrader program is written: a folder made for this upgrade inside the temporary folder,
// open to this user only, so that nothing another user put into the shared temporary folder is written
// through, started, or stands in the way; and what is left of it goes at the program's next start.
#include "tests/upgrade/testfiles.h"
#include "tests/upgrade/upgradefixture.h"
#include "upgrade/installation.h"

#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The entry itself, never what a link points at.
std::optional<struct stat> entry(const QString &path) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) return std::nullopt;
    return status;
}

class UpgraderPlacementTest : public UpgradeFixture {
  protected:
    UpgraderPlacementTest() {
        QByteArray info = "#date=08/05/2014\r\n#url=" + url("/download/298vov.exe").toUtf8() + "\r\n";
        info += serveFile("/download/298vov.exe", "new program", "sha256");
        publish(info);
    }

    // Starts the program (a new upgrader object), runs the upgrade to the wizard's OK and returns the
    // upgrader program it started; empty when none was started.
    QString startAndUpgrade() {
        shell.starts.clear();
        make();
        QObject::connect(upgrader.get(), &Upgrader::programShouldClose, upgrader.get(), [] {});
        whenShown(QStringLiteral("TUpgraderMessageForm"),
                  [](QWidget *question) { press(question, "YesBtn"); });
        if (!check() || !upgrader->wizard()) return {};
        press(upgrader->wizard(), "FinishBtn");
        return shell.starts.empty() ? QString() : shell.starts.back().program;
    }

    QString temporary() const { return env.file(QStringLiteral("tmp")); }
};
} // namespace

TEST_F(UpgraderPlacementTest, WhatOthersPutAtTheOldFixedNameIsNeitherFollowedNorInTheWay) {
    const QString victim = env.file(QStringLiteral("data.mdb")); // a file of the shop's user
    write(victim, "the shop's data");
    const QString planted = temporary() + QStringLiteral("/Upgrader");
    enum class Planted { LinkToData, File, FolderWithAFile };
    for (const Planted what : {Planted::LinkToData, Planted::File, Planted::FolderWithAFile}) {
        SCOPED_TRACE(int(what));
        QFile::remove(planted);
        QDir(planted).removeRecursively();
        if (what == Planted::LinkToData) {
            ASSERT_TRUE(QFile::link(victim, planted));
        }
        if (what == Planted::File) write(planted, "someone else's");
        if (what == Planted::FolderWithAFile) {
            ASSERT_TRUE(QDir().mkpath(planted));
            write(planted + QStringLiteral("/inside"), "someone else's");
        }

        const QString started = startAndUpgrade();

        ASSERT_FALSE(started.isEmpty()) << "nothing at a fixed name can block the upgrade";
        const QString folder = QFileInfo(started).absolutePath();
        EXPECT_EQ(QFileInfo(folder).absolutePath(), temporary()) << started.toStdString();
        const auto folderEntry = entry(folder);
        ASSERT_TRUE(folderEntry);
        EXPECT_TRUE(S_ISDIR(folderEntry->st_mode)) << "a folder of its own, no link";
        EXPECT_EQ(folderEntry->st_mode & 07777, 0700u);
        EXPECT_EQ(folderEntry->st_uid, ::getuid());
        const auto programEntry = entry(started);
        ASSERT_TRUE(programEntry);
        EXPECT_TRUE(S_ISREG(programEntry->st_mode));
        EXPECT_EQ(programEntry->st_mode & 0077, 0u) << "nobody else may read, change or run it";
        EXPECT_TRUE(programEntry->st_mode & S_IXUSR);
        EXPECT_EQ(readAll(started), installation::upgraderImage());

        EXPECT_EQ(readAll(victim), "the shop's data");
        switch (what) {
        case Planted::LinkToData:
            EXPECT_EQ(QFileInfo(planted).symLinkTarget(), victim) << "not ours to remove";
            break;
        case Planted::File:
            EXPECT_EQ(readAll(planted), "someone else's");
            break;
        case Planted::FolderWithAFile:
            EXPECT_EQ(readAll(planted + QStringLiteral("/inside")), "someone else's");
            break;
        }
        for (const QString &name :
             QDir(env.file(QStringLiteral("shop"))).entryList({QStringLiteral("*.uTMP")}))
            QFile::remove(programFile(name));
    }
}

TEST_F(UpgraderPlacementTest, TheNextStartRemovesTheLastUpgradersFolderAndFollowsNoLink) {
    const QString started = startAndUpgrade();
    ASSERT_FALSE(started.isEmpty());
    const QString folder = QFileInfo(started).absolutePath();
    ASSERT_NE(folder, temporary());
    // Names like the upgrader's folders, put there by someone else: a link to a folder of the shop's
    // user holding a file of the upgrader's name, and a plain file.
    const QString prefix = QFileInfo(folder).fileName().chopped(6);
    const QString mine = env.file(QStringLiteral("mine"));
    ASSERT_TRUE(QDir().mkpath(mine));
    write(mine + QStringLiteral("/Upgrader"), "kept");
    ASSERT_TRUE(QFile::link(mine, temporary() + u'/' + prefix + QStringLiteral("linked")));
    write(temporary() + u'/' + prefix + QStringLiteral("plain"), "kept too");

    upgrader.reset();
    make(); // the program starts again

    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_EQ(readAll(mine + QStringLiteral("/Upgrader")), "kept");
    EXPECT_TRUE(QFileInfo(temporary() + u'/' + prefix + QStringLiteral("linked")).isSymLink());
    EXPECT_EQ(readAll(temporary() + u'/' + prefix + QStringLiteral("plain")), "kept too");
}
