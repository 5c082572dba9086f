#pragma once
// How the grid print fits a list to the page: each column as wide as the widest text it prints, the
// page turned and the font made smaller when they do not fit, and names squeezed (wrapped) only when
// even the smallest readable font is too wide. A figure, a date or a code is never made narrower
// than it is. Plain arithmetic on measured widths, so that it is checked without a printer.
#include <QPageLayout>
#include <QStringView>
#include <vector>

namespace gridprint {

// The font of the cells as the list is printed when it fits, and the smallest still read with ease.
constexpr double BodyPoints = 9.0;
constexpr double FloorPoints = 6.0;
// Font sizes go down in these steps, so that one list always prints at the same size.
constexpr double PointStep = 0.25;

// How wide a printed column must be, in page points per point of font size (a text 27 pt wide in a
// 9 pt font needs 3), the cell's padding included.
struct ColumnNeed {
    double natural = 0; // its widest text and title on one line each
    double least = 0;   // what may never be cut: its widest figure, date or code; for names a few characters
};

struct Plan {
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    double points = BodyPoints;
    std::vector<double> widths; // page points, filling the page width
    // Some names or titles are narrower than their text and wrap.
    bool squeezed = false;
};

// The plan on a page of the given orientation and printable width (points).
Plan planFor(const std::vector<ColumnNeed> &needs, QPageLayout::Orientation orientation, double width);
// Portrait when the columns fit it at the body size, otherwise the landscape page.
Plan plan(const std::vector<ColumnNeed> &needs, double portraitWidth, double landscapeWidth);

// A figure, a date, a time, a code or a phone number: one token of digits with Latin letters and
// signs, that loses its meaning when cut. Names, addresses and remarks are not.
bool isWholeText(QStringView text);

} // namespace gridprint
