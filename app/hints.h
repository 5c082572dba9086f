#pragma once
// The hints of the controls: shown at once when the mouse enters a control, hidden after two seconds,
// on an orange background; and reported for the main window's status bar.
#include <QObject>
#include <QPointer>

class QWidget;

class Hints : public QObject {
    Q_OBJECT
  public:
    static constexpr int HideAfterMs = 2000;

    // Hints of controls inside `window` are also reported through hintChanged().
    explicit Hints(QWidget *window);
    ~Hints() override;

    // Takes over the hint timing and colour for the whole application; calling it again changes nothing.
    void install();
    bool isInstalled() const { return m_installed; }

  signals:
    // The hint of the control now under the mouse in the window (empty when it has none).
    void hintChanged(const QString &hint);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QPointer<QWidget> m_window;
    bool m_installed = false;
};
