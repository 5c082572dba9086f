#include "widgets/datefield.h"

#include "store/clock.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QStyle>
#include <QToolButton>

namespace {
const QString dateFormat = QStringLiteral("yyyy-MM-dd");
}

DateField::DateField(QWidget *parent) : QLineEdit(parent), m_button(new QToolButton(this)) {
    setInputMask(QStringLiteral("9999-99-99; "));
    m_button->setObjectName(QStringLiteral("calendarButton"));
    m_button->setArrowType(Qt::DownArrow);
    m_button->setCursor(Qt::ArrowCursor);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setAutoRaise(true);
    connect(m_button, &QToolButton::clicked, this, &DateField::showCalendar);
}

bool DateField::isEmpty() const {
    return displayText() == emptyMask();
}

std::optional<QDate> DateField::date() const {
    const QDate date = QDate::fromString(displayText(), dateFormat);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

void DateField::setDate(const QDate &date) {
    if (date.isValid())
        setText(date.toString(dateFormat));
    else
        clear();
}

QCalendarWidget *DateField::calendar() {
    if (!m_calendar) {
        m_calendar = new QCalendarWidget(this);
        m_calendar->setObjectName(QStringLiteral("calendar"));
        m_calendar->setWindowFlags(Qt::Popup);
        m_calendar->setGridVisible(true);
        auto pick = [this](QDate picked) {
            m_calendar->hide();
            setDate(picked);
            setFocus();
            emit datePicked(picked);
        };
        connect(m_calendar, &QCalendarWidget::clicked, this, pick);
        connect(m_calendar, &QCalendarWidget::activated, this, pick);
    }
    return m_calendar;
}

void DateField::showCalendar() {
    if (isReadOnly() || !isEnabled()) return;
    QCalendarWidget *popup = calendar();
    popup->setSelectedDate(date().value_or(Clock::today()));
    popup->adjustSize();
    popup->move(mapToGlobal(QPoint(0, height())));
    popup->show();
    popup->setFocus();
}

void DateField::resizeEvent(QResizeEvent *event) {
    QLineEdit::resizeEvent(event);
    const int side = height() - 4;
    m_button->setGeometry(width() - side - 2, 2, side, side);
    setTextMargins(0, 0, side + 2, 0);
}

void DateField::keyPressEvent(QKeyEvent *event) {
    if ((event->key() == Qt::Key_Down && event->modifiers().testFlag(Qt::AltModifier)) ||
        event->key() == Qt::Key_F4) {
        showCalendar();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
