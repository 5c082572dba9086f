#include "reports/barchart.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QFontMetricsF>
#include <QLineSeries>
#include <QLinearGradient>
#include <QLocale>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace barchart {

namespace {
constexpr int DefaultTicks = 5;

QFont markFont(const QChart &chart) {
    QFont font = chart.font();
    font.setPointSize(8);
    return font;
}

QLocale groupedLocale() {
    // "#,##0.###": grouped thousands with "," and "." whatever the system's language.
    QLocale locale(QLocale::C);
    locale.setNumberOptions(QLocale::DefaultNumberOptions); // the C locale leaves out the commas
    return locale;
}

void setCategories(QCategoryAxis &axis, const QString &unit, int count) {
    // Each name stands under its bar, between the halves; the axis holds these names and no others.
    for (const QString &label : axis.categoriesLabels())
        axis.remove(label);
    axis.setStartValue(0.5);
    for (int value = 1; value <= count; ++value)
        axis.append(axisLabel(value, unit), value + 0.5);
    // Half a name's room free at either end: Qt hides a name whose room touches the end of the axis.
    axis.setRange(0, count + 1);
}

// Names that do not fit side by side under their bars stand upright.
void fitNames(QChart &chart) {
    auto *bottom = qobject_cast<QCategoryAxis *>(chart.axes(Qt::Horizontal).value(0));
    if (!bottom || bottom->count() == 0 || chart.plotArea().width() <= 0) return;
    const QFontMetricsF metrics(bottom->labelsFont());
    double widest = 0;
    for (const QString &label : bottom->categoriesLabels())
        widest = std::max(widest, metrics.horizontalAdvance(label));
    const double room = chart.plotArea().width() / std::max(bottom->max() - bottom->min(), 1.0);
    const int angle = room >= widest + 6 ? 0 : -90;
    if (bottom->labelsAngle() != angle) bottom->setLabelsAngle(angle);
}
} // namespace

QString axisLabel(double value, const QString &unit) {
    // Up to three decimals without trailing zeros.
    QString text = groupedLocale().toString(value, 'f', 3);
    while (text.contains(QLatin1Char('.')) &&
           (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.'))))
        text.chop(1);
    return text + unit;
}

QString valueMark(double value) {
    // Used as the label format of a single point: a figure holds no "@", which would start a value name.
    return axisLabel(value, QString());
}

QString valueAxisFormat(double step) {
    // Round steps are 1, 2 or 5 times a power of ten: that power's decimals write every tick exactly.
    const int decimals =
        step > 0 ? std::clamp(-static_cast<int>(std::floor(std::log10(step) + 1e-9)), 0, 6) : 0;
    return QStringLiteral("%.") + QString::number(decimals) + QLatin1Char('f');
}

MarkLayout markLayout(const std::vector<salescharts::Point> &points, const std::vector<QString> &texts,
                      const QFontMetricsF &metrics, QSizeF plot, int span, double low, double high) {
    MarkLayout layout;
    double widest = 0;
    for (const QString &text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    double closest = span;
    for (std::size_t i = 1; i < points.size(); ++i)
        closest = std::min(closest, double(points[i].x - points[i - 1].x));
    const double apart =
        plot.width() / std::max(span, 1) * std::max(closest, 1.0); // pixels between two marks
    layout.levels = std::clamp(static_cast<int>(std::ceil((widest + 4) / apart)), 1, MaxMarkLevels);
    // The raised marks need room above the highest bar: the top margin grows with their levels.
    const double lineHeight = metrics.height() + 2;
    const double raised = (layout.levels - 1) * lineHeight;
    layout.topMargin =
        std::max(0.12, (raised + lineHeight) / std::max(plot.height() - raised - lineHeight, 1.0));
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

    // The value axis writes its numbers with the grouping of the marks.
    chart.setLocale(groupedLocale());
    chart.setLocalizeNumbers(true);

    auto *bottom = new QCategoryAxis(&chart);
    bottom->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    // Qt would cut a name to "…" when the room beside it is narrower than its padding allows; the names
    // stand upright instead when they are crowded (fitNames), and are never cut.
    bottom->setTruncateLabels(false);
    bottom->setGridLineVisible(false);
    bottom->setLabelsBrush(Qt::white);
    auto *left = new QValueAxis(&chart);
    left->setGridLineVisible(false);
    left->setLabelsBrush(Qt::white);
    chart.addAxis(bottom, Qt::AlignBottom);
    chart.addAxis(left, Qt::AlignLeft);
    chart.legend()->hide();
    // After the layout pass: an angle changed inside it would not make room for the upright names.
    QObject::connect(
        &chart, &QChart::plotAreaChanged, &chart, [&chart] { fitNames(chart); }, Qt::QueuedConnection);
}

void draw(QChart &chart, const Style &style, int count, const std::vector<salescharts::Point> &points) {
    chart.removeAllSeries();
    auto *bottom = qobject_cast<QCategoryAxis *>(chart.axes(Qt::Horizontal).value(0));
    auto *left = qobject_cast<QValueAxis *>(chart.axes(Qt::Vertical).value(0));
    if (!bottom || !left) return;
    setCategories(*bottom, style.unit, count);
    fitNames(chart);

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
    MarkLayout layout = markLayout(points, texts, QFontMetricsF(font), plot, count + 1, low, high);
    const double margin = (high - low) * layout.topMargin;
    const double wanted = high + margin - (low < 0 ? low - margin : 0);
    left->setRange(low < 0 ? low - margin : 0, high + margin);
    // Round ticks: the range grows to whole steps, from the same number of ticks every time (the
    // rounding changes the count), and the raised marks keep their distance in pixels.
    left->setTickCount(DefaultTicks);
    left->applyNiceNumbers();
    left->setLabelFormat(valueAxisFormat((left->max() - left->min()) / std::max(left->tickCount() - 1, 1)));
    layout.step *= (left->max() - left->min()) / wanted;

    const double room = static_cast<double>(count) / std::max<std::size_t>(points.size(), 1);
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
        mark->append(point.x,
                     point.total + static_cast<double>(i % std::size_t(layout.levels)) * layout.step);
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
