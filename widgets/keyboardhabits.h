#pragma once
// The keyboard as a till is worked: an entry field that gets the focus by Enter, Tab or a move of the
// program selects its whole text, so that a typed value or a scanned code replaces the old one (a
// click still places the cursor); and Enter presses the focused button in every window, as Space does.
#include <QObject>

class KeyboardHabits : public QObject {
    Q_OBJECT
  public:
    // Installs the habits on the application once; later calls do nothing.
    static void install();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    explicit KeyboardHabits(QObject *parent) : QObject(parent) {}
};
