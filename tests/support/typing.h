#pragma once
// Texts in tests: Chinese literals as QStrings, and typing them into a field key by key.
#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

inline QString u(const char *utf8) {
    return QString::fromUtf8(utf8);
}

// Key by key, as a keyboard or an input method delivers the text (any character, not only ASCII).
inline void typeText(QWidget *field, const QString &text) {
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(field, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(field, &release);
    }
}
