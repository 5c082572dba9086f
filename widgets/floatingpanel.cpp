#include "widgets/floatingpanel.h"

#include <QHideEvent>
#include <QMouseEvent>
#include <QToolButton>
#include <algorithm>

namespace {
constexpr int CloseMarkSize = 16;
constexpr int CloseMarkMargin = 2;
} // namespace

FloatingPanel::FloatingPanel(QWidget *parent) : QFrame(parent), m_closeMark(new QToolButton(this)) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    m_closeMark->setObjectName(QStringLiteral("closeMark"));
    m_closeMark->setText(QStringLiteral("×"));
    m_closeMark->setAutoRaise(true);
    m_closeMark->setFixedSize(CloseMarkSize, CloseMarkSize);
    m_closeMark->setCursor(Qt::PointingHandCursor);
    m_closeMark->setFocusPolicy(Qt::NoFocus);
    connect(m_closeMark, &QToolButton::clicked, this, &FloatingPanel::closeByMark);
    placeCloseMark();
}

void FloatingPanel::popUp() {
    show();
    raise();
}

void FloatingPanel::closeByMark() {
    if (m_hidesOnClose) hide();
    emit closeRequested();
}

void FloatingPanel::mousePressEvent(QMouseEvent *event) {
    // Only the free background moves the panel: a press that a child let through (a label, say)
    // arrives here too and must not start a drag.
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && childAt(at) == nullptr) {
        m_dragging = true;
        m_grabOffset = at;
        raise();
        event->accept();
        return;
    }
    QFrame::mousePressEvent(event);
}

void FloatingPanel::mouseMoveEvent(QMouseEvent *event) {
    if (!m_dragging) {
        QFrame::mouseMoveEvent(event);
        return;
    }
    move(keptInside(mapToParent(event->position().toPoint()) - m_grabOffset));
    event->accept();
}

void FloatingPanel::mouseReleaseEvent(QMouseEvent *event) {
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        event->accept();
        return;
    }
    QFrame::mouseReleaseEvent(event);
}

QPoint FloatingPanel::keptInside(QPoint topLeft) const {
    const QWidget *parent = parentWidget();
    if (!parent) return topLeft;
    const int maxX = std::max(0, parent->width() - width());
    const int maxY = std::max(0, parent->height() - height());
    return {std::clamp(topLeft.x(), 0, maxX), std::clamp(topLeft.y(), 0, maxY)};
}

void FloatingPanel::resizeEvent(QResizeEvent *event) {
    QFrame::resizeEvent(event);
    placeCloseMark();
}

void FloatingPanel::showEvent(QShowEvent *event) {
    QFrame::showEvent(event);
    placeCloseMark();
}

void FloatingPanel::hideEvent(QHideEvent *event) {
    QFrame::hideEvent(event);
    // Still inside while the hide event is handled; the focus moves on only afterwards.
    const QWidget *focus = window()->focusWidget();
    if (focus && (focus == this || isAncestorOf(focus)) && !event->spontaneous()) emit hiddenWithFocus();
}

void FloatingPanel::placeCloseMark() {
    m_closeMark->move(width() - CloseMarkSize - CloseMarkMargin, CloseMarkMargin);
    m_closeMark->raise();
}
