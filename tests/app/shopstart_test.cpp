// The assembled program from its start to its end: what a login applies from the stored settings and
// layout, the stored skin at the first show, a title click on a long goods list, and the exit time of
// this run's login-log row.
#include "app/mainwindow.h"
#include "app/shop.h"
#include "stock/goodslist.h"
#include "store/clock.h"
#include "store/dataset.h"
#include "store/settingsstore.h"
#include "tests/support/recordingshell.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "users/loginwindow.h"
#include "users/userstore.h"
#include "widgets/datagrid.h"
#include "widgets/gridheader.h"
#include "widgets/skins.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {
class ShopStartTest : public ::testing::Test {
  protected:
    ~ShopStartTest() override {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (window && top != window.get() && top->parent() == window.get()) top->close();
        qApp->setStyleSheet(QString());
    }

    // The program's start: the main window with everything put into it, shown.
    void start() {
        window = std::make_unique<MainWindow>(env.database());
        shop = new Shop(env.database(), *window);
        window->show();
    }
    void logIn(const QString &name) {
        LoginWindow *login = shop->login();
        login->show();
        login->findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setEditText(name);
        login->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("659"));
        login->logIn();
        ASSERT_TRUE(login->isLoggedIn());
    }
    DataGrid *grid() { return shop->goods()->grid(); }
    const Dataset &goods() { return shop->goods()->goods(); }
    QStringList listed(const char *field) {
        QStringList values;
        for (int row = 0; row < goods().rowCount(); ++row)
            values << goods().text(row, QString::fromLatin1(field));
        return values;
    }
    void writeLayout(const QByteArray &lines) {
        const QString path = SettingsStore::instance().layoutPath();
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[ranvelgrid]\n" + lines);
    }

    TestEnv env;
    RecordingShell shell;
    std::unique_ptr<MainWindow> window;
    Shop *shop = nullptr;
};
} // namespace

TEST_F(ShopStartTest, ALoginAppliesTheZeroStockChoiceAndTheSavedLayoutBoth) {
    addGoods(env.database(), u("电脑"), u("联想"), 3000, 5, 3500, QStringLiteral("2014-08-01"));
    addGoods(env.database(), u("旧货"), QString(), 10, 0, 15, QStringLiteral("2014-08-02")); // no stock
    addGoods(env.database(), u("鼠标"), u("无线"), 20, 50, 35, QStringLiteral("2014-08-03"));
    ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("n0"), QStringLiteral("no")));
    // The code column first and the remark column hidden, as "保存当前列宽" left them.
    writeLayout("DBGrid1.c=0,150,0,1,0,7,0\nDBGrid1.z=14,56,0,0,0,7,0\n(Default)=0,0\n");
    start();

    logIn(u("超级管理员"));

    EXPECT_TRUE(window->zeroStockBox()->isChecked());
    EXPECT_EQ(listed("a"), QStringList({u("电脑"), u("鼠标")}));
    const int code = grid()->columnOfField(QStringLiteral("c"));
    EXPECT_EQ(grid()->horizontalHeader()->visualIndex(code), 0);
    EXPECT_FALSE(grid()->isColumnVisible(QStringLiteral("z")));
    EXPECT_TRUE(grid()->isColumnVisible(QStringLiteral("g")));
    // Both stay for the run: "全部记录" lists with the choice, in the restored layout.
    window->command(QStringLiteral("N8"))->trigger();
    EXPECT_EQ(goods().rowCount(), 2);
    EXPECT_EQ(grid()->horizontalHeader()->visualIndex(code), 0);
    EXPECT_FALSE(grid()->isColumnVisible(QStringLiteral("z")));
}

TEST_F(ShopStartTest, TheStoredSkinIsLoadedAtTheFirstShow) {
    struct Case {
        const char *stored;
        int loaded;
    } cases[] = {{"2", 2}, {"4", 4}, {"5", -1}, {"x", -1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        qApp->setStyleSheet(QString());
        window.reset();
        ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("skin"), QString::fromLatin1(c.stored)));
        start();
        EXPECT_EQ(qApp->styleSheet(), skins::styleSheet(c.loaded));
        if (c.loaded >= 0) {
            EXPECT_EQ(skins::loaded(), c.loaded);
        }
    }
}

TEST_F(ShopStartTest, ATitleClickKeepsTiedRowsInTheirListedOrder) {
    // More rows than a sort handles by simple insertion, so that only a stable sort keeps the ties.
    const QString categories[] = {u("文具"), u("电器"), u("食品")};
    ASSERT_TRUE(env.database().begin());
    for (int i = 0; i < 60; ++i) {
        const QString name = QStringLiteral("goods%1").arg(i, 2, 10, QLatin1Char('0'));
        const qint64 id = addGoods(env.database(), name, QString(), 10, 5, 12,
                                   QDate(2014, 1, 1).addDays(i).toString(Qt::ISODate));
        ASSERT_TRUE(env.database().execute(QStringLiteral("update data set d=? where ID=?"),
                                           {categories[(i * 7) % 3], id}));
    }
    ASSERT_TRUE(env.database().commit());
    start();
    logIn(u("超级管理员"));
    const QStringList loaded = listed("a");
    ASSERT_EQ(loaded.size(), 60);

    const int category = grid()->columnOfField(QStringLiteral("d"));
    GridHeader *header = grid()->gridHeader();
    const QPoint title(header->sectionViewportPosition(category) + header->sectionSize(category) / 2,
                       header->height() * 3 / 4);
    for (const bool descending : {true, false}) {
        SCOPED_TRACE(descending ? "first click" : "second click");
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
        const QStringList names = listed("a");
        const QStringList groups = listed("d");
        ASSERT_EQ(names.size(), 60);
        for (int row = 1; row < names.size(); ++row) {
            const int order = QString::localeAwareCompare(groups[row - 1], groups[row]);
            EXPECT_TRUE(descending ? order >= 0 : order <= 0) << row;
            if (groups[row - 1] == groups[row]) {
                EXPECT_LT(loaded.indexOf(names[row - 1]), loaded.indexOf(names[row]))
                    << names[row - 1].toStdString() << " before " << names[row].toStdString();
            }
        }
    }
}

TEST_F(ShopStartTest, ClosingCompletesThisRunsLogRowNotALaterOne) {
    start();
    logIn(u("超级管理员"));
    const qint64 thisRun = window->loginLogId();
    ASSERT_NE(thisRun, 0);
    // A second copy of the program on the same file logs in after this one.
    Database other;
    ASSERT_TRUE(other.open(env.database().path()));
    const auto later = UserStore(other).openLogRow(QStringLiteral("Tom"));
    ASSERT_TRUE(later.has_value());
    ASSERT_GT(*later, thisRun);
    Clock::fix(QDateTime(QDate(2014, 8, 12), QTime(18, 5, 9)));

    ASSERT_TRUE(window->close());

    Database &db = env.database();
    EXPECT_EQ(db.scalar(QStringLiteral("select jtime from rz where id=?"), {thisRun}).toString(),
              QStringLiteral("2014-08-12 18:05:09"));
    EXPECT_TRUE(db.scalar(QStringLiteral("select jtime from rz where id=?"), {*later}).isNull());
}
