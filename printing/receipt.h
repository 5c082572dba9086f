#pragma once
// The POS receipt of one ticket: plain text lines at fixed heights on a 250 mm page of the default
// printer (a narrow roll), one page and one print job per receipt. The heights are a roll printer's
// dots (203 per inch); every line starts at the left edge with the top of its text at its height.
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class Dataset;
class QPrinter;

namespace receipt {

inline constexpr int DotsPerInch = 203;
inline constexpr double PaperLengthMm = 250;
inline constexpr auto Separator = "-------------------------------";
// The goods name takes this many bytes of its GBK form (a Chinese character counts two).
inline constexpr int NameBytes = 18;

// One line of the ticket, as its fields' texts.
struct Line {
    QString name;
    QString quantity;
    QString amount;
};

struct Content {
    QString title, slogan1, slogan2, closing; // of the print settings
    QString saleNumber;                       // as the sale number field holds it
    QString cashier;                          // the user who logged in
    QDateTime printedAt;
    std::vector<Line> lines;
    QString total, cash, change; // the ticket view's texts
};

struct TextLine {
    TextLine(int y, QString text, bool title = false, std::optional<Line> goods = std::nullopt)
        : y(y), text(std::move(text)), title(title), goods(std::move(goods)) {}

    int y = 0; // dots from the top of the printable area
    QString text;
    bool title = false; // 10 pt bold; every other line 8 pt
    // A line of the ticket, drawn in columns: its name already cut to the name column.
    std::optional<Line> goods;
};

// The goods name in exactly 18 bytes: a shorter one padded with blanks, a longer one cut after byte
// 18 and followed by one blank. A double-byte character that the cut would split is left out and its
// first byte printed as a blank, so that the columns stay where they are.
QString nameColumn(const QString &name);
// "<name column> <quantity>      <amount>".
QString ticketLine(const Line &line);
// The lines of a listed ticket (fields a, 3 and 4), in the order listed.
std::vector<Line> linesOf(const Dataset &ticket);

// Every text line of the receipt. Nothing when the cash or the change is not a number; *error says
// which.
std::optional<std::vector<TextLine>> layout(const Content &content, QString *error = nullptr);

// The receipt paper: 203 dots per inch, the printer's own paper width, 250 mm long, no margins beyond
// what the printer cannot print on.
void setUpPaper(QPrinter &printer);
// Draws the lines on one page of a printer that is set up and not yet begun. The goods columns stand
// where the font's measured widths put them (the Song face draws some two-byte GBK symbols such as
// "×" half-width, so counting bytes would shift the figures), and a line wider than the printable
// width is drawn in a smaller size until it fits.
bool render(QPrinter &printer, const std::vector<TextLine> &lines, QString *error = nullptr);

// Prints the receipt on the default printer, without a dialog. False with the reason in *error when
// there is no default printer, the texts are wrong or the printer refuses the job.
bool print(const Content &content, QString *error = nullptr);

// Tests send the receipt elsewhere (a PDF file): the printer is handed to `redirect` before the paper
// is set up, in place of choosing the default printer. An empty one restores the default printer.
using Redirect = std::function<void(QPrinter &)>;
void setRedirect(Redirect redirect);

} // namespace receipt
