#pragma once
// Draws result rows as bars on a chart whose bottom axis is numeric with a fixed range (months 0..12,
// days 0..32): one bar per row at its X value, its value marked above it.
#include "reports/salescharts.h"

#include <QColor>
#include <QString>

class QChart;

namespace barchart {

struct Style {
    QString title;
    int axisMaximum = 12;
    QString unit;             // after each axis label: "月", "日"
    QColor colour;            // of the bars
    double widthPercent = 15; // of the room each bar has
};

// Sets the fixed look: title, no legend, no grid lines, gradient background, the axes.
void prepare(QChart &chart, const Style &style);
// Replaces the bars with one per point.
void draw(QChart &chart, const Style &style, const std::vector<salescharts::Point> &points);
// How an axis label reads ("#,##0.###" and the unit).
QString axisLabel(double value, const QString &unit);

} // namespace barchart
