#pragma once
// A numeric entry field: typing gives only the digits and "." (optionally no "."), Backspace and
// Enter; pasted text keeps just those characters. Optional up/down arrows (and the arrow keys) step
// the value within a range. The number stays text, parsed when an action uses it.
#include <QLineEdit>

class QToolButton;

class NumberField : public QLineEdit {
    Q_OBJECT
  public:
    explicit NumberField(QWidget *parent = nullptr);

    void setDecimalPointAllowed(bool allowed) { m_decimalPoint = allowed; }
    bool decimalPointAllowed() const { return m_decimalPoint; }

    // Shows the arrows: each click adds or takes step, kept within minimum..maximum.
    void setStepper(double step, double minimum, double maximum);
    bool hasStepper() const { return m_upButton != nullptr; }
    QToolButton *upButton() const { return m_upButton; }
    QToolButton *downButton() const { return m_downButton; }
    // A text that is not a number counts as the minimum.
    void stepBy(int steps);

    // The characters of a text this field would take.
    QString accepted(const QString &text) const;

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    void pasteAccepted();
    bool acceptsCharacter(QChar c) const;

    bool m_decimalPoint = true;
    double m_step = 1;
    double m_minimum = 0;
    double m_maximum = 100;
    QToolButton *m_upButton = nullptr;
    QToolButton *m_downButton = nullptr;
};
