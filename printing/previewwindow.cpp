#include "printing/previewwindow.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QScreen>

namespace previewwindow {

QSize size(const QRect &available) {
    // Qt's own preview opens at a few hundred pixels with the page at a third of its size.
    constexpr QSize Wanted{1100, 1000};
    if (!available.isValid()) return Wanted;
    const QSize most(available.width() * 9 / 10, available.height() * 9 / 10);
    return Wanted.boundedTo(most);
}

void fitForReading(QPrintPreviewDialog &dialog) {
    const QScreen *screen = dialog.screen();
    dialog.resize(size(screen ? screen->availableGeometry() : QRect()));
    if (auto *preview = dialog.findChild<QPrintPreviewWidget *>()) preview->fitToWidth();
}

} // namespace previewwindow
