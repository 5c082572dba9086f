// The main window's show and close steps, its date timer and its frame.
#include "app/mainstatusbar.h"
#include "app/mainwindow.h"
#include "store/clock.h"
#include "store/settingsstore.h"
#include "tests/support/testenv.h"
#include "widgets/datefield.h"
#include "widgets/successbanner.h"

#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {
using DateRole = MainWindow::DateRole;
using ShowStep = MainWindow::ShowStep;

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() : window(std::make_unique<MainWindow>(env.database())) {
        for (const DateRole role :
             {DateRole::StockIn, DateRole::Sale, DateRole::QueryFrom, DateRole::QueryTo}) {
            auto *field = new DateField(window.get());
            dates[role] = field;
            window->keepDateFilled(role, field);
        }
    }

    static void store(const char *name, const QString &value) {
        ASSERT_TRUE(SettingsStore::instance().write(QString::fromUtf8(name), value));
    }
    QString rzExitTime(qint64 id) {
        return env.database().scalar(QStringLiteral("select jtime from rz where id=?"), {id}).toString();
    }
    qint64 addLoginRow() {
        EXPECT_TRUE(env.database().execute(QStringLiteral("insert into rz (username,btime) values (?,?)"),
                                           {QStringLiteral("张三"), QStringLiteral("2014-08-12 09:00:00")}));
        return env.database().lastInsertId();
    }

    TestEnv env;
    std::unique_ptr<MainWindow> window;
    std::map<DateRole, DateField *> dates;
};

TEST_F(MainWindowTest, FirstStartWithEmptySettingsKeepsEveryDefault) {
    bool skinLoaded = false;
    window->setSkinLoader([&](const QString &) { skinLoaded = true; });
    window->show();

    EXPECT_EQ(window->thresholdField()->text(), QStringLiteral("5"));
    EXPECT_EQ(window->session().ticketCounterText(), QStringLiteral("1"));
    EXPECT_TRUE(window->session().lastExitDate.isEmpty());
    EXPECT_FALSE(skinLoaded);
    for (const auto &[role, field] : dates)
        EXPECT_EQ(field->text(), QStringLiteral("2014-08-12")) << int(role);
    EXPECT_EQ(window->panels()->panelText(MainStatusBar::OperatorPanel), QStringLiteral("操作员："));
    EXPECT_EQ(window->panels()->panelText(MainStatusBar::TodayPanel), QStringLiteral("今天：2014-08-12"));
    EXPECT_EQ(window->panels()->panelText(MainStatusBar::WebPanel),
              QStringLiteral("http://www.jiasuisoft.cn"));
    EXPECT_FALSE(window->banner()->isVisible());
    EXPECT_FALSE(SettingsStore::instance().exists()) << "showing writes nothing";
}

TEST_F(MainWindowTest, ShowRunsTheStepsInOrderAndReadsTheStoredSettings) {
    store("skin", QStringLiteral("3"));
    store("number", QStringLiteral("12"));
    store("danhao", QStringLiteral("41"));
    store("riqi", QStringLiteral("2014-08-11"));
    QStringList order;
    window->addShowStep(ShowStep::HideStockInPanel, [&] { order << QStringLiteral("hide panel"); });
    window->addShowStep(ShowStep::OpenDatasets, [&] { order << QStringLiteral("datasets"); });
    window->addShowStep(ShowStep::ApplyColumnVisibility, [&] { order << QStringLiteral("columns"); });
    window->addShowStep(ShowStep::SelectCurrentMonth, [&] { order << QStringLiteral("month"); });
    window->setSkinLoader([&](const QString &skin) {
        order << QStringLiteral("skin ") + skin;
        // The dates are set before the settings are read; the threshold after the skin.
        EXPECT_EQ(dates[DateRole::QueryTo]->text(), QStringLiteral("2014-08-12"));
        EXPECT_EQ(window->thresholdField()->text(), QStringLiteral("5"));
    });

    window->show();

    EXPECT_EQ(order,
              (QStringList{QStringLiteral("columns"), QStringLiteral("month"), QStringLiteral("datasets"),
                           QStringLiteral("hide panel"), QStringLiteral("skin 3")}));
    EXPECT_EQ(window->thresholdField()->text(), QStringLiteral("12"));
    EXPECT_EQ(window->session().ticketCounter, 42);
    EXPECT_EQ(window->session().lastExitDate, QStringLiteral("2014-08-11"));
}

TEST(MainWindowSettings, StoredValuesThatAreNotUsableLeaveTheDefaults) {
    struct Case {
        const char *danhao, *number;
        qlonglong counter;
        const char *threshold;
    };
    const Case cases[] = {
        {"abc", "abc", 1, "5"},
        {"4.5", "7a", 1, "5"},
        {"", "", 1, "5"},
        {" 7 ", "0", 8, "0"},
        {"9223372036854775807", "30", 1, "30"}, // no counter after the largest one
    };
    for (const Case &c : cases) {
        TestEnv env;
        MainWindow shown(env.database());
        SettingsStore &settings = SettingsStore::instance();
        ASSERT_TRUE(settings.write(QStringLiteral("danhao"), QString::fromUtf8(c.danhao)));
        ASSERT_TRUE(settings.write(QStringLiteral("number"), QString::fromUtf8(c.number)));
        shown.show();
        EXPECT_EQ(shown.session().ticketCounter, c.counter) << c.danhao;
        EXPECT_EQ(shown.thresholdField()->text(), QString::fromUtf8(c.threshold)) << c.number;
    }
}

TEST_F(MainWindowTest, ShowingAgainRereadsTheCounterAndRefillsTheDates) {
    store("danhao", QStringLiteral("41"));
    window->show();
    window->session().ticketCounter = 50; // sales during the run
    dates[DateRole::QueryFrom]->setDate(QDate(2014, 1, 1));
    window->hide(); // the backup window takes over
    window->show();
    EXPECT_EQ(window->session().ticketCounter, 42);
    EXPECT_EQ(dates[DateRole::QueryFrom]->text(), QStringLiteral("2014-08-12"));
}

TEST_F(MainWindowTest, CloseWithoutLoginWritesTheExitDateAndLeavesTheLoginLog) {
    const qint64 earlier = addLoginRow();
    window->show();
    dates[DateRole::Sale]->setDate(QDate(2014, 8, 10));
    bool datasetsClosed = false;
    window->addCloseStep(MainWindow::CloseStep::CloseDatasets, [&] { datasetsClosed = true; });

    ASSERT_TRUE(window->close());

    EXPECT_TRUE(datasetsClosed);
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("riqi")), QStringLiteral("2014-08-10"));
    EXPECT_TRUE(rzExitTime(earlier).isEmpty());
    EXPECT_TRUE(env.dialogs().shown().empty());
}

TEST_F(MainWindowTest, CloseWithoutLoginRunsNoStatementOnTheLoginLog) {
    window->show();
    ASSERT_TRUE(env.database().execute(QStringLiteral("drop table rz"))); // any statement would fail
    window->close();
    EXPECT_TRUE(env.dialogs().shown().empty());
}

TEST_F(MainWindowTest, CloseAfterLoginCompletesOnlyThisRunsLoginRow) {
    const qint64 earlier = addLoginRow();
    const qint64 thisRun = addLoginRow();
    window->show();
    window->setLoginLogId(thisRun);
    // Another run on the same file logged in after this one: its row is the newest.
    const qint64 later = addLoginRow();
    Clock::fix(QDateTime(QDate(2014, 8, 12), QTime(18, 5, 9)));

    window->close();
    window->close(); // a second request finds the steps done

    EXPECT_EQ(rzExitTime(thisRun), QStringLiteral("2014-08-12 18:05:09"));
    EXPECT_TRUE(rzExitTime(earlier).isEmpty());
    EXPECT_TRUE(rzExitTime(later).isEmpty());
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("riqi")), QStringLiteral("2014-08-12"));
    EXPECT_TRUE(env.dialogs().shown().empty());
}

TEST(MainWindowClose, WithoutASaleDateFieldTodayIsTheExitDate) {
    TestEnv env;
    MainWindow bare(env.database());
    bare.show();
    bare.close();
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("riqi")), QStringLiteral("2014-08-12"));
}

TEST_F(MainWindowTest, AFailedWriteAtCloseIsReportedAndTheOtherStillHappens) {
    window->show();
    window->setLoginLogId(addLoginRow());
    ASSERT_TRUE(env.database().execute(QStringLiteral("drop table rz")));

    EXPECT_TRUE(window->close());

    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_EQ(env.dialogs().shown()[0].kind, Dialogs::Kind::Error);
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("riqi")), QStringLiteral("2014-08-12"));
}

TEST(MainWindowClose, AnUnwritableSettingsFileIsReportedAndTheWindowStillCloses) {
    TestEnv env;
    QFile blocker(env.file(QStringLiteral("config")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the settings folder should be
    blocker.close();
    MainWindow window(env.database());
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_EQ(env.dialogs().shown()[0].kind, Dialogs::Kind::Error);
}

TEST_F(MainWindowTest, TimerOneRefillsEmptiedSaleAndStockInDatesOnly) {
    window->show();
    EXPECT_TRUE(window->dateTimer()->isActive());
    EXPECT_EQ(window->dateTimer()->interval(), 500);
    dates[DateRole::StockIn]->clear();
    dates[DateRole::Sale]->setDate(QDate(2014, 7, 1)); // typed by the user: kept
    dates[DateRole::QueryFrom]->clear();               // not watched by the timer
    Clock::fix(QDateTime(QDate(2014, 8, 13), QTime(0, 0, 1)));

    window->refillEmptyDateFields();

    EXPECT_EQ(dates[DateRole::StockIn]->text(), QStringLiteral("2014-08-13"));
    EXPECT_EQ(dates[DateRole::Sale]->text(), QStringLiteral("2014-07-01"));
    EXPECT_TRUE(dates[DateRole::QueryFrom]->isEmpty());

    // The running timer does it by itself.
    dates[DateRole::Sale]->clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dates[DateRole::Sale]->isEmpty(); }, 3000));
    EXPECT_EQ(dates[DateRole::Sale]->text(), QStringLiteral("2014-08-13"));
}

TEST_F(MainWindowTest, ADestroyedDateFieldIsForgotten) {
    delete dates[DateRole::Sale];
    window->show();
    window->refillEmptyDateFields();
    window->close();
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("riqi")), QStringLiteral("2014-08-12"));
}

TEST_F(MainWindowTest, FrameSizeAndGoodsListHeight) {
    window->show();
    EXPECT_EQ(window->objectName(), QStringLiteral("MainForm"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("嘉穗进销存 V4.3.9.1(青岚纪念版)"));
    EXPECT_EQ(window->size(), QSize(1031, 636));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    // A window manager offers to maximise only a window whose size hints let it grow.
    EXPECT_EQ(window->minimumSize(), QSize(1031, 636));
    EXPECT_GT(window->maximumWidth(), 1031);
    EXPECT_GT(window->maximumHeight(), 636);
    EXPECT_EQ(window->goodsListArea()->height(), 636 - 196);

    window->showMaximized();
    QTest::qWait(50);
    EXPECT_EQ(window->goodsListArea()->height(), window->height() - 196);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->isMaximized(); }, 1000));
    QTest::qWait(MainWindow::NormalSizeDelayMs * 2);
    EXPECT_GT(window->height(), 636) << "a maximised window keeps its size";

    window->showNormal();
    QTest::qWait(50);
    EXPECT_EQ(window->size(), QSize(1031, 636));
    EXPECT_EQ(window->goodsListArea()->height(), 636 - 196);

    // A size dragged by hand does not stay: the border is fixed.
    window->resize(1200, 700);
    EXPECT_EQ(window->goodsListArea()->height(), 700 - 196);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->size() == QSize(1031, 636); }, 2000));
    EXPECT_EQ(window->goodsListArea()->height(), 636 - 196);
}

TEST_F(MainWindowTest, SuccessBannerSitsTopLeft) {
    window->show();
    window->showSuccess(QStringLiteral("数据入库成功..."));
    const SuccessBanner *banner = window->banner();
    EXPECT_TRUE(banner->isVisible());
    EXPECT_EQ(banner->objectName(), QStringLiteral("Panel4"));
    EXPECT_EQ(banner->geometry(), QRect(0, 0, 257, 49));
    EXPECT_EQ(banner->mapTo(window.get(), QPoint(0, 0)), QPoint(0, 0));
    EXPECT_EQ(banner->text(), QStringLiteral("数据入库成功..."));
}

TEST_F(MainWindowTest, ShowingActivatesTheWindowAndTellsSo) {
    int activations = 0;
    QObject::connect(window.get(), &MainWindow::activated, window.get(), [&] { ++activations; });
    window->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations > 0; }, 2000));
    EXPECT_TRUE(window->isActiveWindow());
}

TEST_F(MainWindowTest, StatusPanelsAndOperator) {
    window->show();
    const MainStatusBar *bar = window->panels();
    EXPECT_EQ(bar->panel(0)->width(), 350);
    EXPECT_EQ(bar->panel(1)->width(), 200);
    EXPECT_EQ(bar->panel(2)->width(), 200);
    EXPECT_TRUE(bar->panel(1)->alignment().testFlag(Qt::AlignHCenter));
    EXPECT_TRUE(bar->panel(2)->alignment().testFlag(Qt::AlignHCenter));
    EXPECT_TRUE(bar->panel(3)->alignment().testFlag(Qt::AlignRight));
    // The last panel reaches the right edge and shows the whole address.
    EXPECT_GE(bar->panel(3)->geometry().right(), bar->width() - 8);
    EXPECT_GE(bar->panel(3)->width(), bar->panel(3)->fontMetrics().horizontalAdvance(bar->panelText(3)));
    window->setOperatorName(QStringLiteral("超级管理员"));
    EXPECT_EQ(bar->panelText(MainStatusBar::OperatorPanel), QStringLiteral("超级管理员"));
}
} // namespace
