#include "printing/escposlink.h"

#include "printing/escposport.h"

#include <QDeadlineTimer>
#include <QDir>

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace escpos {

using namespace port;

namespace {
constexpr char DLE = 0x10, EOT = 0x04;

class PipeSignalBlock {
  public:
    PipeSignalBlock() {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previous);
    }
    ~PipeSignalBlock() {
        const timespec none{0, 0};
        while (sigtimedwait(&m_pipe, nullptr, &none) > 0) {
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    PipeSignalBlock(const PipeSignalBlock &) = delete;
    PipeSignalBlock &operator=(const PipeSignalBlock &) = delete;

  private:
    sigset_t m_pipe, m_previous;
};

struct Writer {
    Writer(int fd, bool socket, int stallMs) : fd(fd), socket(socket), stallMs(stallMs) {}
    int fd;
    bool socket;
    int stallMs;
    qint64 written = 0;
    QString reason;

    bool put(const char *data, qint64 size) {
        qint64 done = 0;
        while (done < size) {
            const ssize_t n = socket ? ::send(fd, data + done, size - done, MSG_NOSIGNAL)
                                     : ::write(fd, data + done, size - done);
            if (n > 0) {
                done += n;
                written += n;
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return fail(errno);
            const int ready = waitFor(fd, POLLOUT, stallMs);
            if (ready == 0) return stalled();
            if (const int error = ready < 0 && socket ? socketError(fd) : 0; error != 0) return fail(error);
            // A hang-up on a file: the next write says which.
        }
        return true;
    }

    // The bytes handed over are still in the kernel's queue (a socket's unacknowledged ones, a
    // line's untransmitted ones): waited for, so that a printer that goes away now is reported.
    bool drain() {
        int last = -1;
        int pause = 1; // ms; a printer on the network acknowledges within one, a serial line takes longer
        QDeadlineTimer stall(stallMs);
        for (;;) {
            int queued = 0;
            const bool known = ::ioctl(fd, TIOCOUTQ, &queued) == 0;
            // A reset empties the queue too: the error is looked at after the queue.
            if (const int error = socket ? socketError(fd) : 0; error != 0) return fail(error);
            if (!known || queued <= 0) return true;
            if (last < 0 || queued < last) stall.setRemainingTime(stallMs);
            last = queued;
            if (stall.hasExpired()) return stalled();
            if (waitFor(fd, 0, pause) < 0) {
                const int error = socket ? socketError(fd) : 0;
                return fail(error != 0 ? error : socket ? ECONNRESET : EIO);
            }
            pause = std::min(pause * 2, 10);
        }
    }

    bool fail(int error) {
        reason = reasonOf(error);
        return false;
    }
    bool stalled() {
        reason = QStringLiteral("打印机%1秒内没有接收数据").arg(std::max(1, (stallMs + 500) / 1000));
        return false;
    }
};

// Bytes the printer sent unasked (a status sent by itself, XON/XOFF) would be taken for the answer.
void discardInput(int fd, bool socket) {
    char buffer[256];
    for (;;) {
        const ssize_t n =
            socket ? ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) : ::read(fd, buffer, sizeof buffer);
        if (n <= 0) return;
    }
}

std::optional<uchar> ask(Writer &writer, int n, int ms) {
    const char query[] = {DLE, EOT, static_cast<char>(n)};
    const qint64 before = writer.written;
    if (!writer.put(query, sizeof query)) return std::nullopt;
    writer.written = before; // status queries are not receipt bytes
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (waitFor(writer.fd, POLLIN, remaining(deadline)) != 1) return std::nullopt;
        uchar byte = 0;
        const ssize_t got = ::read(writer.fd, &byte, 1);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (got <= 0) return std::nullopt;
        if (isStatusByte(byte)) return byte;
    }
    return std::nullopt;
}

PrinterState check(Writer &writer, int ms) {
    discardInput(writer.fd, writer.socket);
    const auto printer = ask(writer, 1, ms);
    if (!printer) return PrinterState::Unanswered;
    const auto paper = ask(writer, 4, ms);
    const auto cause = (*printer & 0x08) ? ask(writer, 2, ms) : std::nullopt;
    return decodeStatus(printer, cause, paper);
}

} // namespace

bool isStatusByte(uchar byte) {
    return (byte & 0x93) == 0x12;
}

PrinterState decodeStatus(std::optional<uchar> printer, std::optional<uchar> offlineCause,
                          std::optional<uchar> paper) {
    if (!printer || !isStatusByte(*printer)) return PrinterState::Unanswered;
    // An unanswered query reads as "nothing wrong": only what the printer said stops the receipt.
    const uchar sensor = paper && isStatusByte(*paper) ? *paper : 0;
    const uchar cause = offlineCause && isStatusByte(*offlineCause) ? *offlineCause : 0;
    if ((sensor & 0x60) == 0x60) return PrinterState::PaperOut;
    if (!(*printer & 0x08)) return PrinterState::Ready;
    if (cause & 0x20) return PrinterState::PaperOut;
    if (cause & 0x04) return PrinterState::CoverOpen;
    return PrinterState::Offline;
}

QString stateText(PrinterState state) {
    switch (state) {
    case PrinterState::PaperOut:
        return QStringLiteral("打印机缺纸");
    case PrinterState::CoverOpen:
        return QStringLiteral("打印机盖未关");
    case PrinterState::Offline:
        return QStringLiteral("打印机离线");
    case PrinterState::Ready:
    case PrinterState::Unanswered:
        break;
    }
    return {};
}

QString describe(const Link &link) {
    switch (link.kind) {
    case LinkKind::Network:
        return QStringLiteral("网络打印机 %1:%2").arg(link.host.trimmed()).arg(link.port);
    case LinkKind::Serial:
        return QStringLiteral("串口打印机 ") + link.path;
    case LinkKind::Device:
        break;
    }
    return QStringLiteral("USB打印机 ") + link.path;
}

bool send(const Link &link, const QByteArray &bytes, QString *error, const Timeouts &timeouts) {
    const QString printer = describe(link);
    QString reason;
    bool readable = true;
    Descriptor fd;
    switch (link.kind) {
    case LinkKind::Device:
        fd.reset(openDevice(link, &readable, &reason));
        break;
    case LinkKind::Serial:
        fd.reset(openSerial(link, &reason));
        break;
    case LinkKind::Network:
        fd.reset(connectTo(link, timeouts.connectMs, &reason));
        break;
    }
    if (fd.get() < 0) {
        if (error) {
            *error = link.kind == LinkKind::Network ? QStringLiteral("无法连接%1：%2。").arg(printer, reason)
                                                    : QStringLiteral("无法打开%1：%2。").arg(printer, reason);
        }
        return false;
    }
    const PipeSignalBlock pipeSignal;
    Writer writer{fd.get(), link.kind == LinkKind::Network, std::max(timeouts.stallMs, 1)};
    if (readable) {
        const PrinterState state = check(writer, timeouts.statusMs);
        if (!stateText(state).isEmpty()) {
            if (error) *error = QStringLiteral("%1：%2，小票没有打印。").arg(printer, stateText(state));
            return false;
        }
        writer.written = 0;
        if (!writer.reason.isEmpty()) {
            if (error) *error = QStringLiteral("向%1发送小票失败：%2。").arg(printer, writer.reason);
            return false;
        }
    }
    if (writer.put(bytes.constData(), bytes.size())) {
        // The end said at once, as printing backends do: a printer acknowledges the close straight
        // away, where the last data alone may wait for its delayed acknowledgement.
        if (writer.socket) ::shutdown(fd.get(), SHUT_WR);
        if (writer.drain()) return true;
    }
    if (error) {
        *error = QStringLiteral("向%1发送小票失败：%2（已送出 %3/%4 字节），小票没有打印完整。")
                     .arg(printer, writer.reason)
                     .arg(writer.written)
                     .arg(bytes.size());
    }
    return false;
}

QStringList usbPrinters(const QString &folder) {
    const QDir dir(folder);
    QStringList names =
        dir.entryList({QStringLiteral("lp*")}, QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    QStringList paths;
    for (const QString &name : names)
        paths.append(dir.filePath(name));
    return paths;
}

} // namespace escpos
