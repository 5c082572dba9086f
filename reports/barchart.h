#pragma once
// Draws result rows as bars on a chart whose bottom axis names the months (1月…12月) or the days of one
// month (1日…its last day): one bar per row above its name, its value marked above it. The value axis
// steps in round numbers written with grouped thousands.
#include "reports/salescharts.h"

#include <QColor>
#include <QSizeF>
#include <QString>
#include <vector>

class QChart;
class QFontMetricsF;

namespace barchart {

struct Style {
    QString title;
    QString unit;             // after each axis label: "月", "日"
    QColor colour;            // of the bars
    double widthPercent = 15; // of the room each bar has
};

// Sets the fixed look: title, no legend, no grid lines, gradient background, the axes.
void prepare(QChart &chart, const Style &style);
// Replaces the bars with one per point, over the names 1 to `count` (12 months, or the days of the
// month shown); the axes keep nothing of an earlier drawing.
void draw(QChart &chart, const Style &style, int count, const std::vector<salescharts::Point> &points);
// How an axis label reads ("#,##0.###" and the unit).
QString axisLabel(double value, const QString &unit);
// How the value mark above a bar reads ("#,##0.###").
QString valueMark(double value);
// The label format of the value axis for ticks this far apart: as many decimals as the step needs.
QString valueAxisFormat(double step);

// Where the value marks stand. Marks too wide to stand side by side take turns on up to
// MaxMarkLevels lines above their bars (the first bar's on the lowest, the next one a line higher...),
// and the chart leaves room above its highest bar for them. `span` is how many X units the plot is wide.
constexpr int MaxMarkLevels = 3;
struct MarkLayout {
    int levels = 1;
    double topMargin = 0.12; // of the bars' range, above the highest one
    double step = 0;         // one line, in the chart's values
};
MarkLayout markLayout(const std::vector<salescharts::Point> &points, const std::vector<QString> &texts,
                      const QFontMetricsF &metrics, QSizeF plot, int span, double low, double high);

} // namespace barchart
