// Sending receipts to stand-ins for the three kinds of printer link on this machine: a FIFO, a plain
// file or a pseudo-terminal for /dev/usb/lp0, a listener on 127.0.0.1 for port 9100, a
// pseudo-terminal for the serial line. The status check, the time-outs and every failure's message.
#include "printing/escposlink.h"
#include "printing/escposreceipt.h"
#include "tests/printing/escposstandin.h"
#include "tests/printing/receiptcontent.h"
#include "tests/support/typing.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <termios.h>

namespace {
using escpos::Link;

// Short enough for a quick test, long enough for a busy machine to answer.
const escpos::Timeouts Quick{1000, 300, 400};

QByteArray fortyLineReceipt() {
    receipt::Content content = ordinaryReceipt();
    for (int i = 1; i <= 40; ++i)
        content.lines.push_back({u("商品%1号笔记本A5").arg(i), QString::number(i), QString::number(i * 1.5)});
    content.total = content.cash = u("1230");
    content.change = u("0");
    return *escpos::receiptBytes(content, {escpos::Paper::Mm80, true, 2, 1});
}

// More than any kernel buffer between the link and the stand-in holds.
QByteArray hugePayload() {
    return fortyLineReceipt().repeated(8 * 1024 * 1024 / fortyLineReceipt().size());
}

enum class StandInKind { Fifo, NetworkPort, SerialLine, UsbTerminal };

const char *nameOf(StandInKind kind) {
    switch (kind) {
    case StandInKind::Fifo:
        return "FIFO for /dev/usb/lp0";
    case StandInKind::NetworkPort:
        return "listener on 127.0.0.1";
    case StandInKind::SerialLine:
        return "pseudo-terminal as the serial line";
    case StandInKind::UsbTerminal:
        return "pseudo-terminal as /dev/usb/lp0 (reads back)";
    }
    return "";
}

class EscposLinkTest : public ::testing::Test {
  protected:
    // The link to a stand-in of the kind, the stand-in serving its end.
    Link standIn(StandInKind kind, PrinterStandIn &printer) {
        switch (kind) {
        case StandInKind::Fifo: {
            const QString path = m_dir.filePath(QStringLiteral("lp0"));
            EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            printer.serve(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
            return Link::device(path);
        }
        case StandInKind::NetworkPort: {
            return Link::network(QStringLiteral("127.0.0.1"), printer.listen());
        }
        case StandInKind::SerialLine:
            return Link::serial(terminal(printer, false), 19200);
        case StandInKind::UsbTerminal:
            return Link::device(terminal(printer, true));
        }
        return {};
    }

    // A pseudo-terminal whose master the stand-in serves. A USB printer is no terminal: its stand-in's
    // line is made raw here (the serial link does that itself), and kept open so that it stays so.
    QString terminal(PrinterStandIn &printer, bool raw) {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        EXPECT_GE(master, 0);
        EXPECT_EQ(::grantpt(master), 0);
        EXPECT_EQ(::unlockpt(master), 0);
        const QString path = QString::fromLocal8Bit(::ptsname(master));
        if (raw) {
            m_slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
            termios settings{};
            ::tcgetattr(m_slave, &settings);
            ::cfmakeraw(&settings);
            ::tcsetattr(m_slave, TCSANOW, &settings);
        }
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        printer.serve(master);
        return path;
    }

    void TearDown() override {
        if (m_slave >= 0) ::close(m_slave);
    }

    QTemporaryDir m_dir;
    int m_slave = -1;
};

TEST_F(EscposLinkTest, EveryByteReachesAReadyPrinterOverEachKind) {
    const QByteArray bytes = fortyLineReceipt();
    const StandInScript ready{{{1, 0x12}, {2, 0x12}, {4, 0x12}}};
    for (const StandInKind kind :
         {StandInKind::Fifo, StandInKind::NetworkPort, StandInKind::SerialLine, StandInKind::UsbTerminal}) {
        SCOPED_TRACE(nameOf(kind));
        PrinterStandIn printer(ready);
        const Link link = standIn(kind, printer);
        QString error;
        EXPECT_TRUE(escpos::send(link, bytes, &error, Quick)) << error.toStdString();
        EXPECT_TRUE(printer.waitFor(bytes.size()));
        printer.stop();
        EXPECT_EQ(printer.receipt().toHex(), bytes.toHex());
        // A FIFO does not read back: nothing asked; the others asked printer and paper status.
        EXPECT_EQ(printer.queries(), kind == StandInKind::Fifo ? 0 : 2);
    }
    // A plain file: written after what it held, never created.
    const QString file = m_dir.filePath(QStringLiteral("printer.out"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("kept\n");
    out.close();
    QString error;
    EXPECT_TRUE(escpos::send(Link::device(file), bytes, &error, Quick)) << error.toStdString();
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), "kept\n" + bytes);
}

TEST_F(EscposLinkTest, AStoppedPrinterIsReportedAndGetsNoReceipt) {
    const struct {
        const char *label;
        StandInScript script;
        const char *message;
    } states[] = {
        // Offline with the paper gone: the offline cause and the sensor agree.
        {"paper out", {{{1, 0x1A}, {2, 0x32}, {4, 0x72}}}, "打印机缺纸"},
        // Still online, but the sensor at the roll's end sees no paper.
        {"paper sensor alone", {{{1, 0x12}, {4, 0x72}}}, "打印机缺纸"},
        {"cover open", {{{1, 0x1A}, {2, 0x16}, {4, 0x12}}}, "打印机盖未关"},
        {"offline", {{{1, 0x1A}, {2, 0x12}, {4, 0x12}}}, "打印机离线"},
    };
    for (const auto &state : states) {
        for (const StandInKind kind :
             {StandInKind::NetworkPort, StandInKind::SerialLine, StandInKind::UsbTerminal}) {
            SCOPED_TRACE(std::string(state.label) + ", " + nameOf(kind));
            PrinterStandIn printer(state.script);
            const Link link = standIn(kind, printer);
            QString error;
            EXPECT_FALSE(escpos::send(link, fortyLineReceipt(), &error, Quick));
            EXPECT_EQ(error, escpos::describe(link) + u("：") + u(state.message) + u("，小票没有打印。"));
            printer.stop();
            EXPECT_TRUE(printer.receipt().isEmpty()) << printer.receipt().size() << " bytes sent";
            if (kind == StandInKind::UsbTerminal && m_slave >= 0) {
                ::close(m_slave);
                m_slave = -1;
            }
        }
    }
}

TEST_F(EscposLinkTest, APrinterThatNeverAnswersIsPrintedToAfterTheTimeOut) {
    const QByteArray bytes = fortyLineReceipt();
    for (const StandInKind kind :
         {StandInKind::NetworkPort, StandInKind::SerialLine, StandInKind::UsbTerminal}) {
        SCOPED_TRACE(nameOf(kind));
        PrinterStandIn printer;
        const Link link = standIn(kind, printer);
        QString error;
        EXPECT_TRUE(escpos::send(link, bytes, &error, Quick)) << error.toStdString();
        EXPECT_TRUE(printer.waitFor(bytes.size() + 3));
        printer.stop();
        EXPECT_EQ(printer.queries(), 1) << "asked again after no answer";
        EXPECT_EQ(printer.receipt().toHex(), bytes.toHex());
        if (m_slave >= 0) {
            ::close(m_slave);
            m_slave = -1;
        }
    }
}

TEST_F(EscposLinkTest, APrinterThatHangsUpHalfWayIsAFailure) {
    const QByteArray bytes = hugePayload();
    for (const StandInKind kind : {StandInKind::Fifo, StandInKind::NetworkPort, StandInKind::SerialLine}) {
        SCOPED_TRACE(nameOf(kind));
        StandInScript script;
        script.hangUpAfter = 1000;
        PrinterStandIn printer(script);
        const Link link = standIn(kind, printer);
        QString error;
        EXPECT_FALSE(escpos::send(link, bytes, &error, Quick));
        EXPECT_TRUE(error.startsWith(u("向") + escpos::describe(link) + u("发送小票失败：")))
            << error.toStdString();
        EXPECT_TRUE(error.endsWith(u("小票没有打印完整。"))) << error.toStdString();
        EXPECT_FALSE(error.contains(u("没有接收数据")))
            << "a hang-up taken for a time-out: " << error.toStdString();
    }
}

// Three copies fit into the socket's send buffer at once: only waiting until the printer has taken
// them shows that it went away with most of them.
TEST_F(EscposLinkTest, AHangUpAfterTheLastWriteIsStillAFailure) {
    receipt::Content content = ordinaryReceipt();
    for (int i = 1; i <= 40; ++i)
        content.lines.push_back({u("商品%1号").arg(i), u("1"), u("2")});
    content.total = content.cash = u("80");
    content.change = u("0");
    const QByteArray bytes = *escpos::receiptBytes(content, {escpos::Paper::Mm80, true, 0, 3});
    ASSERT_LT(bytes.size(), 16384);
    StandInScript script;
    script.answers = {{1, 0x12}, {4, 0x12}};
    script.hangUpAfter = 100;
    PrinterStandIn printer(script);
    const Link link = standIn(StandInKind::NetworkPort, printer);
    QString error;
    EXPECT_FALSE(escpos::send(link, bytes, &error, Quick));
    EXPECT_EQ(error.toStdString(),
              u("向%1发送小票失败：连接被打印机关闭（已送出 %2/%2 字节），小票没有打印完整。")
                  .arg(escpos::describe(link))
                  .arg(bytes.size())
                  .toStdString());
}

TEST_F(EscposLinkTest, APrinterThatTakesNothingTimesOut) {
    const QByteArray bytes = hugePayload();
    for (const StandInKind kind : {StandInKind::Fifo, StandInKind::NetworkPort, StandInKind::SerialLine}) {
        SCOPED_TRACE(nameOf(kind));
        StandInScript script;
        script.neverRead = true;
        PrinterStandIn printer(script);
        const Link link = standIn(kind, printer);
        QString error;
        EXPECT_FALSE(escpos::send(link, bytes, &error, Quick));
        EXPECT_TRUE(error.contains(escpos::describe(link))) << error.toStdString();
        EXPECT_TRUE(error.contains(u("打印机1秒内没有接收数据"))) << error.toStdString();
        EXPECT_TRUE(error.contains(u("/%1 字节").arg(bytes.size()))) << error.toStdString();
    }
}

TEST_F(EscposLinkTest, WhatCannotBeOpenedIsNamedWithItsReason) {
    const QString fifo = m_dir.filePath(QStringLiteral("lp1"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString plain = m_dir.filePath(QStringLiteral("plain"));
    QFile(plain).open(QIODevice::WriteOnly);
    const QString missing = m_dir.filePath(QStringLiteral("usb/lp9"));

    // A port nobody listens on: bound, then let go.
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr *>(&address), &size);
    const int closedPort = ntohs(address.sin_port);
    ::close(probe);

    PrinterStandIn terminalPrinter;
    const QString terminalPath = terminal(terminalPrinter, false);

    const struct {
        Link link;
        QString message;
    } cases[] = {
        {Link::device(missing),
         u("无法打开USB打印机 %1：设备不存在（打印机没有接上或没有开机）。").arg(missing)},
        {Link::device(fifo), u("无法打开USB打印机 %1：设备没有连接。").arg(fifo)},
        {Link::device(m_dir.path()),
         u("无法打开USB打印机 %1：这是一个文件夹，不是打印机。").arg(m_dir.path())},
        {Link::serial(plain), u("无法打开串口打印机 %1：不是串口。").arg(plain)},
        {Link::serial(terminalPath, 1200),
         u("无法打开串口打印机 %1：不支持波特率 1200（可选 9600、19200、38400、115200）。")
             .arg(terminalPath)},
        {Link::network(u("127.0.0.1"), closedPort),
         u("无法连接网络打印机 127.0.0.1:%1：连接被拒绝（地址或端口不对，或打印机没有开机）。")
             .arg(closedPort)},
        {Link::network(u("127.0.0.1"), 0), u("无法连接网络打印机 127.0.0.1:0：地址或端口不对。")},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_FALSE(escpos::send(c.link, "x", &error, Quick));
        EXPECT_EQ(error, c.message);
    }
}

// A listener whose queue of connections waiting to be accepted is full drops further attempts.
TEST_F(EscposLinkTest, APrinterThatDoesNotAcceptTheConnectionTimesOut) {
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(server, 0), 0);
    socklen_t size = sizeof address;
    ::getsockname(server, reinterpret_cast<sockaddr *>(&address), &size);
    std::vector<int> waiting;
    for (int i = 0; i < 3; ++i) {
        waiting.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        ::connect(waiting.back(), reinterpret_cast<sockaddr *>(&address), sizeof address);
    }
    const Link link = Link::network(QStringLiteral("127.0.0.1"), ntohs(address.sin_port));
    QString error;
    EXPECT_FALSE(escpos::send(link, "x", &error, Quick));
    EXPECT_EQ(error, u("无法连接网络打印机 127.0.0.1:%1：连接超时。").arg(link.port));
    for (const int fd : waiting)
        ::close(fd);
    ::close(server);
}

TEST_F(EscposLinkTest, ADeviceThisUserMayNotWriteIsSaidSo) {
    const QString path = m_dir.filePath(QStringLiteral("lp0"));
    QFile(path).open(QIODevice::WriteOnly);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    // Root may write anything: the check runs as nobody for the while.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    QString error;
    const bool sent = escpos::send(Link::device(path), "x", &error, Quick);
    if (root) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    EXPECT_FALSE(sent);
    EXPECT_EQ(error,
              u("无法打开USB打印机 %1：没有权限（请把当前用户加入 lp 组，串口为 dialout 组）。").arg(path));
}

TEST(EscposUsbPrinters, ListsTheDeviceFilesInNumberOrder) {
    QTemporaryDir dir;
    for (const char *name : {"lp10", "lp1", "lp0", "lp2", "hiddev0"})
        QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly);
    EXPECT_EQ(escpos::usbPrinters(dir.path()),
              (QStringList{dir.filePath(u("lp0")), dir.filePath(u("lp1")), dir.filePath(u("lp2")),
                           dir.filePath(u("lp10"))}));
    EXPECT_TRUE(escpos::usbPrinters(dir.filePath(u("none"))).isEmpty());
}

TEST(EscposStatus, DecodesTheRealTimeStatusBytes) {
    using escpos::PrinterState;
    const struct {
        std::optional<uchar> printer, cause, paper;
        PrinterState state;
    } cases[] = {
        {0x12, std::nullopt, 0x12, PrinterState::Ready},
        {0x16, std::nullopt, 0x12, PrinterState::Ready}, // the drawer's pin 3 high: no matter
        {0x12, std::nullopt, 0x1E, PrinterState::Ready}, // paper near its end: still printing
        {0x12, std::nullopt, 0x72, PrinterState::PaperOut},
        {0x1A, 0x32, std::nullopt, PrinterState::PaperOut},
        {0x1A, 0x16, 0x12, PrinterState::CoverOpen},
        {0x1A, 0x36, 0x12, PrinterState::PaperOut}, // both: paper first, the cover is shut by it
        {0x1A, 0x12, 0x12, PrinterState::Offline},
        {0x1A, std::nullopt, std::nullopt, PrinterState::Offline},
        {std::nullopt, 0x16, 0x72, PrinterState::Unanswered},
        {0x11, std::nullopt, std::nullopt, PrinterState::Unanswered}, // XON, not a status byte
        {0x10, std::nullopt, std::nullopt, PrinterState::Unanswered}, // our own query echoed
        {0x12, std::nullopt, 0x73, PrinterState::Ready}, // a paper byte that is none: not believed
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.printer.value_or(0)) << " " << int(c.cause.value_or(0))
                                        << " " << int(c.paper.value_or(0)));
        EXPECT_EQ(escpos::decodeStatus(c.printer, c.cause, c.paper), c.state);
    }
}
} // namespace
