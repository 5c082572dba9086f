#include "widgets/enterchain.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

EnterChain::EnterChain(const QList<QWidget *> &fields, QObject *parent) : QObject(parent) {
    for (QWidget *field : fields) {
        m_fields.append(field);
        field->installEventFilter(this);
        // An editable drop-down may hand its keys to its line edit first.
        if (auto *combo = qobject_cast<QComboBox *>(field); combo && combo->lineEdit())
            combo->lineEdit()->installEventFilter(this);
    }
}

int EnterChain::indexOf(QObject *watched) const {
    for (int i = 0; i < m_fields.size(); ++i) {
        QWidget *field = m_fields[i];
        if (!field) continue;
        if (watched == field) return i;
        if (auto *combo = qobject_cast<QComboBox *>(field); combo && watched == combo->lineEdit()) return i;
    }
    return -1;
}

QWidget *EnterChain::next(QWidget *field) const {
    const int index = indexOf(field);
    if (index < 0) return nullptr;
    for (int i = index + 1; i < m_fields.size(); ++i) {
        QWidget *candidate = m_fields[i];
        if (candidate && candidate->isEnabled() && candidate->isVisibleTo(candidate->window()))
            return candidate;
    }
    return nullptr;
}

bool EnterChain::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        (key->modifiers() & ~Qt::KeypadModifier))
        return false;
    const int index = indexOf(watched);
    if (index < 0) return false;
    if (index == m_fields.size() - 1) {
        if (m_lastAction) m_lastAction();
        return true;
    }
    if (QWidget *target = next(m_fields[index])) target->setFocus(Qt::TabFocusReason);
    return true;
}
