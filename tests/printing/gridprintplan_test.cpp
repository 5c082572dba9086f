// How the grid print fits its columns to the page, without a printer: the orientation, the font size
// and the widths from the columns' measured needs.
#include "printing/gridprintplan.h"

#include <gtest/gtest.h>
#include <numeric>

using gridprint::ColumnNeed;
using gridprint::Plan;

namespace {
// The printable widths of A4 with the grid print's 2 mm margins, in points.
constexpr double Portrait = 595.28 - 2 * 5.67;
constexpr double Landscape = 841.89 - 2 * 5.67;

struct Case {
    const char *what;
    std::vector<ColumnNeed> needs;
    QPageLayout::Orientation orientation;
    double leastPoints, mostPoints;
    bool squeezed;
};

// `count` columns each needing `natural` (a name column may go down to 3.5, a figure column not at all).
std::vector<ColumnNeed> columns(int count, double natural, bool figures) {
    return std::vector<ColumnNeed>(static_cast<std::size_t>(count),
                                   ColumnNeed{natural, figures ? natural : std::min(natural, 3.5)});
}

std::vector<ColumnNeed> concat(std::vector<ColumnNeed> a, const std::vector<ColumnNeed> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
} // namespace

TEST(GridPrintPlan, TurnsThePageThenShrinksTheFontThenSqueezesNamesNeverAFigure) {
    // Natural sums: 4 x 8 = 32 (288 pt at 9 pt fits portrait's 584); 10 x 8 = 80 (720 pt: landscape's
    // 831); 14 x 8 = 112 (7.4 pt); 20 x 8 = 160 (5.2 pt: below the floor, names give way); 30 figure
    // columns of 5 = 150 with nothing to give (5.5 pt, under the floor rather than a cut figure).
    const Case cases[] = {
        {"fits portrait", columns(4, 8, true), QPageLayout::Portrait, 9, 9, false},
        {"needs landscape", columns(10, 8, true), QPageLayout::Landscape, 9, 9, false},
        {"needs a smaller font", columns(14, 8, true), QPageLayout::Landscape, 6, 7.5, false},
        {"names squeezed at the floor", concat(columns(10, 8, true), columns(10, 8, false)),
         QPageLayout::Landscape, 6, 6, true},
        {"figures alone, under the floor", columns(30, 5, true), QPageLayout::Landscape, 5, 5.6, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const Plan plan = gridprint::plan(c.needs, Portrait, Landscape);
        EXPECT_EQ(plan.orientation, c.orientation);
        EXPECT_GE(plan.points, c.leastPoints);
        EXPECT_LE(plan.points, c.mostPoints);
        EXPECT_EQ(plan.squeezed, c.squeezed);
        ASSERT_EQ(plan.widths.size(), c.needs.size());
        const double page = plan.orientation == QPageLayout::Portrait ? Portrait : Landscape;
        EXPECT_NEAR(std::accumulate(plan.widths.begin(), plan.widths.end(), 0.0), page, 0.01)
            << "the grid fills the page width, no more";
        for (std::size_t i = 0; i < c.needs.size(); ++i) {
            // Nothing is narrower than its least; unless squeezed, nothing narrower than its text.
            EXPECT_GE(plan.widths[i] + 1e-9, c.needs[i].least * plan.points) << "column " << i;
            if (!plan.squeezed) {
                EXPECT_GE(plan.widths[i] + 1e-9, c.needs[i].natural * plan.points) << "column " << i;
            }
        }
    }
}

TEST(GridPrintPlan, ALongFigureKeepsItsWidthWhenNamesBesideItGiveWay) {
    // One wide figure column and many names: at the floor the names shrink towards their least, the
    // figure column keeps its whole width.
    std::vector<ColumnNeed> needs = columns(16, 10, false);
    needs.push_back({12, 12});
    const Plan plan = gridprint::plan(needs, Portrait, Landscape);
    ASSERT_TRUE(plan.squeezed);
    EXPECT_EQ(plan.points, gridprint::FloorPoints);
    EXPECT_GE(plan.widths.back() + 1e-9, 12 * plan.points);
    EXPECT_LT(plan.widths.front(), 10 * plan.points) << "the names gave the room";
}

TEST(GridPrintPlan, AFixedPageKeepsItsOrientationAndFitsTheFont) {
    const Plan plan = gridprint::planFor(columns(10, 8, true), QPageLayout::Portrait, Portrait);
    EXPECT_EQ(plan.orientation, QPageLayout::Portrait);
    EXPECT_LT(plan.points, 9);
    EXPECT_GE(plan.points, 7);
    EXPECT_DOUBLE_EQ(plan.points / gridprint::PointStep, std::floor(plan.points / gridprint::PointStep));
}

TEST(GridPrintPlan, FiguresDatesCodesAndPhonesAreWholeTextsNamesAreNot) {
    const std::pair<const char *, bool> cases[] = {
        {"1121975.15", true},
        {"-99999999.99", true},
        {"72532.2", true},
        {"2026-12-01", true},
        {"6902847102971", true},
        {"13800000000", true},
        {"0571-8888888", true},
        {"A5", true},
        {"14:30:00", true},
        {"商品1", false},
        {"ThinkPad X1", false},
        {"合计", false},
        {"", false},
        {"ABC", false},
        {"本月", false},
        {"-", false},
    };
    for (const auto &[text, whole] : cases)
        EXPECT_EQ(gridprint::isWholeText(QString::fromUtf8(text)), whole) << text;
}
