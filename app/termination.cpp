#include "app/termination.h"

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int requestPipe[2] = {-1, -1};
constexpr int HandledSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Only async-signal-safe work here: one byte into the pipe, read on the event loop.
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(requestPipe[0], &byte, 1);
}
} // namespace

TerminationRequests::TerminationRequests(QObject *parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, requestPipe) != 0) return;
    m_notifier = new QSocketNotifier(requestPipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationRequests::readRequest);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : HandledSignals)
        ::sigaction(number, &action, nullptr);
}

TerminationRequests::~TerminationRequests() {
    for (const int number : HandledSignals)
        ::signal(number, SIG_DFL);
    delete m_notifier;
    for (int &end : requestPipe) {
        if (end >= 0) ::close(end);
        end = -1;
    }
}

void TerminationRequests::readRequest() {
    char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(requestPipe[1], &byte, 1);
    emit requested();
}

void closeForTermination(QWidget *mainWindow) {
    QPointer<QWidget> window(mainWindow);
    if (QWidget *modal = QApplication::activeModalWidget()) {
        modal->close();
        // The modal window's loop ends once control is back there; the main window closes after it.
        QTimer::singleShot(0, mainWindow, [window] {
            if (window && window->isVisible()) window->close();
        });
        return;
    }
    if (window) window->close();
}
