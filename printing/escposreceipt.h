#pragma once
// The POS receipt as the raw command bytes of a roll printer that speaks ESC/POS in its Chinese
// mode: the same content the system printer path prints (receipt::Content), laid out in the columns
// of a 58 mm or 80 mm roll, with the sale number as a CODE128 bar code, the cut and the drawer pulse.
#include "printing/receipt.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

namespace escpos {

enum class Paper { Mm58, Mm80 };
// 58 mm: 32 columns of 12-dot characters on 384 dots; 80 mm: 48 on 576.
int columnsOf(Paper paper);
int dotsOf(Paper paper);

struct Options {
    Paper paper = Paper::Mm58;
    bool cut = true;   // feed and cut after each copy; otherwise feed far enough to tear off
    int drawerPin = 0; // 2 or 5: pulse the drawer on that pin of the kick connector; 0: no pulse
    int copies = 1;    // the whole receipt this many times (1 to 3)
};

// The printer reset and switched into Chinese mode: every receipt starts with this.
QByteArray start();
// ESC p: a 50 ms pulse on the drawer's pin 2 (m = 0) or pin 5 (m = 1); nothing for another pin.
QByteArray drawerPulse(int pin);

// The bytes of the receipt. Nothing when the cash or the change is not a number (the message of the
// system path in *error), as the printed one would not be either.
std::optional<QByteArray> receiptBytes(const receipt::Content &content, const Options &options,
                                       QString *error = nullptr);

// A page that shows whether printer, paper width and Chinese work: the shop's name in double size,
// a ruler of 32 and one of 48 columns (the second breaks on a 58 mm roll), Chinese in both sizes and
// the time. Cut as set, once, without the drawer.
QByteArray testReceiptBytes(const QString &shopName, const QDateTime &now, const Options &options);

} // namespace escpos
