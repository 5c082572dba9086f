#pragma once
// Sending one whole receipt of ESC/POS bytes to a roll printer: a USB printer's device file
// (/dev/usb/lp*), a network printer's raw port (9100) or a serial line (8N1, raw). Where the link
// reads back, the printer's real-time status is asked first, so that a printer without paper, with
// its cover open or offline is reported instead of being sent a receipt it would lose. Blocks for at
// most the time-outs; plain POSIX calls, no event loop needed.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace escpos {

enum class LinkKind { Device, Network, Serial };

struct Link {
    LinkKind kind = LinkKind::Device;
    QString path;    // the device file or the serial line
    QString host;    // a network printer
    int port = 9100; // its raw port
    int baud = 9600; // a serial line: 9600, 19200, 38400 or 115200

    static Link device(const QString &path) { return {LinkKind::Device, path, {}, 9100, 9600}; }
    static Link network(const QString &host, int port = 9100) {
        return {LinkKind::Network, {}, host, port, 9600};
    }
    static Link serial(const QString &path, int baud = 9600) {
        return {LinkKind::Serial, path, {}, 9100, baud};
    }
};

struct Timeouts {
    int connectMs = 3000; // a network printer accepting the connection
    int statusMs = 800;   // the answer to one status query; no answer: printed without the check
    int stallMs = 5000;   // the printer taking no byte at all for this long
};

// What the real-time status bytes say.
enum class PrinterState { Ready, Unanswered, PaperOut, CoverOpen, Offline };
// From DLE EOT 1 (printer: bit 3 offline), DLE EOT 2 (offline cause: bit 2 cover open, bit 5 stopped
// for paper end) and DLE EOT 4 (paper sensor: bits 5 and 6 paper end); a byte that is not a status
// byte (bits 1 and 4 set, 0 and 7 clear) counts as no answer.
PrinterState decodeStatus(std::optional<uchar> printer, std::optional<uchar> offlineCause,
                          std::optional<uchar> paper);
bool isStatusByte(uchar byte);
// "打印机缺纸", "打印机盖未关", "打印机离线"; empty for a printer that may be printed to.
QString stateText(PrinterState state);

// "USB打印机 /dev/usb/lp0", "网络打印机 192.168.1.50:9100", "串口打印机 /dev/ttyS0".
QString describe(const Link &link);

// Sends every byte, or says in *error (Chinese, naming the printer) why not: missing device, no
// permission, refused or lost connection, a printer that stopped taking bytes, a bad status.
bool send(const Link &link, const QByteArray &bytes, QString *error = nullptr, const Timeouts &timeouts = {});

// The USB printers present: <folder>/lp*, in the order of their numbers.
QStringList usbPrinters(const QString &folder = QStringLiteral("/dev/usb"));

} // namespace escpos
