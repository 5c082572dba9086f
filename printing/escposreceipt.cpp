#include "printing/escposreceipt.h"

#include "printing/escpostext.h"
#include "store/numbers.h"

#include <algorithm>

namespace escpos {

namespace {
constexpr char ESC = 0x1B, GS = 0x1D, FS = 0x1C, LF = 0x0A;

QByteArray command(std::initializer_list<int> bytes) {
    QByteArray out;
    for (const int byte : bytes)
        out += static_cast<char>(byte);
    return out;
}

QByteArray centred(bool on) {
    return command({ESC, 'a', on ? 1 : 0});
}

QByteArray size(bool doubled) {
    return command({GS, '!', doubled ? 0x11 : 0x00});
}

// The receipt written line by line into the columns of one paper width.
class Page {
  public:
    explicit Page(int columns) : m_columns(columns) {}
    QByteArray bytes;

    void raw(const QByteArray &commands) { bytes += commands; }
    void line(const QByteArray &encoded) { bytes += encoded + LF; }
    // A text over as many lines as it needs; `columns` of a double-size text are half the paper's.
    void text(const QString &text, int columns = 0) {
        for (const QByteArray &piece : wrap(encode(text), columns > 0 ? columns : m_columns))
            line(piece);
    }
    void separator() { line(QByteArray(m_columns, '-')); }
    // The label at the left and the figure at the right edge; a figure that does not fit beside the
    // label goes whole onto the lines below it.
    void labelled(const QString &label, const QString &figure) {
        const QByteArray left = encode(label);
        const QByteArray right = encode(figure);
        if (left.size() + 1 + right.size() <= m_columns) {
            line(left + alignRight(right, m_columns - left.size()));
            return;
        }
        line(left);
        rightAligned(right);
    }
    void rightAligned(const QByteArray &encoded) {
        for (const QByteArray &piece : wrap(encoded, m_columns))
            line(alignRight(piece, m_columns));
    }
    int columns() const { return m_columns; }

  private:
    int m_columns;
};

// The goods columns of one ticket: the quantity and the amount right aligned in the widths of the
// widest, the name in what is left. A name that does not fit has the lines above its figures.
class GoodsColumns {
  public:
    GoodsColumns(const std::vector<receipt::Line> &lines, int columns) : m_columns(columns) {
        m_quantity = static_cast<int>(encode(Quantity()).size());
        m_amount = static_cast<int>(encode(Amount()).size());
        for (const receipt::Line &line : lines) {
            m_quantity = std::max(m_quantity, static_cast<int>(encode(line.quantity).size()));
            m_amount = std::max(m_amount, static_cast<int>(encode(line.amount).size()));
        }
        m_together = m_quantity + 1 + m_amount <= m_columns;
        m_name = m_together ? m_columns - m_quantity - m_amount - 2 : 0;
    }
    static QString Quantity() { return QStringLiteral("数量"); }
    static QString Amount() { return QStringLiteral("金额"); }

    void write(Page &page, const QString &name, const QString &quantity, const QString &amount) const {
        const QByteArray encodedName = encode(name.trimmed());
        const QByteArray q = encode(quantity.trimmed());
        const QByteArray a = encode(amount.trimmed());
        if (!m_together) { // figures too wide for one line: each on its own, none cut
            for (const QByteArray &piece : wrap(encodedName, m_columns))
                page.line(piece);
            page.rightAligned(q);
            page.rightAligned(a);
            return;
        }
        const QByteArray figures = alignRight(q, m_quantity) + ' ' + alignRight(a, m_amount);
        if (encodedName.size() <= m_name) {
            page.line(alignLeft(encodedName, m_columns - figures.size()) + figures);
            return;
        }
        for (const QByteArray &piece : wrap(encodedName, m_columns))
            page.line(piece);
        page.line(alignRight(figures, m_columns));
    }

  private:
    int m_columns, m_quantity = 0, m_amount = 0, m_name = 0;
    bool m_together = true;
};

// CODE128, code set B, for a sale number of printable ASCII. Modules: start, the characters, check
// and stop (11 each, stop 13) and a quiet zone of ten on each side; the widest module of three or
// two dots that keeps it on the paper. Nothing when even two dots are too wide (the number is
// printed as text above) or the number holds other characters.
QByteArray barcode(const QString &saleNumber, int dots) {
    const QString number = saleNumber.trimmed();
    if (number.isEmpty()) return {};
    QByteArray data = "{B";
    for (const QChar ch : number) {
        if (ch.unicode() < 0x20 || ch.unicode() > 0x7E) return {};
        data += static_cast<char>(ch.unicode());
        if (ch == QLatin1Char('{')) data += '{';
    }
    if (data.size() > 255) return {};
    const int modules = 11 * static_cast<int>(number.size()) + 35 + 20;
    int width = 3;
    while (width >= 2 && modules * width > dots)
        --width;
    if (width < 2) return {};
    return centred(true) + command({GS, 'h', 80, GS, 'w', width, GS, 'H', 2, GS, 'k', 73}) +
           static_cast<char>(data.size()) + data + LF + centred(false);
}

QByteArray finish(const Options &options) {
    if (options.cut) return command({GS, 'V', 66, 24});
    return command({ESC, 'd', 4});
}

void title(Page &page, const QString &text) {
    if (text.trimmed().isEmpty()) return;
    page.raw(centred(true) + size(true));
    page.text(text.trimmed(), page.columns() / 2);
    page.raw(size(false) + centred(false));
}

void centredText(Page &page, const QString &text) {
    if (text.trimmed().isEmpty()) return;
    page.raw(centred(true));
    page.text(text.trimmed());
    page.raw(centred(false));
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

int columnsOf(Paper paper) {
    return paper == Paper::Mm80 ? 48 : 32;
}

int dotsOf(Paper paper) {
    return paper == Paper::Mm80 ? 576 : 384;
}

QByteArray start() {
    return command({ESC, '@', FS, '&'});
}

QByteArray drawerPulse(int pin) {
    if (pin != 2 && pin != 5) return {};
    // On 25 × 2 ms, off 250 × 2 ms: long enough for every drawer's solenoid, short enough to spare it.
    return command({ESC, 'p', pin == 2 ? 0 : 1, 25, 250});
}

std::optional<QByteArray> receiptBytes(const receipt::Content &content, const Options &options,
                                       QString *error) {
    const auto cash = twoDecimals(content.cash, "现金", error);
    if (!cash) return std::nullopt;
    const auto change = twoDecimals(content.change, "找零", error);
    if (!change) return std::nullopt;

    Page page(columnsOf(options.paper));
    title(page, content.title);
    page.separator();
    page.text(QStringLiteral("销售单号：") + content.saleNumber.trimmed());
    page.text(QStringLiteral("收银员：") + content.cashier);
    page.text(QStringLiteral("打印时间：") +
              content.printedAt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    page.separator();
    const GoodsColumns goods(content.lines, page.columns());
    goods.write(page, QStringLiteral("商品名称"), GoodsColumns::Quantity(), GoodsColumns::Amount());
    for (const receipt::Line &line : content.lines)
        goods.write(page, line.name, line.quantity, line.amount);
    page.separator();
    page.labelled(QStringLiteral("合计："), content.total.trimmed() + QStringLiteral("元"));
    page.labelled(QStringLiteral("现金："), *cash + QStringLiteral("元"));
    page.labelled(QStringLiteral("找零："), *change + QStringLiteral("元"));
    page.separator();
    centredText(page, content.slogan1);
    centredText(page, content.slogan2);
    page.separator();
    centredText(page, content.closing);
    page.raw(barcode(content.saleNumber, dotsOf(options.paper)));
    page.raw(finish(options));

    QByteArray bytes = start() + drawerPulse(options.drawerPin);
    const int copies = std::clamp(options.copies, 1, 3);
    bytes.reserve(bytes.size() + copies * page.bytes.size());
    for (int copy = 0; copy < copies; ++copy)
        bytes += page.bytes;
    return bytes;
}

QByteArray testReceiptBytes(const QString &shopName, const QDateTime &now, const Options &options) {
    Page page(columnsOf(options.paper));
    title(page, shopName.trimmed().isEmpty() ? QStringLiteral("打印测试") : shopName);
    centredText(page, QStringLiteral("打印测试"));
    page.separator();
    page.text(QStringLiteral("纸宽%1毫米，每行%2列")
                  .arg(options.paper == Paper::Mm80 ? 80 : 58)
                  .arg(page.columns()));
    for (const int width : {32, 48}) {
        page.text(QStringLiteral("%1列：").arg(width));
        QByteArray ruler;
        for (int i = 1; i <= width; ++i)
            ruler += static_cast<char>('0' + i % 10);
        page.line(ruler); // the 48 columns run over a 58 mm roll on purpose
    }
    page.text(QStringLiteral("中文打印正常：进销存小票"));
    page.raw(size(true));
    page.text(QStringLiteral("中文大字"), page.columns() / 2);
    page.raw(size(false));
    page.text(QStringLiteral("时间：") + now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    page.raw(finish(options));
    return start() + page.bytes;
}

} // namespace escpos
