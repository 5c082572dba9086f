#pragma once
// The window of a check for a newer version: it says the check runs, and its cancel button (also
// Escape and the close box) ends the check. It does not block the program while it shows.
#include <QDialog>

class UpgradeWaitWindow : public QDialog {
    Q_OBJECT
  public:
    explicit UpgradeWaitWindow(QWidget *parent = nullptr);

  signals:
    void cancelPressed();

  protected:
    void reject() override;
};
