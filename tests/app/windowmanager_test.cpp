// The main window under a real window manager (run by window_manager_test.sh on a virtual X display
// with openbox; elsewhere these tests are skipped): the manager offers to maximise it, a double click
// on its title bar maximises it, the goods list then takes the room while the area below keeps its
// size and place, a border dragged by hand does not change the size, and the export's progress window
// is on the screen while the sheet is written.
#include "app/mainstatusbar.h"
#include "app/mainwindow.h"
#include "app/shop.h"
#include "stock/goodslist.h"
#include "tests/export/exportfixture.h"
#include "tests/support/recordingshell.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "users/loginwindow.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QProgressBar>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QResizeEvent>
#include <QScreen>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {
QString run(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// What the window manager lets the user do with the window (_NET_WM_ALLOWED_ACTIONS).
QString allowedActions(const QWidget &window) {
    return run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window.winId()),
                                         QStringLiteral("_NET_WM_ALLOWED_ACTIONS")});
}

// The real pointer, through the X server, as the user's mouse.
void pointer(const QStringList &arguments) {
    run(QStringLiteral("xdotool"), arguments);
}

void doubleClickTitleBar(const QWidget &window) {
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    const QPoint title(frame.left() + frame.width() / 3, frame.top() + (client.top() - frame.top()) / 2);
    pointer({QStringLiteral("mousemove"), QString::number(title.x()), QString::number(title.y()),
             QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
             QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
}

// A place relative to the window's bottom-left corner, which the lower area keeps.
QRect fromBottomLeft(const QWidget *widget, const QWidget *window) {
    const QRect shown(widget->mapTo(window, QPoint(0, 0)), widget->size());
    return shown.translated(0, -window->height());
}

class ResizeWatcher : public QObject {
  public:
    explicit ResizeWatcher(std::function<void(const QSize &)> seen) : m_seen(std::move(seen)) {}
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Resize) m_seen(static_cast<QResizeEvent *>(event)->size());
        return false;
    }

  private:
    std::function<void(const QSize &)> m_seen;
};

class WindowManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb") ||
            run(QStringLiteral("pgrep"), {QStringLiteral("-x"), QStringLiteral("openbox")}).isEmpty())
            GTEST_SKIP() << "needs an X display with openbox (window_manager_test.sh)";
        window = std::make_unique<MainWindow>(env.database());
        shop = new Shop(env.database(), *window);
        window->show();
        LoginWindow *login = shop->login();
        login->show();
        login->findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setEditText(u("超级管理员"));
        login->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("659"));
        login->logIn();
        ASSERT_TRUE(login->isLoggedIn());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        // Managed once the manager has put its frame around the window.
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->frameGeometry() != window->geometry(); }, 5000));
        QTest::qWait(300);
    }

    TestEnv env;
    RecordingShell shell;
    std::unique_ptr<MainWindow> window;
    Shop *shop = nullptr;
};
} // namespace

TEST_F(WindowManagerTest, TheTitleBarMaximisesAndTheGoodsListTakesTheRoom) {
    EXPECT_EQ(window->size(), QSize(1031, 636));
    const QString actions = allowedActions(*window);
    EXPECT_TRUE(actions.contains(QStringLiteral("_NET_WM_ACTION_MAXIMIZE_HORZ"))) << actions.toStdString();
    EXPECT_TRUE(actions.contains(QStringLiteral("_NET_WM_ACTION_MAXIMIZE_VERT"))) << actions.toStdString();
    const QRect lower = fromBottomLeft(window->lowerArea(), window.get());
    const QRect status = fromBottomLeft(window->statusBar(), window.get());

    doubleClickTitleBar(*window);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isMaximized() && window->height() > 700; }, 5000))
        << "the window manager did not maximise the window";
    QTest::qWait(MainWindow::NormalSizeDelayMs * 3); // a maximised window is left as it is
    ASSERT_TRUE(window->isMaximized());
    const QRect available = window->screen()->availableGeometry();
    EXPECT_GT(window->width(), 1200);
    EXPECT_GE(window->frameGeometry().height(), available.height() - 2);
    EXPECT_EQ(window->goodsListArea()->height(), window->height() - 196);
    EXPECT_EQ(window->goodsListArea()->width(), window->width());
    EXPECT_EQ(fromBottomLeft(window->lowerArea(), window.get()), lower);
    EXPECT_EQ(fromBottomLeft(window->statusBar(), window.get()).bottomLeft(), status.bottomLeft());
    EXPECT_EQ(window->statusBar()->width(), window->width());

    doubleClickTitleBar(*window);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !window->isMaximized() && window->size() == QSize(1031, 636); }, 5000));
    QTest::qWait(MainWindow::NormalSizeDelayMs * 2); // the layout follows on the event loop
    EXPECT_EQ(window->goodsListArea()->height(), 636 - 196);
    EXPECT_EQ(fromBottomLeft(window->lowerArea(), window.get()), lower);
}

TEST_F(WindowManagerTest, ABorderDraggedByHandDoesNotChangeTheSize) {
    // Every size the window passes through while the user drags the frame's bottom right corner out.
    QSize largest;
    ResizeWatcher watcher([&](const QSize &size) { largest = largest.expandedTo(size); });
    window->installEventFilter(&watcher);
    const QPoint corner = window->frameGeometry().bottomRight() - QPoint(2, 2);
    pointer({QStringLiteral("mousemove"), QString::number(corner.x()), QString::number(corner.y()),
             QStringLiteral("mousedown"), QStringLiteral("1")});
    for (int i = 1; i <= 6; ++i) {
        pointer({QStringLiteral("mousemove"), QString::number(corner.x() + 15 * i),
                 QString::number(corner.y() + 15 * i)});
        QTest::qWait(30);
    }
    pointer({QStringLiteral("mouseup"), QStringLiteral("1")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return largest.width() > 1031; }, 2000))
        << "the drag did not reach the window's border";

    EXPECT_TRUE(QTest::qWaitFor([&] { return window->size() == QSize(1031, 636); }, 3000))
        << window->width() << "x" << window->height();
    QTest::qWait(MainWindow::NormalSizeDelayMs * 3);
    EXPECT_EQ(window->size(), QSize(1031, 636));
    EXPECT_FALSE(window->isMaximized());
    EXPECT_EQ(window->goodsListArea()->height(), 636 - 196);
}

TEST_F(WindowManagerTest, TheExportProgressWindowIsOnTheScreenWhileTheSheetIsWritten) {
    ASSERT_TRUE(env.database().execute(QStringLiteral(
        "insert into data (a,b,c,d,[1],[2],[3],[4],[5],[6],[7],[8],day1) "
        "with recursive n(i) as (select 1 union all select i+1 from n where i<20000) "
        "select '商品'||i,'型号','69'||i,'文具',1.5,10,15,3,0,0,10,15,'2014-08-01' from n")));
    shop->goods()->showAll();

    // Half way through the records, what the X server shows where the window stands.
    struct Seen {
        QRect where;
        QImage screen;
        int maximum = 0;
    } seen;
    const QString path = env.file(QStringLiteral("goods.xls"));
    {
        const ProgressWatch watch({}, [&seen](ExportProgress *progress, int value) {
            const int maximum = progress->bar()->maximum();
            if (!seen.screen.isNull() || value < maximum / 2) return;
            seen.maximum = maximum;
            seen.where = progress->frameGeometry();
            seen.screen = progress->screen()->grabWindow(0).toImage();
        });
        env.dialogs().fileName(path);
        window->command(QStringLiteral("EXCEL1"))->trigger();
    }

    ASSERT_TRUE(QFileInfo::exists(path));
    ASSERT_EQ(seen.maximum, 20000);
    ASSERT_FALSE(seen.screen.isNull()) << "the bar never reached half way";
    // The bar's blue chunk at its start, the grey of the panel above it: the window was mapped and
    // painted, not left for the event loop after the export.
    const QColor chunk = seen.screen.pixelColor(seen.where.topLeft() + QPoint(24, 56));
    EXPECT_TRUE(chunk.blue() > 200 && chunk.red() < 60 && chunk.green() < 60) << chunk.name().toStdString();
    const QColor panel = seen.screen.pixelColor(seen.where.topLeft() + QPoint(10, 10));
    EXPECT_NE(panel, chunk);
}
