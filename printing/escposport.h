#pragma once
// Opening the three kinds of printer link as plain descriptors (the device file, the serial line
// set to 8N1 raw, the network connection with its time-out), and the waits and Chinese reasons that
// the sending shares with them.
#include "printing/escposlink.h"

#include <QDeadlineTimer>
#include <QString>
#include <unistd.h>
#include <utility>

namespace escpos::port {

class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    void reset(int fd) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

  private:
    int m_fd;
};

// A FIFO whose reader went away raises SIGPIPE, which would end the program: blocked in this thread
// while writing, and a pending one taken away before it is unblocked.
// The reason for an errno, in words for the shop.
QString reasonOf(int error);
int remaining(const QDeadlineTimer &deadline);
// 1 when the descriptor is ready for `events`, 0 after the time-out, -1 on a hang-up or error.
int waitFor(int fd, short events, int ms);
// A socket's pending error, cleared by reading it: read once.
int socketError(int fd);

// Each gives an open, non-blocking descriptor, or -1 with the reason in *reason.
int openDevice(const Link &link, bool *readable, QString *reason);
int openSerial(const Link &link, QString *reason);
int connectTo(const Link &link, int ms, QString *reason);

} // namespace escpos::port
