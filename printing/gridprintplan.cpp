#include "printing/gridprintplan.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace gridprint {

namespace {
double sumOf(const std::vector<ColumnNeed> &needs, double ColumnNeed::*part) {
    return std::accumulate(needs.begin(), needs.end(), 0.0,
                           [part](double sum, const ColumnNeed &need) { return sum + need.*part; });
}

double stepDown(double points) {
    return std::floor(points / PointStep + 1e-9) * PointStep;
}

// Widths at a size where every column has its natural width, the room left over shared in proportion.
std::vector<double> spread(const std::vector<ColumnNeed> &needs, double width) {
    const double natural = sumOf(needs, &ColumnNeed::natural);
    std::vector<double> widths;
    for (const ColumnNeed &need : needs)
        widths.push_back(natural > 0 ? width * need.natural / natural : width / double(needs.size()));
    return widths;
}
} // namespace

Plan planFor(const std::vector<ColumnNeed> &needs, QPageLayout::Orientation orientation, double width) {
    Plan result;
    result.orientation = orientation;
    if (needs.empty() || width <= 0) return result;
    const double natural = sumOf(needs, &ColumnNeed::natural);
    if (natural * BodyPoints <= width) {
        result.points = BodyPoints;
        result.widths = spread(needs, width);
        return result;
    }
    const double shrunk = stepDown(width / natural);
    if (shrunk >= FloorPoints) {
        result.points = shrunk;
        result.widths = spread(needs, width);
        return result;
    }
    // Even the smallest readable font is too wide: the columns give up what they have beyond their
    // least, each in proportion, and only when that is not enough does the font go on shrinking.
    const double least = sumOf(needs, &ColumnNeed::least);
    result.squeezed = true;
    if (least * FloorPoints <= width) {
        result.points = FloorPoints;
        const double room = width / FloorPoints - least;
        const double excess = natural - least;
        const double share = excess > 0 ? std::clamp(room / excess, 0.0, 1.0) : 0.0;
        for (const ColumnNeed &need : needs)
            result.widths.push_back((need.least + (need.natural - need.least) * share) * FloorPoints);
    } else {
        result.points = least > 0 ? width / least : FloorPoints;
        for (const ColumnNeed &need : needs)
            result.widths.push_back(need.least * result.points);
    }
    // What rounding left over goes to the last column.
    const double used = std::accumulate(result.widths.begin(), result.widths.end(), 0.0);
    result.widths.back() += std::max(width - used, 0.0);
    return result;
}

Plan plan(const std::vector<ColumnNeed> &needs, double portraitWidth, double landscapeWidth) {
    Plan portrait = planFor(needs, QPageLayout::Portrait, portraitWidth);
    if (portrait.points >= BodyPoints && !portrait.squeezed) return portrait;
    return planFor(needs, QPageLayout::Landscape, landscapeWidth);
}

bool isWholeText(QStringView text) {
    bool digit = false;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c >= u'0' && c <= u'9') {
            digit = true;
            continue;
        }
        const bool latin = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
        const bool sign = c == u'.' || c == u'-' || c == u'+' || c == u':' || c == u'/' || c == u'_' ||
                          c == u'#' || c == u',' || c == u'%' || c == u'(' || c == u')';
        if (!latin && !sign) return false;
    }
    return digit;
}

} // namespace gridprint
