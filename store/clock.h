#pragma once
// The one source of "today" and "now": tests fix it to make sale numbers, month lists and log times
// reproducible.
#include <QDateTime>
#include <optional>

class Clock {
  public:
    static QDateTime now();
    static QDate today() { return now().date(); }
    // The program's date-time text: "yyyy-mm-dd hh:mm:ss".
    static QString nowText();
    static QString todayText();

    // Tests only: freeze the clock at a moment (std::nullopt returns to the system clock).
    static void fix(std::optional<QDateTime> moment);

  private:
    static std::optional<QDateTime> &fixedMoment();
};
