#pragma once
// The success banner: a short message in the top-left corner of a window that hides itself about two
// seconds after it was first shown.
#include <QLabel>

class QTimer;

class SuccessBanner : public QLabel {
    Q_OBJECT
  public:
    static constexpr int Width = 257;
    static constexpr int Height = 49;
    static constexpr int HideAfterMs = 2000;

    explicit SuccessBanner(QWidget *parent);

    // Shows the text. A banner already showing takes the new text but keeps its running timer, so a
    // second message in quick succession does not lengthen the display.
    void showMessage(const QString &text);
    // The timer that hides the banner ("Timer2").
    QTimer *timer() const { return m_timer; }

  private:
    void hideOnTimer();

    QTimer *m_timer;
};
