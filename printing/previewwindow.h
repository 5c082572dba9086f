#pragma once
// Print previews open large enough to read a page: most of the screen, the page fitted to the width.
#include <QRect>
#include <QSize>

class QPrintPreviewDialog;

namespace previewwindow {

// Most of the free room of the screen (a whole A4 page at a readable size on a common screen).
QSize size(const QRect &available);
// Sizes the dialog for its screen and shows the page as wide as the window.
void fitForReading(QPrintPreviewDialog &dialog);

} // namespace previewwindow
