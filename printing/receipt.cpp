#include "printing/receipt.h"

#include "printing/songfont.h"
#include "store/dataset.h"
#include "store/numbers.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringEncoder>

namespace receipt {

namespace {
Redirect &redirect() {
    static Redirect instance;
    return instance;
}

// The bytes a character takes in GBK; a character GBK lacks is printed as one substitute byte.
int gbkBytes(QStringEncoder &gbk, char32_t codePoint) {
    const QString character = QString::fromUcs4(&codePoint, 1);
    if (!gbk.isValid()) return codePoint < 0x80 ? 1 : 2;
    const QByteArray bytes = gbk(character);
    return static_cast<int>(std::max<qsizetype>(bytes.size(), 1));
}

QString separator() {
    return QString::fromLatin1(Separator);
}

// Below this a roll printer's dots no longer make a legible character.
constexpr double SmallestPoints = 4;

// Where the goods columns stand in one font: the quantity after the widest name (nine Chinese
// characters at the least) and a blank, the amount six blanks after the widest quantity.
struct Columns {
    double quantity = 0, amount = 0, right = 0;
};
Columns columnsFor(const QFontMetricsF &metrics, const std::vector<TextLine> &lines) {
    const double blank = metrics.horizontalAdvance(QLatin1Char(' '));
    double name = metrics.horizontalAdvance(QString(NameBytes / 2, QChar(0x4E00)));
    double quantity = 0, amount = 0;
    for (const TextLine &line : lines) {
        if (!line.goods) continue;
        name = std::max(name, metrics.horizontalAdvance(line.goods->name));
        quantity = std::max(quantity, metrics.horizontalAdvance(line.goods->quantity));
        amount = std::max(amount, metrics.horizontalAdvance(line.goods->amount));
    }
    Columns columns;
    columns.quantity = name + blank;
    columns.amount = columns.quantity + quantity + 6 * blank;
    columns.right = columns.amount + amount;
    return columns;
}

// The font made smaller, step by step, until `width` in it fits into `available` device units.
QFont fitted(QFont font, QPaintDevice *device, double available,
             const std::function<double(const QFontMetricsF &)> &width) {
    while (font.pointSizeF() > SmallestPoints && width(QFontMetricsF(font, device)) > available)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    return font;
}

std::optional<QString> twoDecimals(const QString &text, const char *what, QString *error) {
    const auto value = num::parse(text);
    if (!value) {
        if (error) *error = num::notANumberMessage(QString::fromUtf8(what));
        return std::nullopt;
    }
    return num::fixed2(*value);
}
} // namespace

QString nameColumn(const QString &name) {
    QStringEncoder gbk("GBK");
    QString column;
    int taken = 0;
    int total = 0;
    bool full = false;
    for (const char32_t codePoint : name.toUcs4()) {
        const int bytes = gbkBytes(gbk, codePoint);
        total += bytes;
        if (full || taken + bytes > NameBytes) {
            full = true;
            continue;
        }
        column += QString::fromUcs4(&codePoint, 1);
        taken += bytes;
    }
    column += QString(NameBytes - taken, QLatin1Char(' '));
    if (total >= NameBytes) column += QLatin1Char(' ');
    return column;
}

QString ticketLine(const Line &line) {
    return nameColumn(line.name) + QLatin1Char(' ') + line.quantity + QStringLiteral("      ") + line.amount;
}

std::vector<Line> linesOf(const Dataset &ticket) {
    const int name = ticket.fieldIndex(QStringLiteral("a"));
    const int quantity = ticket.fieldIndex(QStringLiteral("3"));
    const int amount = ticket.fieldIndex(QStringLiteral("4"));
    std::vector<Line> lines;
    lines.reserve(ticket.rowCount());
    for (int row = 0; row < ticket.rowCount(); ++row)
        lines.push_back({ticket.text(row, name), ticket.text(row, quantity), ticket.text(row, amount)});
    return lines;
}

std::optional<std::vector<TextLine>> layout(const Content &content, QString *error) {
    const auto cash = twoDecimals(content.cash, "现金", error);
    if (!cash) return std::nullopt;
    const auto change = twoDecimals(content.change, "找零", error);
    if (!change) return std::nullopt;

    std::vector<TextLine> lines{
        {0, QStringLiteral("   ") + content.title, true},
        {40, separator()},
        {60, QStringLiteral("销售单号：") + content.saleNumber},
        {90, QStringLiteral("收银员：") + content.cashier},
        {120, QStringLiteral("打印时间：") + content.printedAt.toString(QStringLiteral("yyyy-MM-dd")) +
                  QLatin1Char(' ') + content.printedAt.toString(QStringLiteral("hh:mm:ss "))},
        {150, separator()},
        {180, QStringLiteral("商品名称         数量     金额 ")},
    };
    int y = 210;
    for (const Line &line : content.lines) {
        lines.push_back(
            {y, ticketLine(line), false, Line{nameColumn(line.name).trimmed(), line.quantity, line.amount}});
        y += 30;
    }
    const std::vector<TextLine> end{
        {y, separator()},
        {y + 30, QStringLiteral("合计:") + content.total + QStringLiteral("元  ")},
        {y + 60,
         QStringLiteral("现金:") + *cash + QStringLiteral("元  找零:") + *change + QStringLiteral("元")},
        {y + 90, separator()},
        {y + 120, content.slogan1},
        {y + 150, content.slogan2},
        {y + 180, separator()},
        {y + 210, QStringLiteral("      ") + content.closing},
        {y + 240, separator()},
    };
    lines.insert(lines.end(), end.begin(), end.end());
    return lines;
}

void setUpPaper(QPrinter &printer) {
    // The driver's resolution means nothing here: the heights are the roll printer's dots.
    printer.setResolution(DotsPerInch);
    const double width = printer.pageLayout().pageSize().size(QPageSize::Millimeter).width();
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageSize(QPageSize(QSizeF(width, PaperLengthMm), QPageSize::Millimeter,
                                  QStringLiteral("POS receipt"), QPageSize::ExactMatch));
    // A narrow roll has no room to spare; the printer keeps the edges it cannot print on.
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

bool render(QPrinter &printer, const std::vector<TextLine> &lines, QString *error) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error) *error = QStringLiteral("打印机“%1”不能打印小票。").arg(printer.printerName());
        return false;
    }
    QPaintDevice *device = painter.device();
    const double available = device->width();
    // All goods lines in one size, so that their columns stand one under the other.
    const QFont goodsFont =
        fitted(printing::songFont(8), device, available,
               [&](const QFontMetricsF &metrics) { return columnsFor(metrics, lines).right; });
    const QFontMetricsF goodsMetrics(goodsFont, device);
    const Columns columns = columnsFor(goodsMetrics, lines);
    for (const TextLine &line : lines) {
        if (line.goods) {
            painter.setFont(goodsFont);
            const double baseline = line.y + goodsMetrics.ascent();
            painter.drawText(QPointF(0, baseline), line.goods->name);
            painter.drawText(QPointF(columns.quantity, baseline), line.goods->quantity);
            painter.drawText(QPointF(columns.amount, baseline), line.goods->amount);
            continue;
        }
        const QFont font =
            fitted(printing::songFont(line.title ? 10 : 8, line.title), device, available,
                   [&](const QFontMetricsF &metrics) { return metrics.horizontalAdvance(line.text); });
        painter.setFont(font);
        // The top of the text at the line's height, not its baseline: the first line stays on the paper.
        painter.drawText(QPointF(0, line.y + QFontMetricsF(font, device).ascent()), line.text);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        if (error) *error = QStringLiteral("打印机“%1”出错，小票没有打印完成。").arg(printer.printerName());
        return false;
    }
    return true;
}

bool print(const Content &content, QString *error) {
    const auto lines = layout(content, error);
    if (!lines) return false;
    QPrinter printer(QPrinter::HighResolution);
    if (redirect()) {
        redirect()(printer);
    } else {
        const QString name = QPrinterInfo::defaultPrinterName();
        if (name.isEmpty()) {
            if (error) *error = QStringLiteral("没有默认打印机，小票没有打印。请先在系统中设置默认打印机。");
            return false;
        }
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(name);
    }
    printer.setDocName(QStringLiteral("POS小票 ") + content.saleNumber.trimmed());
    setUpPaper(printer);
    return render(printer, *lines, error);
}

void setRedirect(Redirect redirect) {
    receipt::redirect() = std::move(redirect);
}

} // namespace receipt
