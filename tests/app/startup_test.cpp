// Start-up: the claim on the shop's folder, the database file, the program-wide settings, the hints and
// orderly ends on request.
#include "app/hints.h"
#include "app/mainstatusbar.h"
#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/termination.h"
#include "store/settingsstore.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QIcon>
#include <QLineEdit>
#include <QLockFile>
#include <QTest>
#include <QToolTip>
#include <csignal>
#include <gtest/gtest.h>

namespace {
QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Startup, ARefusedDatabaseFileIsReportedAndLeftAsItWas) {
    TestEnv env;
    const QString path = env.file(QStringLiteral("data.mdb"));
    const QByteArray foreign("Standard Jet DB\0 not ours", 25);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(foreign);
    }
    Database database;
    EXPECT_FALSE(openShopDatabase(database, path));
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_EQ(env.dialogs().shown()[0].kind, Dialogs::Kind::Error);
    EXPECT_TRUE(env.dialogs().lastText().contains(path));
    EXPECT_EQ(contents(path), foreign);
}

TEST(Startup, AMissingDatabaseFileIsCreatedWithItsTables) {
    TestEnv env;
    const QString path = env.file(QStringLiteral("data.mdb"));
    Database database;
    ASSERT_TRUE(openShopDatabase(database, path));
    EXPECT_TRUE(env.dialogs().shown().empty());
    for (const char *table : {"data", "data1", "userdb", "rz"}) {
        EXPECT_TRUE(
            database.scalar(QStringLiteral("select count(*) from ") + QString::fromUtf8(table)).isValid())
            << table;
    }
}

TEST(Startup, OneProgramPerShopFolder) {
    TestEnv env;
    const QString path = env.file(QStringLiteral("data.mdb"));
    std::unique_ptr<QLockFile> first = claimShopFolder(path);
    ASSERT_TRUE(first);
    EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral(".lock")));
    EXPECT_TRUE(env.dialogs().shown().empty());

    // A second start on the same shop brings nothing up and says why.
    EXPECT_EQ(claimShopFolder(path), nullptr);
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_TRUE(env.dialogs().lastText().startsWith(QStringLiteral("嘉穗进销存已经在运行（")))
        << env.dialogs().lastText().toStdString();
    EXPECT_TRUE(env.dialogs().lastText().contains(env.dir()));
    EXPECT_FALSE(QFileInfo::exists(path)) << "nor touches the database";

    // Another folder is another shop; the first shop is free again once its program has ended.
    ASSERT_TRUE(QDir().mkpath(env.file(QStringLiteral("other"))));
    EXPECT_TRUE(claimShopFolder(env.file(QStringLiteral("other/data.mdb"))));
    first.reset();
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".lock")));
    EXPECT_TRUE(claimShopFolder(path));
    EXPECT_EQ(env.dialogs().shown().size(), 1u);
}

TEST(Startup, ApplicationNamesFontsAndIcon) {
    QFont saved = QApplication::font();
    setUpApplication(*qApp);
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("嘉穗进销存"));
    EXPECT_EQ(QApplication::organizationName(), QStringLiteral("tuomei"));
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("宋体"))).family(), QStringLiteral("AR PL UMing CN"));
    EXPECT_EQ(QApplication::font().family(), QStringLiteral("Noto Sans CJK SC"));
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_TRUE(QApplication::windowIcon().availableSizes().contains(QSize(32, 32)));
    // The file dialog's own words in Chinese.
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
    QApplication::setFont(saved);
}

TEST(Hints, AHintShowsAtOnceAndInTheFirstStatusPanel) {
    TestEnv env;
    MainWindow window(env.database());
    window.show();
    ASSERT_TRUE(window.hints()->isInstalled());
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(255, 194, 134));

    QLineEdit *threshold = window.thresholdField();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), threshold->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(threshold, &enter);
    EXPECT_EQ(window.panels()->panelText(MainStatusBar::HintPanel),
              QStringLiteral("修改库存报警数量，记录变成红色"));
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("修改库存报警数量，记录变成红色"));

    // Back on the surrounding area, which has no hint.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(threshold, &leave);
    EXPECT_TRUE(window.panels()->panelText(MainStatusBar::HintPanel).isEmpty());
    QToolTip::hideText();
}

TEST(Termination, ASignalBecomesARequestOnTheEventLoop) {
    TerminationRequests requests;
    int seen = 0;
    QObject::connect(&requests, &TerminationRequests::requested, &requests, [&] { ++seen; });
    ASSERT_EQ(std::raise(SIGTERM), 0);
    EXPECT_EQ(seen, 0) << "nothing runs inside the signal handler";
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen == 1; }, 2000));
}

TEST(Termination, AnOpenModalWindowClosesFirstThenTheMainWindowWithItsSteps) {
    TestEnv env;
    MainWindow window(env.database());
    window.show();
    QDialog modal(&window);
    modal.setModal(true);
    modal.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &modal);

    closeForTermination(&window);

    EXPECT_FALSE(modal.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 2000));
    EXPECT_EQ(SettingsStore::instance().read(QStringLiteral("riqi")), QStringLiteral("2014-08-12"));
}
} // namespace
