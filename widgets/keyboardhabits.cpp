#include "widgets/keyboardhabits.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>

namespace {
// The line edit whose text a focus on `widget` should select; nullptr for anything else.
QLineEdit *entryOf(QObject *widget) {
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        // An editable drop-down's own line edit follows the drop-down, which is handled itself.
        if (qobject_cast<QComboBox *>(edit->parentWidget())) return nullptr;
        return edit->isReadOnly() ? nullptr : edit;
    }
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return combo->isEditable() ? combo->lineEdit() : nullptr;
    return nullptr;
}

bool selectsOnFocus(Qt::FocusReason reason) {
    // A click places the cursor where the user clicked; a closing drop-down list gives the focus back
    // without the user moving to the field.
    return reason != Qt::MouseFocusReason && reason != Qt::PopupFocusReason;
}

bool isEnter(const QKeyEvent *key) {
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           !(key->modifiers() & ~Qt::KeypadModifier);
}
} // namespace

void KeyboardHabits::install() {
    static QPointer<KeyboardHabits> installed;
    if (installed || !qApp) return;
    installed = new KeyboardHabits(qApp);
    qApp->installEventFilter(installed);
}

bool KeyboardHabits::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusIn) {
        auto *focus = static_cast<QFocusEvent *>(event);
        QLineEdit *edit = entryOf(watched);
        if (!edit || !selectsOnFocus(focus->reason())) return false;
        // The field's own focus handling first (a masked field moves its cursor to the first blank),
        // then the selection over the whole text.
        watched->event(event);
        edit->selectAll();
        return true;
    }
    if (event->type() == QEvent::KeyPress && isEnter(static_cast<QKeyEvent *>(event))) {
        auto *button = qobject_cast<QAbstractButton *>(watched);
        if (!button || !button->isEnabled() || !button->hasFocus()) return false;
        if (!qobject_cast<QPushButton *>(button) && !qobject_cast<QToolButton *>(button)) return false;
        button->click();
        return true;
    }
    return false;
}
