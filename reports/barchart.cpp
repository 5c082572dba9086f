#include "reports/barchart.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QLineSeries>
#include <QLinearGradient>
#include <QLocale>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>

namespace barchart {

QString axisLabel(double value, const QString &unit) {
    // "#,##0.###": grouped thousands, up to three decimals without trailing zeros.
    QLocale locale(QLocale::C);
    QString text = locale.toString(value, 'f', 3);
    while (text.contains(QLatin1Char('.')) &&
           (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.'))))
        text.chop(1);
    return text + unit;
}

void prepare(QChart &chart, const Style &style) {
    chart.setTitle(style.title);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setBold(true);
    chart.setTitleFont(titleFont);
    chart.setTitleBrush(Qt::white);
    chart.legend()->hide();
    QLinearGradient background(0, 0, 0, 1);
    background.setCoordinateMode(QGradient::ObjectBoundingMode);
    background.setColorAt(0, QColor(40, 70, 130));
    background.setColorAt(1, QColor(190, 210, 240));
    chart.setBackgroundBrush(background);

    // The labels of a fixed range are written out, so they carry the unit.
    auto *bottom = new QCategoryAxis(&chart);
    bottom->setRange(0, style.axisMaximum);
    bottom->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const int step = style.axisMaximum > 12 ? 2 : 1;
    for (int value = 0; value <= style.axisMaximum; value += step)
        bottom->append(axisLabel(value, style.unit), value);
    bottom->setGridLineVisible(false);
    bottom->setLabelsBrush(Qt::white);
    auto *left = new QValueAxis(&chart);
    left->setGridLineVisible(false);
    left->setLabelsBrush(Qt::white);
    left->setLabelFormat(QStringLiteral("%.2f"));
    chart.addAxis(bottom, Qt::AlignBottom);
    chart.addAxis(left, Qt::AlignLeft);
    chart.legend()->hide();
}

void draw(QChart &chart, const Style &style, const std::vector<salescharts::Point> &points) {
    chart.removeAllSeries();
    QAbstractAxis *bottom = chart.axes(Qt::Horizontal).value(0);
    auto *left = qobject_cast<QValueAxis *>(chart.axes(Qt::Vertical).value(0));
    if (!bottom || !left) return;

    double low = 0, high = 0;
    for (const auto &point : points) {
        low = std::min(low, point.total);
        high = std::max(high, point.total);
    }
    if (high == low) high = low + 1;
    const double margin = (high - low) * 0.12;
    left->setRange(low < 0 ? low - margin : 0, high + margin);

    const double room = static_cast<double>(style.axisMaximum) / std::max<std::size_t>(points.size(), 1);
    const double half = std::min(room * style.widthPercent / 100.0, 0.9) / 2;
    auto *marks = new QScatterSeries(&chart);
    for (const auto &point : points) {
        auto *top = new QLineSeries(&chart);
        top->append(point.x - half, point.total);
        top->append(point.x + half, point.total);
        auto *base = new QLineSeries(&chart);
        base->append(point.x - half, 0);
        base->append(point.x + half, 0);
        auto *bar = new QAreaSeries(top, base);
        bar->setColor(style.colour);
        bar->setBorderColor(style.colour.darker(140));
        chart.addSeries(bar);
        bar->attachAxis(bottom);
        bar->attachAxis(left);
        marks->append(point.x, point.total);
    }
    // The value marks: invisible points whose labels stand above the bars.
    marks->setMarkerSize(1);
    marks->setColor(Qt::transparent);
    marks->setBorderColor(Qt::transparent);
    marks->setPointLabelsFormat(QStringLiteral("@yPoint"));
    marks->setPointLabelsColor(Qt::white);
    marks->setPointLabelsVisible(true);
    marks->setPointLabelsClipping(false);
    chart.addSeries(marks);
    marks->attachAxis(bottom);
    marks->attachAxis(left);
    chart.legend()->hide();
}

} // namespace barchart
