// A sale at a till whose connection to the shop's server is lost: the session ended while the till
// was idle, ended in the middle of the sale's transaction, or the server stopped and started again.
// Worked through the assembled main window, as a cashier does.
#include "app/mainwindow.h"
#include "app/shop.h"
#include "sales/salepanel.h"
#include "stock/goodslist.h"
#include "store/settingsstore.h"
#include "tests/support/recordingshell.h"
#include "tests/support/sessionend.h"
#include "tests/support/shoplogin.h"
#include "tests/support/testenv.h"
#include "tests/support/throwawayserver.h"
#include "users/loginwindow.h"
#include "widgets/datagrid.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {
const QString Lost = QStringLiteral("与数据库服务器的连接已断开");

// What the cashier typed into the sale panel.
struct Typed {
    QString discount, price, quantity, debt, customer, saleNumber;
    bool operator==(const Typed &) const = default;
};

class LostConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testserver::active()) GTEST_SKIP() << "a lost connection is the server's";
    }
    void TearDown() override {
        if (!window) return;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top != window.get() && top->parent() == window.get()) top->close();
    }

    // The window over the shop's database (opened again on `server` when given), one goods row of
    // stock 5, the super administrator logged in.
    void start(const QString &server = {}) {
        Database &db = env.database();
        if (!server.isEmpty()) {
            ASSERT_TRUE(db.openServer(server)) << db.errorText().toStdString();
            ASSERT_TRUE(SettingsStore::instance().write(QStringLiteral("database"), server));
        }
        addGoods(db, QStringLiteral("电脑"), QString(), 3000, 5, 3500);
        window = std::make_unique<MainWindow>(db);
        shop = new Shop(db, *window);
        ASSERT_TRUE(showLoggedIn(*window, *shop->login(), QStringLiteral("超级管理员")));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QLineEdit *field(const char *name) { return window->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    QComboBox *customer() { return window->findChild<QComboBox *>(QStringLiteral("ComboBox7")); }
    Typed typed() {
        return {field("Edit10")->text(), field("Edit5")->text(),    field("Edit35")->text(),
                field("Edit12")->text(), customer()->currentText(), field("Edit34")->text()};
    }

    // The panel opened on the goods row by a double click, and a sale of two at 90% typed.
    void typeSale() {
        DataGrid *grid = shop->goods()->grid();
        const QPoint cell = grid->visualRect(grid->model()->index(0, 0)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        ASSERT_TRUE(shop->salePanel()->isVisible());
        field("Edit10")->setText(QStringLiteral("90"));
        field("Edit35")->setText(QStringLiteral("2"));
        field("Edit12")->setText(QStringLiteral("50"));
        customer()->setEditText(QStringLiteral("张三"));
        ASSERT_EQ(field("Edit5")->text(), QStringLiteral("3150"));
    }
    void confirm() { window->findChild<QToolButton *>(QStringLiteral("Image3"))->click(); }

    // The goods row and the sales records as stored, over a connection of the check's own.
    QString stored() {
        Database check;
        if (!check.openServer(env.database().serverConnection())) return check.errorText();
        return check.scalar(QStringLiteral("select [5]||'/'||[7] from data")).toString() + QLatin1Char('|') +
               check
                   .scalar(QStringLiteral(
                       "select count(*)||':'||coalesce(max(g),'')||'/'||coalesce(max([3]),0)||'/'||"
                       "coalesce(max([6]),0) from data1"))
                   .toString();
    }

    // A confirm the lost connection refused: one message saying so, nothing stored, the panel open
    // with what was typed, nobody told of a sale.
    void expectRefused(const Typed &before) {
        ASSERT_EQ(env.dialogs().shown().size(), 1u)
            << env.dialogs().texts().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(env.dialogs().shown()[0].kind, Dialogs::Kind::Error);
        EXPECT_TRUE(env.dialogs().lastText().contains(Lost)) << env.dialogs().lastText().toStdString();
        EXPECT_TRUE(shop->salePanel()->isVisible());
        EXPECT_EQ(typed(), before);
        EXPECT_EQ(saved->count(), 0);
        EXPECT_EQ(stored(), QStringLiteral("0/5|0:/0/0"));
    }
    void expectSold() {
        EXPECT_TRUE(env.dialogs().texts().isEmpty())
            << env.dialogs().texts().join(QLatin1Char('\n')).toStdString();
        EXPECT_FALSE(shop->salePanel()->isVisible());
        ASSERT_EQ(saved->count(), 1);
        EXPECT_EQ(saved->at(0).at(0).toString(), QStringLiteral("张三"));
        EXPECT_EQ(stored(), QStringLiteral("2/3|1:张三/2/50"));
    }
    void watchSales() { saved = std::make_unique<QSignalSpy>(shop->salePanel(), &SalePanel::saleSaved); }

    TestEnv env;
    RecordingShell shell;
    std::unique_ptr<MainWindow> window;
    Shop *shop = nullptr;
    std::unique_ptr<QSignalSpy> saved;
};

TEST_F(LostConnectionTest, ASaleAfterTheSessionEndedWhileIdleIsStored) {
    ASSERT_NO_FATAL_FAILURE(start());
    watchSales();
    ASSERT_NO_FATAL_FAILURE(typeSale());
    QString error;
    ASSERT_TRUE(sessionend::terminate(env.database(), &error)) << error.toStdString();
    confirm();
    expectSold();
}

TEST_F(LostConnectionTest, ASaleCutOffInItsTransactionKeepsWhatWasTypedAndIsStoredByTheNextConfirm) {
    ASSERT_NO_FATAL_FAILURE(start());
    watchSales();
    // The session ends as the sale writes the goods row it has read and locked.
    ASSERT_TRUE(sessionend::endOnceOn(env.database(), QStringLiteral("data"), QStringLiteral("update")));
    ASSERT_NO_FATAL_FAILURE(typeSale());
    const Typed before = typed();
    confirm();
    expectRefused(before);
    EXPECT_EQ(sessionend::endOnceRuns(env.database()), 1);

    env.dialogs().clear();
    confirm();
    expectSold();
}

TEST_F(LostConnectionTest, AStoppedServerIsReportedAndTheSameWindowSellsOnceItIsBack) {
    ThrowAwayServer server;
    ASSERT_TRUE(server.started()) << server.error().toStdString();
    ASSERT_NO_FATAL_FAILURE(start(server.connection()));
    watchSales();
    ASSERT_NO_FATAL_FAILURE(typeSale());
    const Typed before = typed();

    ASSERT_TRUE(server.stop()) << server.error().toStdString();
    for (int time = 0; time < 2; ++time) {
        env.dialogs().clear();
        confirm();
        ASSERT_EQ(env.dialogs().shown().size(), 1u);
        EXPECT_TRUE(env.dialogs().lastText().contains(Lost)) << env.dialogs().lastText().toStdString();
        EXPECT_EQ(typed(), before);
        EXPECT_TRUE(shop->salePanel()->isVisible());
    }
    ASSERT_TRUE(server.start()) << server.error().toStdString();
    EXPECT_EQ(saved->count(), 0);
    EXPECT_EQ(stored(), QStringLiteral("0/5|0:/0/0"));

    env.dialogs().clear();
    confirm();
    expectSold();
}

} // namespace
