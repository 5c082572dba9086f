// Restoring twice, and restoring data.mdb onto itself: every restore keeps the shop it replaced under a
// name of its own, so the shop as it was before the first restore is never lost, and the backup window
// offers every kept copy to restore from.
#include "maintenance/safetycopies.h"
#include "store/clock.h"
#include "tests/maintenance/shopfixture.h"

#include <QDir>
#include <QListWidget>
#include <map>

namespace {
class RestoreTwiceTest : public MaintenanceShopTest {
  protected:
    void restoreFrom(BackupWindow *backup, const QString &source) {
        backup->source()->setText(source);
        env.dialogs().answer(true);
        backup->restore();
        ASSERT_EQ(env.dialogs().lastText(), u("数据库恢复成功！")) << source.toStdString();
    }
    static int goodsIn(const QString &path) {
        Database database;
        return database.open(path) ? database.scalar(QStringLiteral("select count(*) from data")).toInt()
                                   : -1;
    }
    // Every file beside data.mdb whose name a restore could have given, with its goods rows.
    std::map<QString, int> keptBeside() const {
        std::map<QString, int> kept;
        for (const QString &name : QDir(env.dir()).entryList({QStringLiteral("data.mdb.bak*")}, QDir::Files))
            kept[name] = goodsIn(env.file(name));
        return kept;
    }
};
} // namespace

TEST_F(RestoreTwiceTest, ASecondRestoreAndARestoreOntoItselfKeepTheShopAsItWasBeforeTheFirst) {
    logIn();
    const QString copy = env.file(QStringLiteral("copy.mdb"));
    BackupWindow *backup = openBackup();
    backup->target()->setText(copy);
    backup->backUp(); // two goods rows
    closeBackup(backup);
    addGoods(env.database(), u("键盘"), u("机械"), 100, 3, 150); // the morning's work: three

    backup = openBackup();
    restoreFrom(backup, copy);
    restoreFrom(backup, copy); // the same again, in the same second
    Clock::fix(QDateTime(QDate(2014, 8, 12), QTime(10, 45, 7)));
    restoreFrom(backup, QStringLiteral("data.mdb")); // the database onto itself
    closeBackup(backup);

    const std::map<QString, int> expected{{QStringLiteral("data.mdb.bak-20140812-103000"), 3},
                                          {QStringLiteral("data.mdb.bak-20140812-103000-2"), 2},
                                          {QStringLiteral("data.mdb.bak-20140812-104507"), 2}};
    EXPECT_EQ(keptBeside(), expected);
    EXPECT_EQ(shop->goods()->goods().rowCount(), 2);

    // The window lists them newest first, above the daily copies; the morning's brings its rows back.
    backup = openBackup();
    QListWidget *sources = backup->restoreSources();
    ASSERT_EQ(sources->count(), 3);
    const QString kinds[] = {u("2014-08-12 10:45:07  恢复前的数据库"),
                             u("2014-08-12 10:30:00  恢复前的数据库"),
                             u("2014-08-12 10:30:00  恢复前的数据库")};
    for (int row = 0; row < 3; ++row)
        EXPECT_TRUE(sources->item(row)->text().startsWith(kinds[row]))
            << sources->item(row)->text().toStdString();
    sources->setCurrentRow(2);
    EXPECT_EQ(backup->source()->text(), env.file(QStringLiteral("data.mdb.bak-20140812-103000")));
    env.dialogs().answer(true);
    backup->restore();
    EXPECT_EQ(env.dialogs().lastText(), u("数据库恢复成功！"));
    EXPECT_EQ(sources->count(), 4) << "the list shows the copy this restore kept";
    closeBackup(backup);
    EXPECT_EQ(shop->goods()->goods().rowCount(), 3);
    EXPECT_EQ(keptBeside().size(), 4u) << "no copy replaced another";
}
