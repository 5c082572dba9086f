#include "reports/salesdetailsize.h"

#include <QStringList>
#include <algorithm>

namespace salesdetailsize {

QSize parse(const QString &stored) {
    const QStringList parts = stored.split(QLatin1Char('x'));
    if (parts.size() != 2) return {};
    bool wideOk = false, highOk = false;
    const int width = parts[0].trimmed().toInt(&wideOk);
    const int height = parts[1].trimmed().toInt(&highOk);
    if (!wideOk || !highOk || width <= 0 || height <= 0) return {};
    return {width, height};
}

QString text(const QSize &size) {
    return QString::number(size.width()) + QLatin1Char('x') + QString::number(size.height());
}

QSize initial(const QSize &remembered, const QRect &available) {
    // A size from a smaller window than the list can be used in is as good as none.
    constexpr QSize Least{600, 400};
    QSize size = remembered.isValid() && remembered.width() >= Least.width() &&
                         remembered.height() >= Least.height()
                     ? remembered
                     : Default;
    // Room for the frame and the title bar of the window manager.
    if (available.isValid()) size = size.boundedTo(available.size() - QSize(16, 40));
    return size;
}

} // namespace salesdetailsize
