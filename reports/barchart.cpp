#include "reports/barchart.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QLineSeries>
#include <QLinearGradient>
#include <QLocale>
#include <QScatterSeries>
#include <QFontMetricsF>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace barchart {

namespace {
QFont markFont(const QChart &chart) {
    QFont font = chart.font();
    font.setPointSize(8);
    return font;
}
} // namespace

QString axisLabel(double value, const QString &unit) {
    // "#,##0.###": grouped thousands, up to three decimals without trailing zeros.
    QLocale locale(QLocale::C);
    locale.setNumberOptions(QLocale::DefaultNumberOptions); // the C locale leaves out the commas
    QString text = locale.toString(value, 'f', 3);
    while (text.contains(QLatin1Char('.')) &&
           (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.'))))
        text.chop(1);
    return text + unit;
}

QString valueMark(double value) {
    // Used as the label format of a single point: a figure holds no "@", which would start a value name.
    return axisLabel(value, QString());
}

MarkLayout markLayout(const std::vector<salescharts::Point> &points, const std::vector<QString> &texts,
                      const QFontMetricsF &metrics, QSizeF plot, int axisMaximum, double low, double high) {
    MarkLayout layout;
    double widest = 0;
    for (const QString &text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    double closest = axisMaximum;
    for (std::size_t i = 1; i < points.size(); ++i)
        closest = std::min(closest, double(points[i].x - points[i - 1].x));
    const double apart = plot.width() / axisMaximum * std::max(closest, 1.0); // pixels between two marks
    layout.levels = std::clamp(static_cast<int>(std::ceil((widest + 4) / apart)), 1, MaxMarkLevels);
    // The raised marks need room above the highest bar: the top margin grows with their levels.
    const double lineHeight = metrics.height() + 2;
    const double raised = (layout.levels - 1) * lineHeight;
    layout.topMargin = std::max(0.12, (raised + lineHeight) / std::max(plot.height() - raised - lineHeight, 1.0));
    const double shown = (high - low) * (1 + layout.topMargin + (low < 0 ? layout.topMargin : 0));
    layout.step = lineHeight * shown / plot.height();
    return layout;
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
    // The mark of a bar at the axis' end stands half beyond it.
    QMargins margins = chart.margins();
    margins.setRight(std::max(margins.right(), 45));
    chart.setMargins(margins);

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
    std::vector<QString> texts;
    for (const auto &point : points)
        texts.push_back(valueMark(point.total));
    const QFont font = markFont(chart);
    QSizeF plot = chart.plotArea().size();
    if (plot.width() < 50 || plot.height() < 50) plot = QSizeF(700, 120); // not laid out yet
    const MarkLayout layout = markLayout(points, texts, QFontMetricsF(font), plot, style.axisMaximum, low, high);
    const double margin = (high - low) * layout.topMargin;
    left->setRange(low < 0 ? low - margin : 0, high + margin);

    const double room = static_cast<double>(style.axisMaximum) / std::max<std::size_t>(points.size(), 1);
    const double half = std::min(room * style.widthPercent / 100.0, 0.9) / 2;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const salescharts::Point &point = points[i];
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

        // The value mark: an invisible point whose label, the value written out, stands above the bar.
        auto *mark = new QScatterSeries(&chart);
        mark->append(point.x, point.total + static_cast<double>(i % std::size_t(layout.levels)) * layout.step);
        mark->setMarkerSize(1);
        mark->setColor(Qt::transparent);
        mark->setBorderColor(Qt::transparent);
        mark->setPointLabelsFormat(texts[i]);
        mark->setPointLabelsFont(font);
        mark->setPointLabelsColor(Qt::white);
        mark->setPointLabelsVisible(true);
        mark->setPointLabelsClipping(false);
        chart.addSeries(mark);
        mark->attachAxis(bottom);
        mark->attachAxis(left);
    }
    chart.legend()->hide();
}

} // namespace barchart
