#include "app/hints.h"

#include <QApplication>
#include <QEnterEvent>
#include <QToolTip>
#include <QWidget>

Hints::Hints(QWidget *window) : QObject(window), m_window(window) {}

Hints::~Hints() {
    if (m_installed) qApp->removeEventFilter(this);
}

void Hints::install() {
    if (m_installed) return;
    m_installed = true;
    QPalette colours = QToolTip::palette();
    colours.setColor(QPalette::ToolTipBase, QColor(255, 194, 134));
    colours.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(colours);
    qApp->installEventFilter(this);
}

bool Hints::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::Enter && type != QEvent::Leave && type != QEvent::ToolTip) return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget) return false;
    const QString hint = widget->toolTip();
    if (type == QEvent::Enter) {
        if (m_window && widget->window() == m_window) emit hintChanged(hint);
        if (!hint.isEmpty()) {
            const QPoint at = static_cast<QEnterEvent *>(event)->globalPosition().toPoint();
            QToolTip::showText(at, hint, widget, {}, HideAfterMs);
        }
        return false;
    }
    if (type == QEvent::Leave) {
        // Leaving for the surrounding control enters nothing new, so its hint is the one that holds now;
        // a control entered next reports its own afterwards.
        if (m_window && widget->window() == m_window && widget != m_window) {
            const QWidget *around = widget->parentWidget();
            emit hintChanged(around ? around->toolTip() : QString());
        }
        return false;
    }
    // The hint was shown on entering; it does not come back while the mouse rests on the control.
    return !hint.isEmpty();
}
