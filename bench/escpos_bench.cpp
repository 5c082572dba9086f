// The raw receipt of a 40-line ticket sent to a network printer: a listener on 127.0.0.1 stands in
// for port 9100, answering the status queries as a ready printer does. BM_EscposReceipt renders the
// receipt to ESC/POS bytes and sends them through escpos::send (connect, status check, write, wait
// until the listener has taken every byte); its floor, BM_BareEscposReceipt, writes the same bytes,
// already made, through a plain blocking socket and waits for the listener to close at their end.
// BM_EscposReceiptBytes is the rendering alone.
#include "printing/escposlink.h"
#include "printing/escposreceipt.h"
#include "printing/printtexts.h"

#include <QCoreApplication>
#include <atomic>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {
receipt::Content ticket(int lines) {
    receipt::Content content;
    const PrintTexts texts = PrintTexts::defaults();
    content.title = texts.receiptTitle;
    content.slogan1 = texts.receiptSlogan1;
    content.slogan2 = texts.receiptSlogan2;
    content.closing = texts.receiptClosing;
    content.saleNumber = QStringLiteral("20140812001");
    content.cashier = QStringLiteral("张三");
    content.printedAt = QDateTime(QDate(2014, 8, 12), QTime(10, 30));
    for (int i = 0; i < lines; ++i)
        content.lines.push_back(
            {QStringLiteral("晨光中性笔0.5黑色%1号").arg(i), QStringLiteral("2"), QStringLiteral("7.5")});
    content.total = QStringLiteral("300");
    content.cash = QStringLiteral("300");
    content.change = QStringLiteral("0");
    return content;
}

const escpos::Options Roll{escpos::Paper::Mm80, true, 2, 1};

// A ready printer on 127.0.0.1: takes one connection after the other, reads it to its end and
// answers every DLE EOT n with "all well".
class ReadyPrinter {
  public:
    ReadyPrinter() {
        m_server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_server, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::listen(m_server, 128);
        socklen_t size = sizeof address;
        ::getsockname(m_server, reinterpret_cast<sockaddr *>(&address), &size);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~ReadyPrinter() {
        m_stop = true;
        m_thread.join();
        ::close(m_server);
    }
    int port() const { return m_port; }
    long long received() const { return m_received; }

  private:
    void serve() {
        char buffer[65536];
        while (!m_stop) {
            pollfd entry{m_server, POLLIN, 0};
            if (::poll(&entry, 1, 50) <= 0) continue;
            const int client = ::accept4(m_server, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            ssize_t got;
            while ((got = ::read(client, buffer, sizeof buffer)) > 0) {
                m_received += got;
                for (ssize_t i = 0; i + 2 < got; ++i)
                    if (buffer[i] == 0x10 && buffer[i + 1] == 0x04) {
                        const char ready = 0x12;
                        (void)!::write(client, &ready, 1);
                    }
            }
            ::close(client);
        }
    }

    int m_server = -1, m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<long long> m_received{0};
    std::thread m_thread;
};

ReadyPrinter &printer() {
    static ReadyPrinter instance;
    return instance;
}

void BM_EscposReceiptBytes(benchmark::State &state) {
    const receipt::Content content = ticket(40);
    for (auto _ : state)
        benchmark::DoNotOptimize(escpos::receiptBytes(content, Roll));
}
BENCHMARK(BM_EscposReceiptBytes)->Unit(benchmark::kMicrosecond);

void BM_EscposReceipt(benchmark::State &state) {
    const receipt::Content content = ticket(40);
    const escpos::Link link = escpos::Link::network(QStringLiteral("127.0.0.1"), printer().port());
    for (auto _ : state) {
        QString error;
        const auto bytes = escpos::receiptBytes(content, Roll, &error);
        if (!bytes || !escpos::send(link, *bytes, &error)) state.SkipWithError(qPrintable(error));
    }
    state.SetBytesProcessed(state.iterations() * escpos::receiptBytes(content, Roll)->size());
}
BENCHMARK(BM_EscposReceipt)->Unit(benchmark::kMicrosecond);

void BM_BareEscposReceipt(benchmark::State &state) {
    const QByteArray bytes = *escpos::receiptBytes(ticket(40), Roll);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(printer().port()));
    for (auto _ : state) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            state.SkipWithError("connect");
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::send(fd, bytes.constData() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0) {
                state.SkipWithError("send");
                break;
            }
            done += n;
        }
        // Every byte taken: the printer closes when it has read to the end.
        ::shutdown(fd, SHUT_WR);
        char answer[64];
        while (::read(fd, answer, sizeof answer) > 0) {
        }
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_BareEscposReceipt)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
