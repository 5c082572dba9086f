// The prints of a ticket into PDF files: a POS receipt of 20 lines from its texts (BM_Receipt: the
// lines laid out, the paper set up, drawn) and an A4 slip of 500 rows (BM_Slip: the bands over the
// pages). Each floor (BM_Bare...) is a plain QPainter on the same PDF printer drawing the same texts,
// already made, at the same places, with the same fonts.
#include "printing/printtexts.h"
#include "printing/receipt.h"
#include "printing/slip.h"
#include "printing/songfont.h"

#include <QApplication>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
QTemporaryDir &folder() {
    static QTemporaryDir dir;
    return dir;
}

QString pdfPath(const char *name) {
    return folder().filePath(QString::fromLatin1(name));
}

receipt::Content receiptContent(int lines) {
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
    content.total = QStringLiteral("150");
    content.cash = QStringLiteral("200");
    content.change = QStringLiteral("50");
    return content;
}

void pdfPrinter(QPrinter &printer, const char *name) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath(name));
}

void BM_Receipt(benchmark::State &state) {
    const receipt::Content content = receiptContent(20);
    receipt::setRedirect([](QPrinter &printer) { pdfPrinter(printer, "receipt.pdf"); });
    for (auto _ : state) {
        QString error;
        if (!receipt::print(content, &error)) state.SkipWithError(qPrintable(error));
    }
    receipt::setRedirect({});
}
BENCHMARK(BM_Receipt)->Unit(benchmark::kMillisecond);

void BM_BareReceipt(benchmark::State &state) {
    const auto lines = *receipt::layout(receiptContent(20));
    const QFont title = printing::songFont(10, true);
    const QFont text = printing::songFont(8);
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, "bare-receipt.pdf");
        printer.setResolution(receipt::DotsPerInch);
        printer.setPageSize(QPageSize(QSizeF(210, 250), QPageSize::Millimeter));
        QPainter painter(&printer);
        for (const receipt::TextLine &line : lines) {
            painter.setFont(line.title ? title : text);
            painter.drawText(QPointF(0, line.y + painter.fontMetrics().ascent()), line.text);
        }
    }
}
BENCHMARK(BM_BareReceipt)->Unit(benchmark::kMillisecond);

slip::Content slipContent(int rows) {
    slip::Content content;
    const PrintTexts texts = PrintTexts::defaults();
    content.title = texts.slipTitle;
    content.contact = texts.slipContact;
    content.saleNumber = QStringLiteral("20140812001");
    content.customer = QStringLiteral("王五");
    content.address = QStringLiteral("青岚路8号");
    content.phone = QStringLiteral("13800000000");
    content.date = QStringLiteral("2014-08-12");
    for (int i = 0; i < rows; ++i)
        content.rows.push_back({QStringLiteral("晨光中性笔%1").arg(i), QStringLiteral("0.5黑色"),
                                QStringLiteral("6901234"), QStringLiteral("2"), QStringLiteral("3.75"),
                                QStringLiteral("7.5"), QStringLiteral("送货")});
    content.total = QStringLiteral("3750");
    content.capital = QStringLiteral("叁仟柒佰伍拾元整");
    content.slogan1 = texts.slipSlogan1;
    content.slogan2 = texts.slipSlogan2;
    content.maker = QStringLiteral("张三");
    return content;
}

void BM_Slip(benchmark::State &state) {
    const slip::Content content = slipContent(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, "slip.pdf");
        slip::setUpPage(printer);
        benchmark::DoNotOptimize(slip::render(printer, content));
    }
}
BENCHMARK(BM_Slip)->Arg(500)->Unit(benchmark::kMillisecond);

// The same texts and rules of the detail rows in the same font, one row under the other, a new page
// where the slip starts one.
void BM_BareSlip(benchmark::State &state) {
    const slip::Content content = slipContent(static_cast<int>(state.range(0)));
    const double xs[] = {2.1, 36.8, 77.3, 102, 116.8, 133.8, 150.8};
    const double rules[] = {0, 35.8, 75.7, 101.5, 116.3, 133.3, 150.2, 180.2};
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        pdfPrinter(printer, "bare-slip.pdf");
        slip::setUpPage(printer);
        const double dots = printer.resolution() / 25.4;
        const double pageHeight = printer.pageLayout().paintRect(QPageLayout::Millimeter).height();
        QPainter painter(&printer);
        painter.setFont(printing::songFont(11));
        double y = 14 + 6.1 * 2 + 7.4;
        for (const slip::Row &row : content.rows) {
            if (y + 6.6 > pageHeight) {
                printer.newPage();
                y = 7.4;
            }
            painter.drawLine(QPointF(0, y * dots), QPointF(180.2 * dots, y * dots));
            for (const double x : rules)
                painter.drawLine(QPointF(x * dots, y * dots), QPointF(x * dots, (y + 6.6) * dots));
            const QString cells[] = {row.name,  row.model,  row.code,  row.quantity,
                                     row.price, row.amount, row.remark};
            for (int c = 0; c < 7; ++c)
                painter.drawText(QRectF(xs[c] * dots, y * dots, 30 * dots, 6.6 * dots), Qt::AlignVCenter,
                                 cells[c]);
            y += 6.6;
        }
    }
}
BENCHMARK(BM_BareSlip)->Arg(500)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
