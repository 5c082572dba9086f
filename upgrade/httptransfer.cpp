#include "upgrade/httptransfer.h"

#include "upgrade/httprun.h"

#include <QMetaMethod>
#include <QUrl>
#include <cmath>

HttpProgress progressFigures(qint64 bytes, qint64 contentLength, qint64 elapsedMs) {
    HttpProgress figures;
    figures.bytes = bytes;
    figures.contentLength = contentLength;
    if (contentLength > 0)
        figures.percentDone =
            static_cast<int>(std::llround(static_cast<double>(bytes) * 100.0 / contentLength));
    figures.elapsedSeconds = elapsedMs / 1000;
    if (bytes > 0 && contentLength > 0)
        figures.secondsLeft =
            std::llround(static_cast<double>(contentLength) / bytes * figures.elapsedSeconds) -
            figures.elapsedSeconds;
    figures.transferRate = static_cast<float>(bytes) / 1024.0f;
    if (figures.elapsedSeconds != 0) figures.transferRate /= static_cast<float>(figures.elapsedSeconds);
    return figures;
}

QString completeAddress(const QString &address) {
    return address.contains(QStringLiteral("://")) ? address : QStringLiteral("http://") + address;
}

HttpTransfer::HttpTransfer(QObject *parent) : QObject(parent) {}

HttpTransfer::~HttpTransfer() {
    if (const auto run = std::exchange(m_run, nullptr)) {
        stopWorker(run);
        if (run->hasBody && !run->request.outputFile.isEmpty()) QFile::remove(run->request.outputFile);
    }
    for (const auto &retired : m_retired)
        retired->thread->wait();
}

void HttpTransfer::setCredentials(const QString &username, const QString &password) {
    m_username = username;
    m_password = password;
}

bool HttpTransfer::hasHandler(const char *which) const {
    const QByteArray name(which);
    if (name == "header") return isSignalConnected(QMetaMethod::fromSignal(&HttpTransfer::headersReceived));
    if (name == "password")
        return isSignalConnected(QMetaMethod::fromSignal(&HttpTransfer::passwordRequested));
    return isSignalConnected(QMetaMethod::fromSignal(&HttpTransfer::proxyAuthenticationRequested));
}

bool HttpTransfer::start() {
    if (m_run) return false;
    auto run = std::make_shared<Run>();
    run->request = m_request;
    run->username = m_username;
    run->password = m_password;
    run->headerHandler = hasHandler("header");
    run->passwordHandler = hasHandler("password");
    run->proxyHandler = hasHandler("proxy");
    m_response = HttpResponse();
    m_run = run;
    run->thread.reset(QThread::create([this, run] {
        work(run);
        QMetaObject::invokeMethod(
            this, [this, run] { complete(run); }, Qt::QueuedConnection);
    }));
    run->thread->start(m_request.priority);
    return true;
}

bool HttpTransfer::callOnUi(const std::shared_ptr<Run> &run, std::function<void()> call) {
    {
        std::lock_guard lock(run->mutex);
        run->replied = false;
    }
    QMetaObject::invokeMethod(
        this,
        [this, run, call = std::move(call)] {
            {
                std::lock_guard lock(run->mutex);
                if (run->cancelled) {
                    run->replied = true;
                    run->wake.notify_all();
                    return;
                }
                run->inUiCall = true;
            }
            m_response = run->response;
            call();
            {
                std::lock_guard lock(run->mutex);
                run->inUiCall = false;
                run->replied = true;
            }
            run->wake.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(run->mutex);
    run->wake.wait(lock, [&run] { return run->replied || (run->cancelled && !run->inUiCall); });
    run->sinceMoved.start(); // time spent in a handler is no silence of the server's
    return !run->cancelled;
}

void HttpTransfer::work(const std::shared_ptr<Run> &run) {
    run->clock.start();
    run->response.status = -1;
    if (completeAddress(run->request.address).startsWith(QStringLiteral("file:"), Qt::CaseInsensitive))
        readFile(run);
    else
        fetch(run);
}

void HttpTransfer::readFile(const std::shared_ptr<Run> &run) {
    const QUrl url(run->request.address);
    QFile source(url.isLocalFile() ? url.toLocalFile() : run->request.address.mid(5));
    const bool opened = source.open(QIODevice::ReadOnly);
    run->response.status = opened ? 200 : 404;
    run->response.contentLength = opened ? source.size() : 0;
    run->transportOk = true;
    if (!opened) {
        run->hasBody = true; // an empty memory block
        return;
    }
    if (run->response.contentLength > run->request.maxBytes) {
        refuseAsTooLarge(run);
        return;
    }
    if (!openBodyTarget(run)) return;
    const qint64 blockSize = std::max(1, run->request.bufferSize);
    while (!run->cancelled) {
        const QByteArray block = source.read(blockSize);
        if (block.isEmpty() || !writeBody(run, block.constData(), block.size())) break;
    }
}

void HttpTransfer::stopWorker(const std::shared_ptr<Run> &run) {
    bool fromHandler;
    {
        std::lock_guard lock(run->mutex);
        run->cancelled = true;
        fromHandler = run->inUiCall;
    }
    run->wake.notify_all();
    // A handler of this very worker is further up the stack: the worker waits for it to return and
    // then ends by itself, touching neither the file nor the handlers again.
    if (fromHandler)
        m_retired.push_back(run);
    else
        run->thread->wait();
}

void HttpTransfer::abort() {
    if (!m_run) return;
    const auto run = std::exchange(m_run, nullptr);
    stopWorker(run);
    if (run->hasBody && !run->request.outputFile.isEmpty()) QFile::remove(run->request.outputFile);
    emit aborted();
}

void HttpTransfer::complete(const std::shared_ptr<Run> &run) {
    if (run != m_run) { // aborted meanwhile
        run->thread->wait();
        std::erase(m_retired, run);
        return;
    }
    run->thread->wait();
    m_run.reset();
    HttpResponse &response = run->response;
    const bool wroteFile = run->file.isOpen();
    if (wroteFile) run->file.close();
    response.success = response.status == 200 && run->transportOk && !run->targetFailed && !run->tooLarge &&
                       (response.contentLength == 0 || response.bytes == response.contentLength);
    m_response = response;

    HttpOutcome outcome;
    if (run->cancelledByHeader) {
        outcome = HttpOutcome::Cancelled;
        emit cancelled();
    } else if (response.success && run->hasBody) {
        outcome = HttpOutcome::Done;
        emit done(response.contentType, run->memory, response.bytes);
    } else {
        if (wroteFile) run->file.remove(); // never leave a partial file behind
        if (run->error.isEmpty()) run->error = tr("transfer failed");
        emit failed(run->error);
        if (run->tooLarge) {
            outcome = HttpOutcome::TooLarge;
            emit tooLarge(run->request.maxBytes);
        } else if (response.success || run->targetFailed) {
            outcome = HttpOutcome::Failed;
        } else if (response.status == -1) {
            outcome = HttpOutcome::NoResponse;
            emit noResponse();
        } else if (response.status != 200) {
            outcome = HttpOutcome::HttpError;
            emit httpError(response.status, run->memory);
        } else {
            outcome = HttpOutcome::Incomplete;
            emit incomplete(response.contentType, response.bytes, response.contentLength);
        }
    }
    emit finished(outcome);
}
