#pragma once
// The state one transfer shares between its worker thread and the user-interface thread. The worker
// owns it while it runs; the user-interface thread touches it only while the worker waits for it
// (a call handed over) or after the worker has ended.
#include "upgrade/httptransfer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QPair>
#include <atomic>
#include <condition_variable>
#include <mutex>

struct HttpTransfer::Run {
    HttpRequest request;
    QString username;
    QString password;
    bool headerHandler = false;
    bool passwordHandler = false;
    bool proxyHandler = false;

    std::unique_ptr<QThread> thread;
    std::mutex mutex;
    std::condition_variable wake;
    bool replied = false;
    bool inUiCall = false; // a handler runs for this worker, which keeps its stack for it
    std::atomic<bool> cancelled{false};

    HttpResponse response;
    QList<QPair<QByteArray, QByteArray>> headers; // of the response being read, names in lower case
    QElapsedTimer clock;
    QElapsedTimer sinceMoved; // since a byte was last sent or received, for the time-outs
    qint64 movedBytes = -1;
    QByteArray memory;
    QFile file;
    bool hasBody = false;      // the body target (memory or file) was set up
    bool targetFailed = false; // the output file could not be created or written
    bool cancelledByHeader = false;
    bool tooLarge = false;
    qint64 headerBytes = 0;   // of every response of this transfer, redirects and challenges included
    qint64 discarded = 0;     // bodies of redirects and answered challenges
    bool discardBody = false; // a redirect's or an answered challenge's body
    bool authPending = false; // 401 or 407 with someone to ask
    QString realm;
    bool transportOk = false;
    QString error;
    void *curl = nullptr;

    QByteArray header(const char *name) const {
        for (const auto &[key, value] : headers)
            if (key == name) return value;
        return {};
    }
};
