#pragma once
// show-or-create window: windows that are made on first use and then only shown again.
#include <QApplication>
#include <QWidget>

// Brings an existing window to the front with the input focus, restoring it when minimised.
inline void bringWindowForward(QWidget *window) {
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
    window->setFocus();
}

// The open window of exactly class W (a subclass does not count), brought forward; or a new one made by
// `make` (which owns it to the caller's choice), shown at once.
template <class W, class Make> W *showOrCreateWindowWith(Make &&make) {
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->metaObject() == &W::staticMetaObject) {
            bringWindowForward(window);
            return static_cast<W *>(window);
        }
    }
    W *window = make();
    if (!window->isWindow()) window->setWindowFlag(Qt::Window, true);
    window->show();
    return window;
}

// The same for windows constructed as W(owner), owned by `owner`.
template <class W> W *showOrCreateWindow(QWidget *owner) {
    return showOrCreateWindowWith<W>([owner] { return new W(owner); });
}
