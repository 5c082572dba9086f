#pragma once
// A date entry field "yyyy-mm-dd" with a calendar drop-down. Emptied, it shows the empty mask
// "    -  -  " (text() then gives "--"; ask isEmpty()).
#include <QDate>
#include <QLineEdit>
#include <optional>

class QCalendarWidget;
class QToolButton;

class DateField : public QLineEdit {
    Q_OBJECT
  public:
    explicit DateField(QWidget *parent = nullptr);

    // What an empty field shows.
    static QString emptyMask() { return QStringLiteral("    -  -  "); }
    // No digit entered: the field shows the empty mask.
    bool isEmpty() const;
    // The text as shown, blanks of the mask included ("2014-08-12", or "    -  -  " when empty).
    QString shownText() const { return displayText(); }
    // The date entered; nothing when the field is empty, incomplete or not a real date.
    std::optional<QDate> date() const;
    // An invalid date empties the field.
    void setDate(const QDate &date);

    QToolButton *calendarButton() const { return m_button; }
    // The calendar that drops down (made on first use).
    QCalendarWidget *calendar();

  public slots:
    void showCalendar();

  signals:
    // A date was picked in the calendar (the text has changed already).
    void datePicked(const QDate &date);

  protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    QToolButton *m_button;
    QCalendarWidget *m_calendar = nullptr;
};
