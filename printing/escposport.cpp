#include "printing/escposport.h"

#include <QFile>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>

namespace escpos::port {

namespace {
bool setSpeed(termios &settings, int baud) {
    speed_t speed = 0;
    switch (baud) {
    case 9600:
        speed = B9600;
        break;
    case 19200:
        speed = B19200;
        break;
    case 38400:
        speed = B38400;
        break;
    case 115200:
        speed = B115200;
        break;
    default:
        return false;
    }
    return cfsetispeed(&settings, speed) == 0 && cfsetospeed(&settings, speed) == 0;
}

} // namespace

QString reasonOf(int error) {
    switch (error) {
    case ENOENT:
        return QStringLiteral("设备不存在（打印机没有接上或没有开机）");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有权限（请把当前用户加入 lp 组，串口为 dialout 组）");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("设备没有连接");
    case EBUSY:
        return QStringLiteral("设备正被其他程序使用");
    case EISDIR:
        return QStringLiteral("这是一个文件夹，不是打印机");
    case ENOTTY:
        return QStringLiteral("不是串口");
    case ECONNREFUSED:
        return QStringLiteral("连接被拒绝（地址或端口不对，或打印机没有开机）");
    case EHOSTUNREACH:
    case ENETUNREACH:
        return QStringLiteral("网络不通");
    case ETIMEDOUT:
        return QStringLiteral("连接超时");
    case EPIPE:
    case ECONNRESET:
    case ECONNABORTED:
        return QStringLiteral("连接被打印机关闭");
    case EIO:
        return QStringLiteral("输入输出错误（打印机可能已断开）");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

int remaining(const QDeadlineTimer &deadline) {
    return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
}

int waitFor(int fd, short events, int ms) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, ms);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return ready;
        if (entry.revents & events) return 1;
        return -1;
    }
}

int socketError(int fd) {
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return errno;
    return error;
}

// 8 data bits, no parity, one stop bit, no flow control, bytes passed as they are.
int openSerial(const Link &link, QString *reason) {
    const QByteArray path = QFile::encodeName(link.path);
    Descriptor fd(::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        *reason = reasonOf(errno);
        return -1;
    }
    termios settings{};
    if (::tcgetattr(fd.get(), &settings) != 0) {
        *reason = reasonOf(errno);
        return -1;
    }
    cfmakeraw(&settings);
    settings.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS | CSIZE);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (!setSpeed(settings, link.baud)) {
        *reason = QStringLiteral("不支持波特率 %1（可选 9600、19200、38400、115200）").arg(link.baud);
        return -1;
    }
    if (::tcsetattr(fd.get(), TCSANOW, &settings) != 0) {
        *reason = reasonOf(errno);
        return -1;
    }
    ::tcflush(fd.get(), TCIFLUSH);
    return fd.release();
}

// A character device (a USB printer) is opened for reading too where it allows, to ask its status;
// a FIFO or a plain file only for writing. Never created: a missing printer is reported.
int openDevice(const Link &link, bool *readable, QString *reason) {
    const QByteArray path = QFile::encodeName(link.path);
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        *reason = reasonOf(errno);
        return -1;
    }
    if (S_ISDIR(info.st_mode)) {
        *reason = reasonOf(EISDIR);
        return -1;
    }
    constexpr int Flags = O_NOCTTY | O_NONBLOCK | O_CLOEXEC | O_APPEND;
    *readable = false;
    if (S_ISCHR(info.st_mode)) {
        const int fd = ::open(path.constData(), O_RDWR | Flags);
        if (fd >= 0) {
            *readable = true;
            return fd;
        }
    }
    const int fd = ::open(path.constData(), O_WRONLY | Flags);
    if (fd < 0) *reason = reasonOf(errno);
    return fd;
}

int connectTo(const Link &link, int ms, QString *reason) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const QByteArray host = link.host.trimmed().toUtf8();
    const QByteArray port = QByteArray::number(link.port);
    if (host.isEmpty() || link.port < 1 || link.port > 65535) {
        *reason = QStringLiteral("地址或端口不对");
        return -1;
    }
    if (const int failed = ::getaddrinfo(host.constData(), port.constData(), &hints, &found); failed != 0) {
        *reason = QStringLiteral("找不到这个地址（%1）").arg(QString::fromLocal8Bit(gai_strerror(failed)));
        return -1;
    }
    int error = ETIMEDOUT;
    QDeadlineTimer deadline(ms);
    for (addrinfo *address = found; address; address = address->ai_next) {
        Descriptor fd(::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                               address->ai_protocol));
        if (fd.get() < 0) {
            error = errno;
            continue;
        }
        if (::connect(fd.get(), address->ai_addr, address->ai_addrlen) != 0) {
            if (errno != EINPROGRESS) {
                error = errno;
                continue;
            }
            const int ready = waitFor(fd.get(), POLLOUT, remaining(deadline));
            if (ready == 0) {
                error = ETIMEDOUT;
                break;
            }
            if (const int failed = socketError(fd.get()); failed != 0) {
                error = failed;
                continue;
            }
        }
        // Status queries are three bytes each: not held back waiting for the last one's ACK.
        const int noDelay = 1;
        ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
        ::freeaddrinfo(found);
        return fd.release();
    }
    ::freeaddrinfo(found);
    *reason = reasonOf(error);
    return -1;
}
} // namespace escpos::port
