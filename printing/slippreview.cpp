#include "printing/slippreview.h"

#include "printing/capitalamount.h"
#include "printing/previewwindow.h"
#include "widgets/dialogs.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

namespace slip {

namespace {
PreviewRunner &runner() {
    static PreviewRunner instance;
    return instance;
}
} // namespace

void fillCapital(Content &content, QWidget *parent) {
    const capital::Conversion conversion = capital::convert(content.total);
    for (const QString &message : capital::messages(conversion))
        Dialogs::instance().information(parent, message);
    content.capital = conversion.text;
}

void preview(const Content &content, QWidget *parent) {
    QPrintPreviewDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("Tform22"));
    dialog.setWindowTitle(QStringLiteral("销售单预览"));
    QPrinter *printer = dialog.printer();
    printer->setDocName(QStringLiteral("销售单 ") + content.saleNumber.trimmed());
    setUpPage(*printer);
    previewwindow::fitForReading(dialog);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&content](QPrinter *target) { render(*target, content); });
    if (runner())
        runner()(dialog);
    else
        dialog.exec();
}

void setPreviewRunner(PreviewRunner runner) {
    slip::runner() = std::move(runner);
}

} // namespace slip
