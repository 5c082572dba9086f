// Floating panels: dragged by their free background, kept inside their window, closed by their mark.
#include "widgets/floatingpanel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
class FloatingPanelTest : public ::testing::Test {
  protected:
    FloatingPanelTest() {
        window.resize(800, 500);
        panel->setGeometry(100, 100, 300, 200);
        field->setGeometry(20, 40, 120, 24);
        caption->setGeometry(20, 80, 120, 20);
        window.show();
        panel->popUp();
    }

    // Presses the left button at `from` (panel coordinates), moves by `by` and releases.
    void drag(QWidget *target, QPoint from, QPoint by) {
        const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
            const QPointF local = target->mapFrom(panel, at);
            QMouseEvent event(type, local, target->mapToGlobal(local), Qt::LeftButton, buttons,
                              Qt::NoModifier);
            QApplication::sendEvent(target, &event);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton);
        // The panel moves under the mouse: each step is reported where the panel now is.
        const QPoint start = panel->pos();
        for (int step = 1; step <= 4; ++step) {
            const QPoint mouseInParent = start + from + by * step / 4;
            send(QEvent::MouseMove, mouseInParent - panel->pos(), Qt::LeftButton);
        }
        send(QEvent::MouseButtonRelease, start + from + by - panel->pos(), Qt::NoButton);
    }

    QWidget window;
    FloatingPanel *panel = new FloatingPanel(&window);
    QLineEdit *field = new QLineEdit(panel);
    QLabel *caption = new QLabel(QStringLiteral("商品名称："), panel);
};

TEST_F(FloatingPanelTest, DraggingTheFreeBackgroundMovesThePanel) {
    drag(panel, QPoint(200, 150), QPoint(120, -40));
    EXPECT_EQ(panel->pos(), QPoint(220, 60));
}

TEST_F(FloatingPanelTest, APressOnAControlDoesNotMoveThePanel) {
    drag(field, QPoint(30, 50), QPoint(120, 120));
    EXPECT_EQ(panel->pos(), QPoint(100, 100));
    // A label lets the press through to the panel; it is still not the free background.
    drag(caption, QPoint(30, 85), QPoint(120, 120));
    EXPECT_EQ(panel->pos(), QPoint(100, 100));
}

TEST_F(FloatingPanelTest, ThePanelStaysInsideItsWindow) {
    drag(panel, QPoint(200, 150), QPoint(-500, -500));
    EXPECT_EQ(panel->pos(), QPoint(0, 0));
    drag(panel, QPoint(200, 150), QPoint(2000, 2000));
    EXPECT_EQ(panel->pos(), QPoint(500, 300));
}

TEST_F(FloatingPanelTest, TheCloseMarkHidesAndTellsTheOwner) {
    QSignalSpy closed(panel, &FloatingPanel::closeRequested);
    QToolButton *mark = panel->closeMark();
    EXPECT_EQ(mark->geometry().topRight().x(), panel->width() - 3);
    QTest::mouseClick(mark, Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(FloatingPanelTest, AnOwnerMayKeepThePanelOpenOnClose) {
    panel->setHidesOnClose(false);
    QSignalSpy closed(panel, &FloatingPanel::closeRequested);
    QTest::mouseClick(panel->closeMark(), Qt::LeftButton);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(FloatingPanelTest, TheCloseMarkFollowsTheTopRightCorner) {
    panel->resize(420, 260);
    EXPECT_EQ(panel->closeMark()->geometry().right(), 420 - 3);
    EXPECT_EQ(panel->closeMark()->geometry().top(), 2);
    // Controls added later do not cover it.
    auto *wide = new QLineEdit(panel);
    wide->setGeometry(0, 0, 420, 30);
    wide->show();
    panel->resize(421, 260);
    EXPECT_EQ(panel->childAt(panel->closeMark()->geometry().center()), panel->closeMark());
}
} // namespace
