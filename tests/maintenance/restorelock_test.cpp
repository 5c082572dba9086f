// A backup or a restore never works on a database file that another program uses: it is refused while
// one has the file open or left its log beside it, and the file is held from that check to the rename,
// so that a program started while the replace question waits can neither write into the file that is
// being replaced nor leave its log for the restored one.
#include "maintenance/safetycopies.h"
#include "tests/maintenance/shopfixture.h"

#include <QDir>
#include <QFileInfo>
#include <functional>
#include <sqlite3.h>

namespace {
// The dialogs, with something that happens elsewhere while a question waits for the user.
class WaitingDialogs : public ScriptedDialogs {
  public:
    std::function<void()> whileAsking;
    bool ask(QWidget *parent, const QString &text, const QString &title, Buttons buttons,
             QuestionIcon icon) override {
        if (whileAsking) whileAsking();
        return ScriptedDialogs::ask(parent, text, title, buttons, icon);
    }
};

// Another program on the shop's file, with a connection of its own (no waiting when the file is busy).
class OtherProgram {
  public:
    explicit OtherProgram(const QString &path) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~OtherProgram() { sqlite3_close(m_db); }
    int run(const char *sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr); }
    int logIn() { return run("insert into rz (username,btime) values ('第二个程序','2014-08-12 10:31:00')"); }

  private:
    sqlite3 *m_db = nullptr;
};

// The first column of the first row of a statement on a fresh connection, or the engine's complaint.
QString firstValue(const QString &path, const char *sql) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt *statement = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    else
        value = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

class RestoreLockTest : public MaintenanceShopTest {
  protected:
    // The window open over a shop of three goods rows, with a backup of two of them in copy.mdb.
    BackupWindow *openWithBackup() {
        logIn();
        BackupWindow *backup = openBackup();
        backup->target()->setText(copy);
        backup->backUp();
        closeBackup(backup);
        addGoods(env.database(), u("键盘"), u("机械"), 100, 3, 150);
        backup = openBackup();
        backup->source()->setText(copy);
        return backup;
    }
    const QString copy = env.file(QStringLiteral("copy.mdb"));
};

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

TEST_F(RestoreLockTest, BackupAndRestoreAreRefusedWhileAnotherProgramUsesTheFile) {
    BackupWindow *backup = openWithBackup();
    const QString wal = databasePath() + QStringLiteral("-wal");
    const QString target = env.file(QStringLiteral("new-backup.mdb"));
    backup->target()->setText(target);

    for (const char *situation : {"another program has data.mdb open", "a program left its log beside it"}) {
        SCOPED_TRACE(situation);
        std::unique_ptr<OtherProgram> other;
        if (QByteArray(situation).startsWith("another")) {
            other = std::make_unique<OtherProgram>(databasePath());
            ASSERT_EQ(other->logIn(), SQLITE_OK);
            ASSERT_TRUE(QFileInfo::exists(wal));
        } else {
            writeFile(wal, QByteArray(4096, '\x5a'));
        }
        const QByteArray before = bytesOf(databasePath());
        for (const auto action : {&BackupWindow::restore, &BackupWindow::backUp}) {
            env.dialogs().clear();
            env.dialogs().answer(true);
            (backup->*action)();
            ASSERT_EQ(env.dialogs().shown().size(), 1u)
                << "no replace question: " << env.dialogs().lastText().toStdString();
            EXPECT_TRUE(env.dialogs().lastText().contains(u("正被另一个程序使用")))
                << env.dialogs().lastText().toStdString();
        }
        EXPECT_FALSE(backup->hasRestored());
        EXPECT_EQ(bytesOf(databasePath()), before);
        EXPECT_TRUE(safetycopies::list(databasePath()).isEmpty());
        EXPECT_FALSE(QFileInfo::exists(target));
        other.reset();
        QFile::remove(wal);
    }
    closeBackup(backup);
    EXPECT_EQ(count("select count(*) from data"), 3);
}

TEST_F(RestoreLockTest, AProgramStartedWhileTheQuestionWaitsCannotWriteIntoTheFileBeingReplaced) {
    BackupWindow *backup = openWithBackup();
    // What a program that ended badly left of the file's shared memory.
    writeFile(databasePath() + QStringLiteral("-shm"), QByteArray(32768, '\x01'));
    WaitingDialogs dialogs;
    std::unique_ptr<OtherProgram> other;
    int written = -1;
    dialogs.whileAsking = [&] {
        other = std::make_unique<OtherProgram>(databasePath());
        written = other->logIn();
    };
    dialogs.answer(true);
    backup->restore();

    EXPECT_EQ(dialogs.lastText(), u("数据库恢复成功！"));
    EXPECT_EQ(written, SQLITE_BUSY) << "the file is held from the check to the rename";
    EXPECT_FALSE(QFileInfo::exists(databasePath() + QStringLiteral("-shm")))
        << "the replaced file's shared memory went with it";
    // While the other program still has its connection, the restored file is whole and is the backup.
    EXPECT_EQ(firstValue(databasePath(), "PRAGMA integrity_check"), QStringLiteral("ok"));
    EXPECT_EQ(firstValue(databasePath(), "select count(*) from data"), QStringLiteral("2"));
    EXPECT_EQ(firstValue(databasePath(), "select count(*) from rz where username='第二个程序'"),
              QStringLiteral("0"));
    const auto kept = safetycopies::list(databasePath());
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(firstValue(kept[0].path, "select count(*) from data"), QStringLiteral("3"));
    other.reset();
    closeBackup(backup);
    EXPECT_EQ(shop->goods()->goods().rowCount(), 2);
}

TEST_F(RestoreLockTest, ALogThatAppearsWhileTheQuestionWaitsStopsTheRestore) {
    BackupWindow *backup = openWithBackup();
    const QByteArray before = bytesOf(databasePath());
    const QString wal = databasePath() + QStringLiteral("-wal");
    WaitingDialogs dialogs;
    // A program that does not heed the file's lock.
    dialogs.whileAsking = [&] { writeFile(wal, QByteArray(4096, '\x5a')); };
    dialogs.answer(true);
    backup->restore();

    EXPECT_TRUE(dialogs.lastText().contains(u("正被另一个程序使用"))) << dialogs.lastText().toStdString();
    EXPECT_FALSE(backup->hasRestored());
    EXPECT_EQ(bytesOf(databasePath()), before);
    EXPECT_EQ(bytesOf(wal), QByteArray(4096, '\x5a'));
    EXPECT_TRUE(safetycopies::list(databasePath()).isEmpty());
    QFile::remove(wal);
    closeBackup(backup);
    EXPECT_EQ(count("select count(*) from data"), 3);
}
