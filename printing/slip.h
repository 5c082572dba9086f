#pragma once
// The sales slip (销售单): the A4 delivery note of one ticket as a small banded report. The title band
// on the first page, the customer bands, the column header at the top of every page, a detail band
// per sales record, the summary with the total in figures and in capitals, the slogans (only when the
// first is set) and the signatures. Positions are in millimetres from the band's edges.
#include <QDate>
#include <QString>
#include <optional>
#include <vector>

class Dataset;
class QPrinter;
struct PrintTexts;

namespace slip {

struct Row {
    QString name, model, code;       // a, b, c
    QString quantity, price, amount; // 3, 2, 4, as the values' texts
    QString remark;                  // j
};

struct Content {
    QString title;   // dan1
    QString contact; // dan2
    QString saleNumber;
    // A customer value that is NULL leaves its whole line empty, caption included.
    std::optional<QString> customer, address, phone; // g, h, i of the first row
    QString date;
    std::vector<Row> rows;
    QString total;   // the sum of the amounts, general format
    QString capital; // the total in capitals
    QString slogan1; // dan3: the slogan band is printed only when it is not empty
    QString slogan2; // dan4
    QString maker;   // the user who logged in
};

// The slip of the listed sales records. `total` is the list's sum of amounts as it shows it; the
// capital text is left to the caller (it may have to report a bad total).
Content fill(const Dataset &ticket, const PrintTexts &texts, const QString &saleNumber, const QString &total,
             const QString &maker, const QDate &today);

// A4 portrait, margins 15 mm left and right and 10 mm top and bottom.
void setUpPage(QPrinter &printer);
// Paints the slip on the printer (begun here and ended); returns the number of pages, 0 when the
// printer could not be begun.
int render(QPrinter &printer, const Content &content);

} // namespace slip
