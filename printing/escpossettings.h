#pragma once
// How receipts reach the printer: through the system printer (as a picture) or as raw ESC/POS bytes
// over a USB device file, the network or a serial line, with the paper width, the cut, the drawer
// and the copies; kept in the settings store under escpos_* names.
#include "printing/escposlink.h"
#include "printing/escposreceipt.h"

#include <QString>
#include <array>

class SettingsStore;

struct EscposSettings {
    enum class Kind { System, Device, Network, Serial };
    static constexpr std::array<int, 4> Bauds = {9600, 19200, 38400, 115200};

    Kind kind = Kind::System;
    QString device = QStringLiteral("/dev/usb/lp0");
    QString host;
    int port = 9100;
    QString serialDevice = QStringLiteral("/dev/ttyS0");
    int baud = 9600;
    escpos::Paper paper = escpos::Paper::Mm58;
    bool cut = true;
    int drawerPin = 2;             // 2 or 5
    bool drawerOnCashSale = false; // pulse the drawer with the receipt of a sale paid in cash
    int copies = 1;                // 1 to 3

    // The link of a raw kind (the System kind has none: it is sent to the device file).
    escpos::Link link() const;
    // The receipt's options; the drawer is pulsed only when `openDrawer` and the setting asks for it.
    escpos::Options options(bool openDrawer) const;

    bool operator==(const EscposSettings &) const = default;
};

namespace escpossettings {

// What is wrong with the settings, in Chinese for the user; empty when they can be saved. Only the
// fields of the chosen kind must be filled in.
QString problem(const EscposSettings &settings);
// The stored settings; a value that is absent or not one of the allowed ones reads as its default.
EscposSettings load(const SettingsStore &store);
// Writes every value. Settings with a problem are refused whole (nothing written), with the problem
// in *error; a value the store cannot write stops it there, with the reason.
bool save(SettingsStore &store, const EscposSettings &settings, QString *error = nullptr);

} // namespace escpossettings
