#pragma once
// The help window "使用帮助" (Tchhform): the quick-start text on its page "快速使用". Made once at the
// start; closing it only hides it, and it may stay open beside the main window.
#include <QStringList>
#include <QWidget>

class QPlainTextEdit;

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget *owner = nullptr);

    // The lines of the quick-start text, in order (empty lines included).
    static QStringList quickStartLines();
    QPlainTextEdit *text() const { return m_text; }

    // "使用帮助": shown in front, centred the first time, not modal.
    void bringForward();

  private:
    QPlainTextEdit *m_text;
    bool m_centred = false;
};
