#pragma once
// Enter moves the focus along a fixed order of fields, as in the entry panels. Fields that are hidden
// or disabled are passed over; Enter in the last field runs an optional action.
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

class EnterChain : public QObject {
    Q_OBJECT
  public:
    explicit EnterChain(const QList<QWidget *> &fields, QObject *parent = nullptr);

    void setLastAction(std::function<void()> action) { m_lastAction = std::move(action); }
    // Where Enter in a field goes; nullptr when nothing can take the focus.
    QWidget *next(QWidget *field) const;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    int indexOf(QObject *watched) const;

    QList<QPointer<QWidget>> m_fields;
    std::function<void()> m_lastAction;
};
