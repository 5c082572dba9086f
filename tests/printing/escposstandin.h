#pragma once
// Stand-ins for a roll printer on this machine, for the link tests: a thread that reads what the
// link sends over one end (a TCP connection on 127.0.0.1, a pseudo-terminal's master, a FIFO),
// answers the real-time status queries (DLE EOT n) as scripted, and may hang up after some bytes or
// never read at all.
#include <QByteArray>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

struct StandInScript {
    std::map<int, unsigned char> answers; // DLE EOT n → the status byte; a query not listed is not answered
    qint64 hangUpAfter = -1;              // close its end after this many bytes
    bool neverRead = false;               // takes nothing: the link's writes back up
};

class PrinterStandIn {
  public:
    explicit PrinterStandIn(StandInScript script = {}) : m_script(std::move(script)) {}
    ~PrinterStandIn() { stop(); }
    PrinterStandIn(const PrinterStandIn &) = delete;
    PrinterStandIn &operator=(const PrinterStandIn &) = delete;

    // Serves an open end (taken over; closed when done).
    void serve(int fd) {
        m_thread = std::thread([this, fd] { run(fd); });
    }
    // Listens on 127.0.0.1 (a small receive buffer, so that a hang-up is not hidden behind it) and
    // serves the first connection. The port is known when this returns.
    int listen() {
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int small = 2048;
        ::setsockopt(server, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(server, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::listen(server, 1);
        socklen_t size = sizeof address;
        ::getsockname(server, reinterpret_cast<sockaddr *>(&address), &size);
        m_thread = std::thread([this, server] {
            pollfd entry{server, POLLIN, 0};
            int client = -1;
            while (!m_stop && client < 0)
                if (::poll(&entry, 1, 20) > 0) client = ::accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
            ::close(server);
            if (client >= 0) run(client);
        });
        return ntohs(address.sin_port);
    }
    void stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }
    // Everything received, status queries included.
    QByteArray received() {
        const std::lock_guard lock(m_mutex);
        return m_received;
    }
    // What came after the status queries at the start: the receipt.
    QByteArray receipt() {
        QByteArray data = received();
        while (data.size() >= 3 && data.at(0) == 0x10 && data.at(1) == 0x04)
            data.remove(0, 3);
        return data;
    }
    int queries() {
        const QByteArray data = received();
        int count = 0;
        for (qsizetype i = 0; i + 2 < data.size() && data.at(i) == 0x10 && data.at(i + 1) == 0x04; i += 3)
            ++count;
        return count;
    }
    // Waits (bounded) until `bytes` arrived or the stand-in hung up.
    bool waitFor(qint64 bytes) {
        for (int i = 0; i < 500; ++i) {
            if (received().size() >= bytes || m_hungUp) return received().size() >= bytes;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

  private:
    void run(int fd) {
        qint64 scanned = 0;
        char buffer[4096];
        while (!m_stop) {
            if (m_script.neverRead) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            pollfd entry{fd, POLLIN, 0};
            if (::poll(&entry, 1, 20) <= 0) continue;
            qint64 want = sizeof buffer;
            if (m_script.hangUpAfter >= 0)
                want = std::min<qint64>(want, m_script.hangUpAfter - received().size());
            const ssize_t got = want > 0 ? ::read(fd, buffer, want) : 0;
            if (got <= 0) { // no writer on the FIFO yet or any more, the terminal's other end closed
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            QByteArray data;
            {
                const std::lock_guard lock(m_mutex);
                m_received.append(buffer, got);
                data = m_received;
            }
            for (; scanned + 2 < data.size(); ++scanned) {
                if (data.at(scanned) != 0x10 || data.at(scanned + 1) != 0x04) continue;
                const auto answer = m_script.answers.find(data.at(scanned + 2));
                if (answer != m_script.answers.end()) (void)!::write(fd, &answer->second, 1);
                scanned += 2;
            }
            if (m_script.hangUpAfter >= 0 && data.size() >= m_script.hangUpAfter) {
                m_hungUp = true;
                break;
            }
        }
        ::close(fd);
    }

    StandInScript m_script;
    std::thread m_thread;
    std::atomic<bool> m_stop{false}, m_hungUp{false};
    std::mutex m_mutex;
    QByteArray m_received;
};
