#pragma once
// The size the sales-detail window opens at: the one the user left it at, or one that shows the list's
// default columns (codes, categories and addresses) whole; never larger than the screen's free room.
#include <QRect>
#include <QSize>
#include <QString>

namespace salesdetailsize {

// Wide and high enough for the default columns with the filters and the slip group beneath.
inline constexpr QSize Default{1400, 820};

// The stored text ("1400x820") as a size; an empty size for anything else.
QSize parse(const QString &stored);
QString text(const QSize &size);

// The remembered size if there is a valid one, else Default; either one within `available`.
QSize initial(const QSize &remembered, const QRect &available);

} // namespace salesdetailsize
