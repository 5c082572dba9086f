// The worker's side of an HTTP transfer: the request handed to libcurl, the response read through its
// callbacks.
#include "upgrade/httpdate.h"
#include "upgrade/httprun.h"

#include <QRegularExpression>
#include <QUrl>
#include <curl/curl.h>
#include <mutex>

namespace {
struct CurlHandle {
    CURL *curl = curl_easy_init();
    curl_slist *headers = nullptr;
    ~CurlHandle() {
        curl_slist_free_all(headers);
        if (curl) curl_easy_cleanup(curl);
    }
    void addHeader(const QString &line) { headers = curl_slist_append(headers, line.toUtf8().constData()); }
};

// The realm of a challenge: what follows the first `="`, without its closing quote; the whole text
// when there is no such pair.
QString realmOf(const QByteArray &challenge) {
    const qsizetype at = challenge.indexOf("=\"");
    if (at < 0) return QString::fromLatin1(challenge);
    return QString::fromLatin1(challenge.mid(at + 2).chopped(1));
}

// All the header lines a transfer takes, of every response it follows: far beyond any real server's.
constexpr qint64 MaxHeaderBytes = 256 << 10;

bool isHttps(const QString &address) {
    return QUrl(address).scheme().compare(QStringLiteral("https"), Qt::CaseInsensitive) == 0;
}

// The hosts reached without the proxy, separated by ";" or blanks, as a comma-separated list.
QByteArray bypassList(const QString &bypass) {
    static const QRegularExpression separators(QStringLiteral("[;\\s]+"));
    return bypass.split(separators, Qt::SkipEmptyParts).join(u',').toUtf8();
}
} // namespace

void HttpTransfer::fetch(const std::shared_ptr<Run> &run) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CurlHandle handle;
    if (!handle.curl) {
        run->error = QStringLiteral("curl_easy_init");
        return;
    }
    CURL *curl = handle.curl;
    run->curl = curl;
    const HttpRequest &request = run->request;
    const QByteArray url = completeAddress(request.address).toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, request.agent.toUtf8().constData());
    if (!request.referrer.isEmpty())
        curl_easy_setopt(curl, CURLOPT_REFERER, request.referrer.toUtf8().constData());

    handle.addHeader(QStringLiteral("Accept: ") + request.acceptTypes);
    // A body is sent at once, as the request is: libcurl would first wait up to a second for a
    // "100 Continue" before a large one, and that wait would count against the send time-out.
    handle.addHeader(QStringLiteral("Expect:"));
    for (const QString &line : request.extraHeaders)
        handle.addHeader(line);
    if (request.bypassCache) {
        handle.addHeader(QStringLiteral("Pragma: no-cache"));
        handle.addHeader(QStringLiteral("Cache-Control: no-cache"));
    }
    if (request.startRange != 0 || request.endRange != 0)
        handle.addHeader(QStringLiteral("RANGE: bytes=") + QString::number(request.startRange) + u'-' +
                         (request.endRange != 0 ? QString::number(request.endRange) : QString()));
    const QByteArray form = request.formData.toUtf8();
    if (!form.isEmpty()) {
        handle.addHeader(QStringLiteral("Content-Type: application/x-www-form-urlencoded"));
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(form.size()));
        curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, form.constData());
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, handle.headers);

    if (request.connectTimeoutMs != 0)
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.connectTimeoutMs));
    switch (request.proxy.access) {
    case HttpProxy::Access::Preconfig:
        break; // libcurl reads the proxy variables of the environment
    case HttpProxy::Access::Direct:
        curl_easy_setopt(curl, CURLOPT_PROXY, "");
        break;
    case HttpProxy::Access::UseProxy: {
        const QByteArray proxy = (request.proxy.server + u':' + QString::number(request.proxy.port)).toUtf8();
        curl_easy_setopt(curl, CURLOPT_PROXY, proxy.constData());
        // Always set, even empty: only the given list decides, never the environment's no_proxy.
        const QByteArray bypass = bypassList(request.proxy.bypass);
        curl_easy_setopt(curl, CURLOPT_NOPROXY, bypass.constData());
        break;
    }
    }
    // Through a proxy an https address is reached by a tunnel; the proxy's answer to opening it is no
    // answer of the server's and never reaches the header reading (a refusal is looked at below).
    curl_easy_setopt(curl, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (!request.caCertificates.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, QFile::encodeName(request.caCertificates).constData());
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE,
                     static_cast<long>(std::clamp(request.bufferSize, 1024, 512 * 1024)));

    const auto setCredentials = [curl](const QString &username, const QString &password) {
        if (username.isEmpty() && password.isEmpty()) return;
        curl_easy_setopt(curl, CURLOPT_USERNAME, username.toUtf8().constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.toUtf8().constData());
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST));
    };
    // The user's password is never sent in the clear: over plain http it stays here (libcurl itself
    // keeps it from a redirect to another host, port or scheme).
    if (isHttps(QString::fromUtf8(url)) && QUrl(QString::fromUtf8(url)).userName().isEmpty())
        setCredentials(run->username, run->password);

    struct Context {
        HttpTransfer *transfer;
        const std::shared_ptr<Run> *run;
    } context{this, &run};
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, run.get());
    curl_easy_setopt(
        curl, CURLOPT_XFERINFOFUNCTION,
        +[](void *data, curl_off_t, curl_off_t received, curl_off_t sendTotal, curl_off_t sent) -> int {
            Run *run = static_cast<Run *>(data);
            if (run->cancelled) return 1;
            // The receive and send time-outs count from the last byte that moved once connected;
            // libcurl's own low-speed rule averages over seconds and lets a stall run far longer.
            curl_off_t connected = 0;
            curl_easy_getinfo(static_cast<CURL *>(run->curl), CURLINFO_CONNECT_TIME_T, &connected);
            const qint64 moved = received + sent;
            if (connected == 0 || moved != run->movedBytes) {
                run->movedBytes = moved;
                run->sinceMoved.start();
                return 0;
            }
            const unsigned limit = sendTotal > 0 && sent < sendTotal ? run->request.sendTimeoutMs
                                                                     : run->request.receiveTimeoutMs;
            if (limit == 0 || !run->sinceMoved.hasExpired(limit)) return 0;
            run->error = QString::fromUtf8(curl_easy_strerror(CURLE_OPERATION_TIMEDOUT));
            return 1;
        });
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &context);
    curl_easy_setopt(
        curl, CURLOPT_HEADERFUNCTION, +[](char *data, size_t size, size_t count, void *user) -> size_t {
            const auto *context = static_cast<Context *>(user);
            const size_t total = size * count;
            return context->transfer->readHeaderLine(*context->run, QByteArray(data, qsizetype(total)))
                       ? total
                       : 0;
        });
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &context);
    curl_easy_setopt(
        curl, CURLOPT_WRITEFUNCTION, +[](char *data, size_t size, size_t count, void *user) -> size_t {
            const auto *context = static_cast<Context *>(user);
            const size_t total = size * count;
            return context->transfer->writeBody(*context->run, data, qsizetype(total)) ? total : 0;
        });
    char errors[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errors);

    beforeSending(curl);
    QString proxyUsername, proxyPassword;
    for (;;) {
        emit statusChanged(httpstatus::Connecting, httpStatusText(httpstatus::Connecting));
        run->movedBytes = -1;
        const CURLcode code = curl_easy_perform(curl);
        run->transportOk = code == CURLE_OK;
        if (!run->transportOk && run->error.isEmpty())
            run->error = QString::fromUtf8(errors[0] ? errors : curl_easy_strerror(code));
        if (!run->transportOk && run->response.status == -1) tunnelRefused(run);
        if (!run->authPending || run->cancelled || run->tooLarge) break;
        bool tryAgain = false;
        if (run->response.status == 401) {
            const QString realm = run->realm;
            callOnUi(run, [this, &tryAgain, &realm, &run] {
                emit passwordRequested(realm, tryAgain);
                run->username = m_username;
                run->password = m_password;
            });
            if (tryAgain) setCredentials(run->username, run->password);
        } else {
            // In and out: a second question shows what was answered to the first.
            QString &username = proxyUsername;
            QString &password = proxyPassword;
            callOnUi(run, [this, &tryAgain, &username, &password] {
                emit proxyAuthenticationRequested(username, password, tryAgain);
            });
            if (tryAgain) {
                curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, username.toUtf8().constData());
                curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, password.toUtf8().constData());
            }
        }
        if (!tryAgain || run->cancelled) break;
        run->error.clear();
    }
    if (!run->cancelled)
        emit statusChanged(httpstatus::RequestComplete, httpStatusText(httpstatus::RequestComplete));
    run->curl = nullptr;
}

void HttpTransfer::tunnelRefused(const std::shared_ptr<Run> &run) {
    // The proxy refused to open the tunnel: its status is the answer, as it is when the proxy answers
    // an http address itself, so that a 407 asks for the proxy's password either way.
    long status = 0;
    curl_easy_getinfo(static_cast<CURL *>(run->curl), CURLINFO_HTTP_CONNECTCODE, &status);
    if (status < 300) return;
    run->response.status = static_cast<int>(status);
    if (status == 407 && run->proxyHandler) run->authPending = true;
}

bool HttpTransfer::readHeaderLine(const std::shared_ptr<Run> &run, const QByteArray &line) {
    if (run->cancelled) return false;
    if (line.startsWith("HTTP/")) { // a new response: a redirect's target or an answered challenge
        const qint64 bytes = run->response.bytes;
        run->response = HttpResponse();
        run->response.bytes = bytes;
        run->response.status = line.split(' ').value(1).toInt();
        run->response.rawHeaders = QString::fromLatin1(line);
        run->headers.clear();
        run->authPending = false;
        run->discardBody = false;
        return true;
    }
    run->response.rawHeaders += QString::fromLatin1(line);
    run->headerBytes += line.size();
    if (run->headerBytes > MaxHeaderBytes) return refuseAsTooLarge(run);
    const QByteArray trimmed = line.trimmed();
    if (!trimmed.isEmpty()) {
        const qsizetype colon = trimmed.indexOf(':');
        if (colon > 0)
            run->headers.append({trimmed.left(colon).trimmed().toLower(), trimmed.mid(colon + 1).trimmed()});
        return true;
    }
    return endOfHeaders(run);
}

bool HttpTransfer::endOfHeaders(const std::shared_ptr<Run> &run) {
    HttpResponse &response = run->response;
    const int status = response.status;
    const QByteArray location = run->header("location");
    if (status / 100 == 1) { // an interim response; until the real one follows there is none
        response.status = -1;
        return true;
    }
    if (status / 100 == 3 && !location.isEmpty()) {
        char *current = nullptr;
        curl_easy_getinfo(static_cast<CURL *>(run->curl), CURLINFO_EFFECTIVE_URL, &current);
        const QString target =
            QUrl(QString::fromUtf8(current)).resolved(QUrl(QString::fromUtf8(location))).toString();
        emit statusChanged(httpstatus::Redirect, httpStatusText(httpstatus::Redirect));
        emit redirected(target);
        run->discardBody = true;
        return true;
    }
    const auto overHttps = [&run] {
        char *current = nullptr;
        curl_easy_getinfo(static_cast<CURL *>(run->curl), CURLINFO_EFFECTIVE_URL, &current);
        return isHttps(QString::fromUtf8(current));
    };
    if ((status == 401 && run->passwordHandler && overHttps()) || (status == 407 && run->proxyHandler)) {
        run->authPending = true;
        run->discardBody = true;
        run->realm = realmOf(run->header(status == 401 ? "www-authenticate" : "proxy-authenticate"));
        return true;
    }
    response.contentType = QString::fromLatin1(run->header("content-type"));
    response.contentLength = run->header("content-length").toLongLong();
    response.contentLanguage = QString::fromLatin1(run->header("content-language"));
    response.contentEncoding = QString::fromLatin1(run->header("content-encoding"));
    response.location = QString::fromUtf8(location);
    response.date = parseHttpDate(QString::fromLatin1(run->header("date")));
    response.lastModified = parseHttpDate(QString::fromLatin1(run->header("last-modified")));
    response.expires = parseHttpDate(QString::fromLatin1(run->header("expires")));
    emit statusChanged(httpstatus::ResponseReceived, httpStatusText(httpstatus::ResponseReceived));
    if (response.contentLength > run->request.maxBytes) return refuseAsTooLarge(run);
    if (run->headerHandler) {
        bool proceed = true;
        if (!callOnUi(run, [this, &proceed] { emit headersReceived(m_response, proceed); })) return false;
        if (!proceed) {
            run->cancelledByHeader = true;
            return false;
        }
    }
    return openBodyTarget(run);
}

bool HttpTransfer::openBodyTarget(const std::shared_ptr<Run> &run) {
    if (!run->request.outputFile.isEmpty()) {
        run->file.setFileName(run->request.outputFile);
        run->file.remove();
        if (!run->file.open(QIODevice::WriteOnly)) {
            run->targetFailed = true;
            run->error = run->file.errorString();
            return false;
        }
        if (run->request.hideOutputFile) run->file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    } else {
        // One allocation for an announced length, which is within the limit by now.
        run->memory.reserve(run->response.contentLength);
    }
    run->hasBody = true;
    return true;
}

bool HttpTransfer::writeBody(const std::shared_ptr<Run> &run, const char *data, qsizetype size) {
    if (run->cancelled) return false;
    if (run->discardBody) {
        run->discarded += size;
        return run->discarded <= run->request.maxBytes || refuseAsTooLarge(run);
    }
    if (!run->hasBody) return false;
    if (size > run->request.maxBytes - run->response.bytes) return refuseAsTooLarge(run);
    if (run->file.isOpen()) {
        if (run->file.write(data, size) != size) {
            run->targetFailed = true;
            run->error = run->file.errorString();
            return false;
        }
    } else {
        run->memory.append(data, size);
    }
    run->response.bytes += size;
    const HttpProgress figures =
        progressFigures(run->response.bytes, run->response.contentLength, run->clock.elapsed());
    return callOnUi(run, [this, figures] { emit progress(m_response, figures); });
}

bool HttpTransfer::refuseAsTooLarge(const std::shared_ptr<Run> &run) {
    run->tooLarge = true;
    run->error = QStringLiteral("more than %1 bytes").arg(run->request.maxBytes);
    return false;
}
