// The database file: creation with the four tables and the super administrator (complete or not at all,
// whenever the first start is cut off), refusal of foreign, corrupt and newer files without touching
// them, and the statements run over the connection.
#include "store/database.h"
#include "store/passwords.h"
#include "tests/support/testenv.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QByteArray fileHash(const QString &path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void writeFile(const QString &path, const QByteArray &content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// A database made by another program (or another version of ours) through the bare C API.
void makeSqliteFile(const QString &path, int applicationId, int userVersion) {
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    const QByteArray sql =
        "CREATE TABLE other (x); PRAGMA application_id=" + QByteArray::number(applicationId) +
        "; PRAGMA user_version=" + QByteArray::number(userVersion) + ";";
    ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}
} // namespace

TEST(Database, NewFileHasTheFourTablesAndTheSuperAdministrator) {
    TestEnv env;
    Database &db = env.database();
    const QString tableCount =
        testserver::active()
            ? QStringLiteral("select count(*) from information_schema.tables where table_schema=current_schema()"
                             " and table_name=?")
            : QStringLiteral("select count(*) from sqlite_master where type='table' and name=?");
    for (const char *table : {"data", "data1", "userdb", "rz"})
        EXPECT_EQ(
            db.scalar(tableCount, {QString::fromLatin1(table)})
                .toInt(),
            1)
            << table;
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from userdb")).toInt(), 1);
    const QString stored = db.scalar(QStringLiteral("select passwd from userdb where username=?"),
                                     {QStringLiteral("超级管理员")})
                               .toString();
    EXPECT_NE(stored, QStringLiteral("659"));
    EXPECT_TRUE(passwords::verify(stored, QStringLiteral("659")));
    const bool server = testserver::active();
    EXPECT_EQ(db.scalar(server ? QStringLiteral("select version from jsjxc_schema") : QStringLiteral("PRAGMA user_version"))
                  .toInt(),
              Database::SchemaVersion);
    EXPECT_EQ(db.scalar(server ? QStringLiteral("select application_id from jsjxc_schema")
                               : QStringLiteral("PRAGMA application_id"))
                  .toInt(),
              Database::ApplicationId);
}

TEST(Database, ReopeningKeepsRows) {
    TestEnv env;
    const QString path = env.file(QStringLiteral("shop.mdb"));
    {
        Database db;
        ASSERT_TRUE(db.open(path));
        addGoods(db, QStringLiteral("电脑"), QStringLiteral("A1"), 3000, 2, 3500);
    }
    Database db;
    ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("select a from data")).toString(), QStringLiteral("电脑"));
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from userdb")).toInt(), 1);
}

TEST(Database, RefusesFilesThatAreNotItsOwnAndLeavesThemUntouched) {
    SKIP_ON_SERVER("data.mdb files of their own");
    TestEnv env;
    struct Case {
        const char *name;
        std::function<void(const QString &)> make;
        const char *messagePart;
    };
    const Case cases[] = {
        {"text file", [](const QString &p) { writeFile(p, "这不是数据库\n"); }, "不是本程序的数据库"},
        {"empty file", [](const QString &p) { writeFile(p, ""); }, "不是本程序的数据库"},
        {"corrupt header",
         [](const QString &p) {
             writeFile(p, QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\x7f'));
         },
         ""},
        {"foreign sqlite", [](const QString &p) { makeSqliteFile(p, 0, 0); }, "不是本程序的数据库"},
        {"newer version",
         [](const QString &p) { makeSqliteFile(p, Database::ApplicationId, Database::SchemaVersion + 1); },
         "更新版本"},
    };
    for (const Case &c : cases) {
        const QString path = env.file(QString::fromLatin1(c.name) + QStringLiteral(".mdb"));
        c.make(path);
        const QByteArray before = fileHash(path);
        const qint64 sizeBefore = QFile(path).size();
        Database db;
        EXPECT_FALSE(db.open(path)) << c.name;
        EXPECT_TRUE(db.errorText().contains(QString::fromUtf8(c.messagePart)))
            << c.name << ": " << db.errorText().toStdString();
        db.close();
        EXPECT_EQ(fileHash(path), before) << c.name;
        EXPECT_EQ(QFile(path).size(), sizeBefore) << c.name;
    }
}

TEST(Database, AnOlderVersionIsBroughtUpToDate) {
    SKIP_ON_SERVER("data.mdb files of their own");
    TestEnv env;
    const QString path = env.file(QStringLiteral("old.mdb"));
    makeSqliteFile(path, Database::ApplicationId, 0);
    Database db;
    ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA user_version")).toInt(), Database::SchemaVersion);
    EXPECT_TRUE(db.execute(QStringLiteral("insert into data (a) values (?)"), {QStringLiteral("x")}));
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from other")).toInt(), 0); // its own table kept
}

TEST(Database, AFirstVersionFileKeepsItsSalesAndGetsTheCustomerIndex) {
    SKIP_ON_SERVER("data.mdb files of their own");
    TestEnv env;
    const QString path = env.file(QStringLiteral("v1.mdb"));
    {
        Database db;
        ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
        ASSERT_TRUE(db.execute(QStringLiteral("insert into data1 (a,g) values (?,?)"),
                               {QStringLiteral("鼠标"), QStringLiteral("王五")}));
        ASSERT_TRUE(db.execute(QStringLiteral("drop index data1_g")));
        ASSERT_TRUE(db.execute(QStringLiteral("PRAGMA user_version=1")));
    }
    Database db;
    ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA user_version")).toInt(), Database::SchemaVersion);
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from sqlite_master where name='data1_g'")).toInt(),
              1);
    EXPECT_EQ(db.scalar(QStringLiteral("select g from data1 where a=?"), {QStringLiteral("鼠标")}).toString(),
              QStringLiteral("王五"));
}

namespace {
// A file system for the engine that lets the first `budget` writes, syncs, truncations and deletions
// through and ends the process at the next one, as a power cut or a kill would.
struct CutFile {
    sqlite3_file base;
    sqlite3_file *real;
};
sqlite3_vfs *realVfs = nullptr;
int ioBudget = 0;

void spend() {
    if (ioBudget-- == 0) _exit(3);
}
sqlite3_file *real(sqlite3_file *file) {
    return reinterpret_cast<CutFile *>(file)->real;
}

const sqlite3_io_methods cutMethods = {
    3,
    [](sqlite3_file *f) {
        const int rc = real(f)->pMethods->xClose(real(f));
        return rc;
    },
    [](sqlite3_file *f, void *buffer, int amount, sqlite3_int64 offset) {
        return real(f)->pMethods->xRead(real(f), buffer, amount, offset);
    },
    [](sqlite3_file *f, const void *buffer, int amount, sqlite3_int64 offset) {
        spend();
        return real(f)->pMethods->xWrite(real(f), buffer, amount, offset);
    },
    [](sqlite3_file *f, sqlite3_int64 size) {
        spend();
        return real(f)->pMethods->xTruncate(real(f), size);
    },
    [](sqlite3_file *f, int flags) {
        spend();
        return real(f)->pMethods->xSync(real(f), flags);
    },
    [](sqlite3_file *f, sqlite3_int64 *size) { return real(f)->pMethods->xFileSize(real(f), size); },
    [](sqlite3_file *f, int lock) { return real(f)->pMethods->xLock(real(f), lock); },
    [](sqlite3_file *f, int lock) { return real(f)->pMethods->xUnlock(real(f), lock); },
    [](sqlite3_file *f, int *out) { return real(f)->pMethods->xCheckReservedLock(real(f), out); },
    [](sqlite3_file *f, int op, void *arg) { return real(f)->pMethods->xFileControl(real(f), op, arg); },
    [](sqlite3_file *f) { return real(f)->pMethods->xSectorSize(real(f)); },
    [](sqlite3_file *f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); },
    [](sqlite3_file *f, int page, int size, int extend, void volatile **out) {
        return real(f)->pMethods->xShmMap(real(f), page, size, extend, out);
    },
    [](sqlite3_file *f, int offset, int n, int flags) {
        return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
    },
    [](sqlite3_file *f) { real(f)->pMethods->xShmBarrier(real(f)); },
    [](sqlite3_file *f, int deleteFlag) { return real(f)->pMethods->xShmUnmap(real(f), deleteFlag); },
    [](sqlite3_file *f, sqlite3_int64 offset, int amount, void **out) {
        return real(f)->pMethods->xFetch(real(f), offset, amount, out);
    },
    [](sqlite3_file *f, sqlite3_int64 offset, void *page) {
        return real(f)->pMethods->xUnfetch(real(f), offset, page);
    },
};

sqlite3_vfs cutVfs;

// Installs the cutting file system as the engine's default, in this process only.
void installCutVfs(int budget) {
    ioBudget = budget;
    realVfs = sqlite3_vfs_find(nullptr);
    cutVfs = *realVfs;
    cutVfs.zName = "cut";
    cutVfs.szOsFile = int(sizeof(CutFile)) + realVfs->szOsFile;
    cutVfs.xOpen = [](sqlite3_vfs *, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags) {
        auto *cut = reinterpret_cast<CutFile *>(file);
        cut->real = reinterpret_cast<sqlite3_file *>(cut + 1);
        const int rc = realVfs->xOpen(realVfs, name, cut->real, flags, outFlags);
        cut->base.pMethods = cut->real->pMethods ? &cutMethods : nullptr;
        return rc;
    };
    cutVfs.xDelete = [](sqlite3_vfs *, const char *name, int syncDir) {
        spend();
        return realVfs->xDelete(realVfs, name, syncDir);
    };
    sqlite3_vfs_register(&cutVfs, 1);
}

// Opens (creating) the database in a child process cut off after `budget` file operations. True when
// the cut came before the open had finished.
bool openCutOffAfter(const QString &path, int budget) {
    const pid_t child = fork();
    if (child == 0) {
        installCutVfs(budget);
        Database db;
        _exit(db.open(path) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    const int code = WEXITSTATUS(status);
    EXPECT_NE(code, 1) << "the open failed by itself after " << budget << " operations";
    return code == 3;
}
} // namespace

TEST(Database, AFirstStartCutOffAnywhereLeavesNoFileThatIsRefusedOrHasNoUser) {
    SKIP_ON_SERVER("data.mdb files of their own");
    TestEnv env;
    int cuts = 0;
    for (int budget = 0; budget < 400; ++budget) {
        SCOPED_TRACE("cut after " + std::to_string(budget) + " file operations");
        QTemporaryDir folder(env.file(QStringLiteral("cutXXXXXX")));
        const QString path = folder.filePath(QStringLiteral("data.mdb"));
        if (!openCutOffAfter(path, budget)) break;
        ++cuts;
        // Whatever the cut left (no shop yet, or the whole new one), the next start opens a shop with
        // its super administrator.
        Database db;
        ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
        EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from userdb where username=?"),
                            {QStringLiteral("超级管理员")})
                      .toInt(),
                  1);
        EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA user_version")).toInt(), Database::SchemaVersion);
        EXPECT_FALSE(QFileInfo::exists(Database::temporaryPathFor(path)));
    }
    EXPECT_GT(cuts, 5) << "the creation must have been cut at several places";
}

TEST(Database, ALeftoverPartialFileIsIgnoredAndReplaced) {
    SKIP_ON_SERVER("data.mdb files of their own");
    TestEnv env;
    const QString path = env.file(QStringLiteral("data.mdb"));
    const QString partial = Database::temporaryPathFor(path);
    EXPECT_EQ(QFileInfo(partial).absolutePath(), QFileInfo(path).absolutePath());
    // A start that stopped after the tables, before the super administrator, and its journal.
    makeSqliteFile(partial, 0, 0);
    writeFile(partial + QStringLiteral("-journal"), "leftover");

    Database db;
    ASSERT_TRUE(db.open(path)) << db.errorText().toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from userdb")).toInt(), 1);
    EXPECT_FALSE(db.scalar(QStringLiteral("select count(*) from other")).isValid());
    EXPECT_FALSE(QFileInfo::exists(partial));
    EXPECT_FALSE(QFileInfo::exists(partial + QStringLiteral("-journal")));
}

TEST(Database, ANewFileThatCannotBeMadeIsReportedAndLeavesNothing) {
    SKIP_ON_SERVER("data.mdb files of their own");
    TestEnv env;
    const QString path = env.file(QStringLiteral("missing/data.mdb"));
    Database db;
    EXPECT_FALSE(db.open(path));
    EXPECT_TRUE(db.errorText().contains(path)) << db.errorText().toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(QFileInfo::exists(Database::temporaryPathFor(path)));
}

TEST(Database, FailedStatementReportsTheEngineErrorAndKeepsCommittedRows) {
    TestEnv env;
    Database &db = env.database();
    addGoods(db, QStringLiteral("鼠标"), QString(), 10, 5, 15);
    EXPECT_FALSE(db.execute(QStringLiteral("update data set nosuchcolumn=1")));
    EXPECT_TRUE(db.errorText().contains(QStringLiteral("nosuchcolumn")));
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from data")).toInt(), 1);
}

TEST(Database, TransactionRollsBackTogether) {
    TestEnv env;
    Database &db = env.database();
    const qint64 id = addGoods(db, QStringLiteral("键盘"), QString(), 20, 10, 30);
    ASSERT_TRUE(db.begin());
    ASSERT_TRUE(db.execute(QStringLiteral("update data set [7]=3 where ID=?"), {id}));
    EXPECT_FALSE(db.execute(QStringLiteral("insert into nosuchtable values (1)")));
    db.rollback();
    EXPECT_EQ(db.scalar(QStringLiteral("select [7] from data where ID=?"), {id}).toDouble(), 10);
}

TEST(Database, QuotesInUserTextAreStoredAsTyped) {
    TestEnv env;
    Database &db = env.database();
    const QString name = QStringLiteral("O'Neil 的\"店\"");
    ASSERT_TRUE(db.execute(QStringLiteral("insert into data1 (g) values (?)"), {name}));
    EXPECT_EQ(db.scalar(QStringLiteral("select count(*) from data1 where g=?"), {name}).toInt(), 1);
}

TEST(Passwords, CaseInsensitiveSaltedHashes) {
    const QString first = passwords::hash(QStringLiteral("Abc123"));
    const QString second = passwords::hash(QStringLiteral("Abc123"));
    EXPECT_NE(first, second); // salted
    EXPECT_FALSE(first.contains(QStringLiteral("Abc123"), Qt::CaseInsensitive));
    EXPECT_TRUE(passwords::verify(first, QStringLiteral("abc123")));
    EXPECT_TRUE(passwords::verify(first, QStringLiteral("ABC123")));
    EXPECT_FALSE(passwords::verify(first, QStringLiteral("abc124")));
    EXPECT_FALSE(passwords::verify(QStringLiteral("659"), QStringLiteral("659"))); // plain text never matches
    EXPECT_FALSE(passwords::verify(QString(), QString()));
}
