#pragma once
// A panel that floats over its parent window: the user moves it by dragging its free background and
// closes it with the small mark at its top right. Owners react to the close through closeRequested().
#include <QFrame>
#include <QPoint>

class QToolButton;

class FloatingPanel : public QFrame {
    Q_OBJECT
  public:
    explicit FloatingPanel(QWidget *parent = nullptr);

    // The close mark; owners give it their own name.
    QToolButton *closeMark() const { return m_closeMark; }
    // Whether the close mark hides the panel before closeRequested() (the default) or leaves that to
    // the owner.
    void setHidesOnClose(bool hides) { m_hidesOnClose = hides; }
    bool hidesOnClose() const { return m_hidesOnClose; }

    // Shows the panel in front of everything else of its parent.
    void popUp();

  signals:
    void closeRequested();
    // The panel was hidden while the focus was in it: its owner says where the focus rests now
    // (otherwise it would go to whatever control comes next, such as a field that stores a setting).
    void hiddenWithFocus();

  protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    void closeByMark();
    void placeCloseMark();
    // Keeps the whole panel (and so its close mark) inside the parent where it fits.
    QPoint keptInside(QPoint topLeft) const;

    QToolButton *m_closeMark;
    bool m_hidesOnClose = true;
    bool m_dragging = false;
    QPoint m_grabOffset;
};
