#include "widgets/successbanner.h"

#include <QTimer>

SuccessBanner::SuccessBanner(QWidget *parent) : QLabel(parent), m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("Panel4"));
    setGeometry(0, 0, Width, Height);
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    QFont bold(QStringLiteral("宋体"));
    bold.setPointSize(12);
    bold.setBold(true);
    setFont(bold);
    hide();

    m_timer->setObjectName(QStringLiteral("Timer2"));
    m_timer->setInterval(HideAfterMs);
    connect(m_timer, &QTimer::timeout, this, &SuccessBanner::hideOnTimer);
}

void SuccessBanner::showMessage(const QString &text) {
    setText(text);
    move(0, 0);
    show();
    raise();
    if (!m_timer->isActive()) m_timer->start();
}

void SuccessBanner::hideOnTimer() {
    // A tick while the banner is already hidden stops the timer as well, so that the next message gets
    // its full two seconds.
    m_timer->stop();
    hide();
}
