#include "store/servernotifications.h"

#include "store/database.h"
#include "store/serverconnection.h"

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <libpq-fe.h>

namespace {
// A connection that does not come up in this time is given up and tried again.
constexpr int ConnectLimitMilliseconds = 10000;
// The waits between attempts grow up to this; the first attempt after a loss is at once.
constexpr int LongestRetryMilliseconds = 5000;
constexpr int FirstRetryMilliseconds = 250;

QByteArray listenerConnectionString(const QString &connectionString) {
    QString text = connectionString.trimmed();
    // A name of its own: a restore counts the other tills by the program's name, one connection each.
    if (serverconnection::valueOf(text, "application_name").isEmpty())
        text += QStringLiteral(" application_name=jsjxc_listener");
    text = serverconnection::completed(text);
    // An idle connection hears nothing of a cable pulled or a server switched off; the system's
    // probes find out (they do nothing on a local socket).
    if (serverconnection::valueOf(text, "keepalives_idle").isEmpty())
        text += QStringLiteral(" keepalives_idle=20 keepalives_interval=5 keepalives_count=3");
    return text.toUtf8();
}

QList<qint64> sorted(const QSet<qint64> &ids) {
    QList<qint64> list(ids.begin(), ids.end());
    std::sort(list.begin(), list.end());
    return list;
}
} // namespace

ServerNotifications::ServerNotifications(Database &database, QObject *parent)
    : QObject(parent), m_database(database),
      m_connectionString(listenerConnectionString(database.serverConnection())), m_retry(new QTimer(this)),
      m_connectLimit(new QTimer(this)), m_batch(new QTimer(this)) {
    setObjectName(QStringLiteral("serverNotifications"));
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &ServerNotifications::connectNow);
    m_connectLimit->setSingleShot(true);
    m_connectLimit->setInterval(ConnectLimitMilliseconds);
    connect(m_connectLimit, &QTimer::timeout, this, &ServerNotifications::lose);
    m_batch->setSingleShot(true);
    m_batch->setInterval(BatchMilliseconds);
    connect(m_batch, &QTimer::timeout, this, &ServerNotifications::handOn);
}

ServerNotifications::~ServerNotifications() {
    delete m_reader;
    delete m_writer;
    if (m_connection) PQfinish(m_connection);
}

void ServerNotifications::start() {
    if (m_state == State::Idle && !m_retry->isActive()) connectNow();
}

int ServerNotifications::backendPid() const {
    return m_connection && m_state != State::Connecting ? PQbackendPID(m_connection) : 0;
}

void ServerNotifications::connectNow() {
    m_state = State::Connecting;
    m_connection = PQconnectStart(m_connectionString.constData());
    if (!m_connection || PQstatus(m_connection) == CONNECTION_BAD || PQsocket(m_connection) < 0) {
        lose();
        return;
    }
    // The server's notices (a connection ended by the administrator) are not for the user's terminal.
    PQsetNoticeProcessor(
        m_connection, [](void *, const char *) {}, nullptr);
    m_connectLimit->start();
    watch(false, true);
}

void ServerNotifications::watch(bool forReading, bool forWriting) {
    const int socket = PQsocket(m_connection);
    if (socket < 0) {
        lose();
        return;
    }
    // Connecting may try one address after another, each on a socket of its own.
    if (!m_reader || m_reader->socket() != socket) {
        if (m_reader) {
            m_reader->setEnabled(false);
            m_reader->deleteLater();
            m_writer->setEnabled(false);
            m_writer->deleteLater();
        }
        m_reader = new QSocketNotifier(socket, QSocketNotifier::Read, this);
        m_writer = new QSocketNotifier(socket, QSocketNotifier::Write, this);
        connect(m_reader, &QSocketNotifier::activated, this, [this] {
            if (m_state == State::Connecting)
                pollConnection();
            else
                onReadable();
        });
        connect(m_writer, &QSocketNotifier::activated, this, [this] {
            if (m_state == State::Connecting) {
                pollConnection();
                return;
            }
            const int flushed = PQflush(m_connection);
            if (flushed < 0)
                lose();
            else if (flushed == 0)
                m_writer->setEnabled(false);
        });
    }
    m_reader->setEnabled(forReading);
    m_writer->setEnabled(forWriting);
}

void ServerNotifications::pollConnection() {
    switch (PQconnectPoll(m_connection)) {
    case PGRES_POLLING_READING:
        watch(true, false);
        return;
    case PGRES_POLLING_WRITING:
        watch(false, true);
        return;
    case PGRES_POLLING_OK:
        break;
    default:
        lose();
        return;
    }
    m_connectLimit->stop();
    if (PQsetnonblocking(m_connection, 1) != 0) {
        lose();
        return;
    }
    const QByteArray listen = QByteArray("LISTEN ") + GoodsChannel + "; LISTEN " + SalesChannel;
    if (!PQsendQuery(m_connection, listen.constData())) {
        lose();
        return;
    }
    m_state = State::Subscribing;
    const int flushed = PQflush(m_connection);
    if (flushed < 0) {
        lose();
        return;
    }
    watch(true, flushed == 1);
}

void ServerNotifications::onReadable() {
    if (!PQconsumeInput(m_connection)) {
        lose();
        return;
    }
    while (!PQisBusy(m_connection)) {
        PGresult *result = PQgetResult(m_connection);
        if (!result) {
            if (m_state != State::Subscribing) break;
            m_state = State::Listening;
            m_retryDelay = 0;
            // What the other tills wrote while nobody listened is not known row by row.
            if (m_missed) {
                m_missed = false;
                m_goodsOverflow = m_salesOverflow = true;
                m_batch->start();
            }
            m_listenedBefore = true;
            emit listening();
            break;
        }
        const bool failed = PQresultStatus(result) != PGRES_COMMAND_OK;
        PQclear(result);
        if (failed && m_state == State::Subscribing) {
            lose();
            return;
        }
    }
    // Read once per batch of notifications: the program's own connection may have been made again.
    const auto *own = static_cast<PGconn *>(m_database.serverHandle());
    const int ownPid = own ? PQbackendPID(own) : 0;
    while (PGnotify *notification = PQnotifies(m_connection)) {
        if (notification->be_pid != ownPid || ownPid == 0) take(notification->relname, notification->extra);
        PQfreemem(notification);
    }
    if (PQstatus(m_connection) == CONNECTION_BAD) lose();
}

void ServerNotifications::take(const char *channel, const char *payload) {
    const bool goods = qstrcmp(channel, GoodsChannel) == 0;
    if (!goods && qstrcmp(channel, SalesChannel) != 0) return;
    QSet<qint64> &ids = goods ? m_goods : m_sales;
    bool &overflow = goods ? m_goodsOverflow : m_salesOverflow;
    bool ok = false;
    const qint64 id = QByteArray(payload).toLongLong(&ok);
    // A payload that is no ID says nothing about which row: the whole list then.
    if (!ok || ids.size() >= MostRowsOneByOne) {
        overflow = true;
        ids.clear();
    }
    if (!overflow) ids.insert(id);
    if (!m_batch->isActive()) m_batch->start();
}

void ServerNotifications::handOn() {
    // Taken out first: a slot may run the event loop (a message box), and notifications arrive then.
    const QList<qint64> goods = sorted(m_goods);
    const QList<qint64> sales = sorted(m_sales);
    const bool allGoods = m_goodsOverflow;
    const bool allSales = m_salesOverflow;
    m_goods.clear();
    m_sales.clear();
    m_goodsOverflow = m_salesOverflow = false;
    if (allGoods)
        emit goodsReloadNeeded();
    else
        for (const qint64 id : goods)
            emit goodsChanged(id);
    if (allSales)
        emit salesReloadNeeded();
    else
        for (const qint64 id : sales)
            emit salesChanged(id);
}

void ServerNotifications::lose() {
    m_connectLimit->stop();
    for (QSocketNotifier *notifier : {m_reader, m_writer}) {
        if (!notifier) continue;
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    m_reader = m_writer = nullptr;
    if (m_connection) PQfinish(m_connection);
    m_connection = nullptr;
    m_state = State::Idle;
    if (m_listenedBefore) m_missed = true;
    m_retry->start(m_retryDelay);
    m_retryDelay =
        m_retryDelay == 0 ? FirstRetryMilliseconds : std::min(2 * m_retryDelay, LongestRetryMilliseconds);
}
