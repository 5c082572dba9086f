#include "widgets/numberfield.h"

#include "store/numbers.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QToolButton>
#include <algorithm>

NumberField::NumberField(QWidget *parent) : QLineEdit(parent) {
    // Dropped text would bypass the key filter.
    setAcceptDrops(false);
}

bool NumberField::acceptsCharacter(QChar c) const {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (m_decimalPoint && c == QLatin1Char('.'));
}

QString NumberField::accepted(const QString &text) const {
    QString kept;
    for (QChar c : text)
        if (acceptsCharacter(c)) kept += c;
    return kept;
}

void NumberField::pasteAccepted() {
    if (isReadOnly()) return;
    const QString text = accepted(QGuiApplication::clipboard()->text());
    if (!text.isEmpty()) insert(text);
}

void NumberField::keyPressEvent(QKeyEvent *event) {
    if (event == QKeySequence::Paste) {
        pasteAccepted();
        return;
    }
    if (hasStepper() && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) &&
        !(event->modifiers() & ~Qt::KeypadModifier)) {
        stepBy(event->key() == Qt::Key_Up ? 1 : -1);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    // Keys that move the cursor, select or copy change no text; they work as in any field.
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        QLineEdit::keyPressEvent(event);
        return;
    default:
        break;
    }
    if (event == QKeySequence::Copy || event == QKeySequence::SelectAll) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString text = event->text();
    if (text.size() == 1 && acceptsCharacter(text.front()) &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (text.isEmpty() || text.front() == QLatin1Char('\x1b')) {
        // Keys that type nothing (Escape, function keys) are left to the window around the field.
        event->ignore();
        return;
    }
    event->accept(); // every other key is dropped
}

void NumberField::inputMethodEvent(QInputMethodEvent *event) {
    // Text committed by an input method (full-width digits, Chinese) passes the same filter as keys;
    // nothing is composed in the field.
    QInputMethodEvent filtered;
    filtered.setCommitString(accepted(event->commitString()), event->replacementStart(),
                             event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
}

void NumberField::contextMenuEvent(QContextMenuEvent *event) {
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The standard paste would insert the clipboard as it is; cut, undo and redo the same way
    // bring back text the keys would not give: only filtered paste stays.
    for (QAction *action : menu->actions()) {
        const QString name = action->objectName();
        if (name == QLatin1String("edit-paste")) {
            action->disconnect();
            connect(action, &QAction::triggered, this, &NumberField::pasteAccepted);
        } else if (name == QLatin1String("edit-undo") || name == QLatin1String("edit-redo")) {
            action->setEnabled(false);
        }
    }
    menu->popup(event->globalPos());
}

void NumberField::setStepper(double step, double minimum, double maximum) {
    m_step = step;
    m_minimum = std::min(minimum, maximum);
    m_maximum = std::max(minimum, maximum);
    if (!m_upButton) {
        m_upButton = new QToolButton(this);
        m_upButton->setObjectName(QStringLiteral("upButton"));
        m_upButton->setArrowType(Qt::UpArrow);
        m_downButton = new QToolButton(this);
        m_downButton->setObjectName(QStringLiteral("downButton"));
        m_downButton->setArrowType(Qt::DownArrow);
        for (QToolButton *button : {m_upButton, m_downButton}) {
            button->setFocusPolicy(Qt::NoFocus);
            button->setCursor(Qt::ArrowCursor);
            button->setAutoRepeat(true);
        }
        connect(m_upButton, &QToolButton::clicked, this, [this] { stepBy(1); });
        connect(m_downButton, &QToolButton::clicked, this, [this] { stepBy(-1); });
        resizeEvent(nullptr);
    }
}

void NumberField::stepBy(int steps) {
    if (!hasStepper() || isReadOnly()) return;
    const double value = num::parse(text()).value_or(m_minimum);
    const double next = std::clamp(num::stored(value + steps * m_step), m_minimum, m_maximum);
    setText(num::general(next));
}

void NumberField::resizeEvent(QResizeEvent *event) {
    if (event) QLineEdit::resizeEvent(event);
    if (!hasStepper()) return;
    const int width = std::max(12, height() / 2 + 4);
    const int half = height() / 2;
    m_upButton->setGeometry(this->width() - width, 0, width, half);
    m_downButton->setGeometry(this->width() - width, half, width, height() - half);
    setTextMargins(0, 0, width, 0);
}
