#pragma once
// One HTTP (or "file") request at a time on a worker thread of its own. The body goes into memory or
// into a file; every outcome is reported by signals that run on the user-interface thread while the
// worker waits for them, so a handler may answer (go on, try again with a password).
#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <memory>
#include <vector>

struct HttpProxy {
    enum class Access {
        Preconfig, // the system's settings (the proxy variables of the environment)
        Direct,    // no proxy
        UseProxy,  // the proxy below
    };
    Access access = Access::Preconfig;
    QString server;
    int port = 8080;
    QString bypass = QStringLiteral("127.0.0.1;"); // hosts reached directly, separated by ";"
};

struct HttpRequest {
    QString address;             // "http://" is put in front when it has no "://"
    QString outputFile;          // empty: the body is kept in memory
    bool hideOutputFile = false; // the output file is readable by its owner only while it is written
    QString formData;            // not empty: the request is a POST of this text
    QString referrer;
    QString acceptTypes = QStringLiteral("text/html, */*");
    QString agent = QStringLiteral("jsjxc-transfer/1.0 (+http://www.jiasuisoft.cn)");
    QStringList extraHeaders; // whole lines, "Name: value"
    bool bypassCache = false;
    qint64 startRange = 0; // a byte range is asked for when either is not 0
    qint64 endRange = 0;
    unsigned connectTimeoutMs = 0; // 0 keeps the default
    unsigned receiveTimeoutMs = 0;
    unsigned sendTimeoutMs = 0;
    HttpProxy proxy;
    // The most body bytes a transfer takes: a longer announced length ends it before anything is
    // written, a longer body as soon as it goes past; either way as too large.
    qint64 maxBytes = qint64(64) << 20;
    QString caCertificates; // a PEM file of the certificates trusted for https; empty: the system's
    int bufferSize = 4096;
    QThread::Priority priority = QThread::NormalPriority;
};

struct HttpResponse {
    int status = -1; // -1 until a status line was read
    bool success = false;
    QString contentType;
    qint64 contentLength = 0; // 0 when not announced
    QString rawHeaders;
    QString contentLanguage;
    QString contentEncoding;
    QString location;
    QDateTime date; // local times; invalid when absent
    QDateTime lastModified;
    QDateTime expires;
    qint64 bytes = 0;
};

struct HttpProgress {
    qint64 bytes = 0;
    qint64 contentLength = 0;
    int percentDone = 0;
    qint64 elapsedSeconds = 0;
    qint64 secondsLeft = 0;
    float transferRate = 0; // KB per second
};

// How a transfer ended.
enum class HttpOutcome { Done, HttpError, NoResponse, Incomplete, TooLarge, Cancelled, Failed, Aborted };

// The figures of a progress event from the bytes so far and the time since the start.
HttpProgress progressFigures(qint64 bytes, qint64 contentLength, qint64 elapsedMs);
// The address as it is fetched: "http://" in front when it names no scheme.
QString completeAddress(const QString &address);

class HttpTransfer : public QObject {
    Q_OBJECT
  public:
    explicit HttpTransfer(QObject *parent = nullptr);
    ~HttpTransfer() override;

    HttpRequest &request() { return m_request; }
    const HttpRequest &request() const { return m_request; }
    QString username() const { return m_username; }
    QString password() const { return m_password; }
    // The server's user name and password. They go only to https addresses: a plain-http server that
    // answers 401 is neither sent them nor raises the password request, and ends as that HTTP error.
    void setCredentials(const QString &username, const QString &password);

    // Starts the request on a fresh worker; false (and nothing happens) while one runs.
    bool start();
    bool isBusy() const { return m_run != nullptr; }
    // Ends a running transfer at once (its partial output file is deleted) and reports it aborted.
    void abort();

    // The state of the current or last transfer as the user-interface thread last saw it.
    const HttpResponse &response() const { return m_response; }

  signals:
    // The final headers arrived; clearing `proceed` fetches no body and ends as cancelled.
    void headersReceived(const HttpResponse &response, bool &proceed);
    void progress(const HttpResponse &response, const HttpProgress &figures);
    // Status 401 or 407. Set `tryAgain` (after new credentials) to send the request again.
    void passwordRequested(const QString &realm, bool &tryAgain);
    void proxyAuthenticationRequested(QString &username, QString &password, bool &tryAgain);

    // Completion: a failure raises `failed` first and then its specific signal; `finished` comes last.
    void done(const QString &contentType, const QByteArray &body, qint64 bytes);
    void httpError(int status, const QByteArray &body);
    void noResponse();
    void incomplete(const QString &contentType, qint64 bytes, qint64 contentLength);
    // The body (or its announced length, or the headers) went past the request's limit.
    void tooLarge(qint64 maxBytes);
    void cancelled();
    void failed(const QString &error);
    void aborted();
    void finished(HttpOutcome outcome);

    // Raised on the worker thread: connect with a queued or thread-safe receiver.
    void statusChanged(int status, const QString &text);
    void redirected(const QString &address);

  protected:
    // Called on the worker with the libcurl handle (CURL *) once the request's settings are on it and
    // before it is first sent. Nothing here: the tests' transfers trust the certificate of their own
    // https server through it.
    virtual void beforeSending(void *curl) { Q_UNUSED(curl); }

  private:
    struct Run;
    // Runs `call` on the user-interface thread and waits; false when the transfer was aborted.
    bool callOnUi(const std::shared_ptr<Run> &run, std::function<void()> call);
    void work(const std::shared_ptr<Run> &run);
    void readFile(const std::shared_ptr<Run> &run);
    void fetch(const std::shared_ptr<Run> &run);
    void tunnelRefused(const std::shared_ptr<Run> &run);
    bool readHeaderLine(const std::shared_ptr<Run> &run, const QByteArray &line);
    bool endOfHeaders(const std::shared_ptr<Run> &run);
    bool openBodyTarget(const std::shared_ptr<Run> &run);
    bool writeBody(const std::shared_ptr<Run> &run, const char *data, qsizetype size);
    bool refuseAsTooLarge(const std::shared_ptr<Run> &run);
    void complete(const std::shared_ptr<Run> &run);
    void stopWorker(const std::shared_ptr<Run> &run);
    bool hasHandler(const char *signal) const;

    HttpRequest m_request;
    QString m_username;
    QString m_password;
    HttpResponse m_response;
    std::shared_ptr<Run> m_run;
    std::vector<std::shared_ptr<Run>> m_retired; // aborted from their own handlers, ending by themselves
};
