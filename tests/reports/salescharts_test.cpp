// The chart queries and the charts tab: one bar per month or day with the sums of profit or amount,
// returns lowering them, drop-down texts as typed, the other chart left alone.
#include "reports/barchart.h"
#include "reports/salescharts.h"
#include "reports/saleschartstab.h"
#include "tests/reports/reportsfixture.h"
#include "tests/support/testenv.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFontMetricsF>
#include <QGraphicsTextItem>
#include <QLineSeries>
#include <QPushButton>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QTest>
#include <QValueAxis>
#include <cmath>
#include <gtest/gtest.h>

namespace {
void sale(Database &db, const char *date, double profit, double amount) {
    Record r;
    r.date = QString::fromLatin1(date);
    r.profit = profit;
    r.amount = amount;
    r.quantity = amount < 0 ? -1 : 1;
    insertRecord(db, r);
}

std::vector<std::pair<int, double>> pairs(const salescharts::Result &result) {
    std::vector<std::pair<int, double>> out;
    for (const auto &point : result.points)
        out.emplace_back(point.x, point.total);
    return out;
}

using Pairs = std::vector<std::pair<int, double>>;
using salescharts::Measure;
} // namespace

TEST(SalesCharts, ASaleAndAReturnOnOneDayGiveOneBarOfTheirSum) {
    TestEnv env;
    Database &db = env.database();
    sale(db, "2014-05-03", 12, 40);
    sale(db, "2014-05-03", -4, -15);
    sale(db, "2014-05-20", 7, 30);
    sale(db, "2014-06-01", 100, 300);
    sale(db, "2013-05-03", 50, 50);

    EXPECT_EQ(pairs(salescharts::daily(db, QStringLiteral("2014"), QStringLiteral("5"), Measure::Profit)),
              (Pairs{{3, 8}, {20, 7}}));
    EXPECT_EQ(pairs(salescharts::daily(db, QStringLiteral("2014"), QStringLiteral("5"), Measure::Amount)),
              (Pairs{{3, 25}, {20, 30}}));
    EXPECT_EQ(pairs(salescharts::monthly(db, QStringLiteral("2014"), Measure::Profit)),
              (Pairs{{5, 15}, {6, 100}}));
    EXPECT_EQ(pairs(salescharts::monthly(db, QStringLiteral("2014"), Measure::Amount)),
              (Pairs{{5, 55}, {6, 300}}));
}

TEST(SalesCharts, TextsAreTakenAsNumbersAndTextsThatAreNoneSelectNothing) {
    TestEnv env;
    Database &db = env.database();
    sale(db, "2014-08-03", 5, 10);
    sale(db, "2014-12-31", 6, 10);
    // "8" and "08" both mean August; December's range ends with the year.
    EXPECT_EQ(
        salescharts::daily(db, QStringLiteral("2014"), QStringLiteral("8"), Measure::Profit).points.size(),
        1u);
    EXPECT_EQ(
        salescharts::daily(db, QStringLiteral("2014"), QStringLiteral("08"), Measure::Profit).points.size(),
        1u);
    EXPECT_EQ(
        salescharts::daily(db, QStringLiteral("2014"), QStringLiteral("12"), Measure::Profit).points.size(),
        1u);
    for (const char *text : {"", "abc", "13", "2014'"}) {
        const auto result =
            salescharts::daily(db, QStringLiteral("2014"), QString::fromLatin1(text), Measure::Profit);
        EXPECT_TRUE(result.ok) << text;
        EXPECT_TRUE(result.points.empty()) << text;
    }
    EXPECT_TRUE(salescharts::monthly(db, QStringLiteral("2015"), Measure::Profit).points.empty());
    EXPECT_TRUE(salescharts::monthly(db, QString(), Measure::Profit).points.empty());
}

TEST(SalesChartsTab, EachButtonRedrawsItsOwnChartOneBarPerRow) {
    TestEnv env;
    Database &db = env.database();
    sale(db, "2014-05-03", 12, 40);
    sale(db, "2014-05-03", -4, -15);
    sale(db, "2014-07-10", 3, 9);
    SalesChartsTab tab(db);
    tab.setCurrentDate(QDate(2014, 5, 20));
    tab.drawMonthly(Measure::Profit);
    tab.drawDaily(Measure::Profit);
    ASSERT_EQ(tab.dailyPoints().size(), 1u);
    EXPECT_DOUBLE_EQ(tab.dailyPoints()[0].total, 8);
    EXPECT_EQ(tab.monthlyPoints().size(), 2u);

    // The bars: one area per row, standing at its X value from 0 to its height.
    const auto bars = tab.dailyChart()->chart()->series();
    int areas = 0;
    for (QAbstractSeries *series : bars) {
        auto *area = qobject_cast<QAreaSeries *>(series);
        if (!area) continue;
        ++areas;
        const auto top = area->upperSeries()->points();
        ASSERT_EQ(top.size(), 2);
        EXPECT_LT(top[0].x(), 3);
        EXPECT_GT(top[1].x(), 3);
        EXPECT_DOUBLE_EQ(top[0].y(), 8);
    }
    EXPECT_EQ(areas, 1);
    EXPECT_FALSE(tab.dailyChart()->chart()->legend()->isVisible());

    const auto monthlyBefore = tab.monthlyPoints();
    tab.findChild<QPushButton *>(QStringLiteral("Button14"))->click();
    EXPECT_DOUBLE_EQ(tab.dailyPoints()[0].total, 25) << "the amount replaces the profit";
    EXPECT_EQ(tab.monthlyPoints().size(), monthlyBefore.size()) << "the other chart is not touched";
    EXPECT_DOUBLE_EQ(tab.monthlyPoints()[0].total, 8);

    tab.monthlyYear()->setEditText(QStringLiteral("2013"));
    tab.findChild<QPushButton *>(QStringLiteral("Button13"))->click();
    EXPECT_TRUE(tab.monthlyPoints().empty());
}

TEST(SalesChartsTab, ValueMarksWriteTheFiguresOutAndTakeTurnsOnLinesWhenTheyDoNotFitSideBySide) {
    TestEnv env;
    Database &db = env.database();
    sale(db, "2014-05-03", 1834170.5, 6834170.25);
    sale(db, "2014-05-04", 216744, 1000);
    sale(db, "2014-05-05", -12.125, -30);
    sale(db, "2014-05-06", 7, 8);
    sale(db, "2014-06-01", 0.1, 0.2);
    SalesChartsTab tab(db);
    tab.setCurrentDate(QDate(2014, 5, 20));
    tab.drawMonthly(Measure::Amount);
    tab.drawDaily(Measure::Profit);

    // Each mark's text and how far above its bar it stands.
    const auto marksOf = [](QChartView *view) {
        std::vector<std::pair<QString, double>> marks;
        std::vector<double> tops;
        for (QAbstractSeries *series : view->chart()->series()) {
            if (auto *area = qobject_cast<QAreaSeries *>(series))
                tops.push_back(area->upperSeries()->at(0).y());
            if (auto *mark = qobject_cast<QScatterSeries *>(series))
                marks.emplace_back(mark->pointLabelsFormat(), mark->at(0).y() - tops.back());
        }
        return marks;
    };
    const auto monthly = marksOf(tab.monthlyChart());
    ASSERT_EQ(monthly.size(), 2u);
    EXPECT_EQ(monthly[0].first, QStringLiteral("6,835,148.25"));
    EXPECT_EQ(monthly[1].first, QStringLiteral("0.2"));

    // Four days side by side: wide marks on three lines, the fourth back on the first.
    const auto daily = marksOf(tab.dailyChart());
    ASSERT_EQ(daily.size(), 4u);
    EXPECT_EQ(daily[0].first, QStringLiteral("1,834,170.5"));
    EXPECT_EQ(daily[1].first, QStringLiteral("216,744"));
    EXPECT_EQ(daily[2].first, QStringLiteral("-12.125"));
    EXPECT_EQ(daily[3].first, QStringLiteral("7"));
    EXPECT_EQ(daily[0].second, 0);
    EXPECT_GT(daily[1].second, 0);
    EXPECT_DOUBLE_EQ(daily[2].second, 2 * daily[1].second);
    EXPECT_EQ(daily[3].second, 0);
}

TEST(BarChart, MarksOnOneLineStandAtLeastTheirWidthApartAndTheRaisedOnesFitAboveTheBars) {
    const QFontMetricsF metrics(QFont(QStringLiteral("Arial"), 8));
    struct Case {
        const char *what;
        int axisMaximum;
        int count;
        double figure;
        double width;
        int levels;
    } cases[] = {
        {"31 days of six-figure profits", 32, 31, 227905.9, 740, 3},
        {"12 months of seven-figure amounts, wide", 12, 12, 6818587.2, 1400, 1},
        {"12 months of seven-figure amounts, narrow", 12, 12, 6818587.2, 500, 2},
        {"days of one-digit figures", 32, 5, 7, 740, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<salescharts::Point> points;
        std::vector<QString> texts;
        for (int i = 1; i <= c.count; ++i) {
            points.push_back({i, c.figure});
            texts.push_back(barchart::valueMark(c.figure));
        }
        const QSizeF plot(c.width, 150);
        const auto layout = barchart::markLayout(points, texts, metrics, plot, c.axisMaximum, 0, c.figure);
        EXPECT_EQ(layout.levels, c.levels);
        const double pixelsApart = c.width / c.axisMaximum * layout.levels;
        EXPECT_GE(pixelsApart, metrics.horizontalAdvance(texts[0]));
        // The highest line, a label's height above it included, is inside the value range.
        const double top = c.figure * (1 + layout.topMargin);
        const double pixelsPerValue = plot.height() / top;
        EXPECT_LE((c.figure + (layout.levels - 1) * layout.step) * pixelsPerValue + metrics.height(),
                  plot.height() + 1);
        EXPECT_GE(layout.step * pixelsPerValue, metrics.height());
    }
}

namespace {
// What a chart shows now, read from its axes and from the texts standing on its scene.
struct Shown {
    QStringList names;     // the category axis' names, in order
    QStringList nameTexts; // the texts below the plot
    bool namesOverlap = false;
    QStringList valueTexts; // the texts left of the plot
    double low = 0, high = 0, step = 0;
    bool cut = false; // a label cut to "…"
};

Shown shownBy(QChartView *view) {
    QTest::qWait(20); // the chart lays itself out on the event loop
    Shown shown;
    QChart *chart = view->chart();
    auto *names = qobject_cast<QCategoryAxis *>(chart->axes(Qt::Horizontal).value(0));
    auto *values = qobject_cast<QValueAxis *>(chart->axes(Qt::Vertical).value(0));
    if (!names || !values) return shown;
    shown.names = names->categoriesLabels();
    shown.low = values->min();
    shown.high = values->max();
    shown.step = (values->max() - values->min()) / (values->tickCount() - 1);
    shown.cut = names->labelsTruncated() || values->labelsTruncated();
    const QRectF plot = chart->mapRectToScene(chart->plotArea());
    QList<QRectF> nameInk;
    for (QGraphicsItem *item : view->scene()->items(Qt::AscendingOrder)) {
        auto *text = dynamic_cast<QGraphicsTextItem *>(item);
        if (!text || !text->isVisible() || text->toPlainText().isEmpty()) continue;
        const QRectF at = text->sceneBoundingRect();
        if (at.top() >= plot.bottom() - 1) {
            shown.nameTexts << text->toPlainText();
            // The ink of the text, not its margins.
            const QRectF ink = text->mapRectToScene(QRectF(text->boundingRect()).adjusted(3, 3, -3, -3));
            for (const QRectF &other : std::as_const(nameInk))
                shown.namesOverlap = shown.namesOverlap || ink.intersects(other);
            nameInk << ink;
        } else if (at.right() <= plot.left() + 1) {
            shown.valueTexts << text->toPlainText();
        }
    }
    return shown;
}

// Lists are compared as one text so that a difference reads plainly.
std::string namesUpTo(int count, const char *unit) {
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QString::number(i) + QString::fromUtf8(unit);
    return names.join(u' ').toStdString();
}
std::string joined(const QStringList &texts) {
    return texts.join(u' ').toStdString();
}

// Ticks a reader takes in at a glance: 1, 2 or 5 times a power of ten apart, starting on a whole step,
// written with grouped thousands, the highest bar below the top one.
void expectRoundValues(const Shown &shown, double highest) {
    ASSERT_GT(shown.step, 0);
    const double power = std::pow(10.0, std::floor(std::log10(shown.step) + 1e-9));
    const double leading = shown.step / power;
    EXPECT_TRUE(std::abs(leading - 1) < 1e-9 || std::abs(leading - 2) < 1e-9 || std::abs(leading - 5) < 1e-9)
        << shown.step;
    EXPECT_NEAR(shown.low / shown.step, std::round(shown.low / shown.step), 1e-6);
    EXPECT_GE(shown.high, highest);
    static const QRegularExpression grouped(QStringLiteral("^-?\\d{1,3}(,\\d{3})*(\\.\\d+)?$"));
    ASSERT_FALSE(shown.valueTexts.isEmpty());
    for (const QString &text : shown.valueTexts) {
        EXPECT_TRUE(grouped.match(text).hasMatch()) << text.toStdString();
        const double value = QString(text).remove(u',').toDouble();
        EXPECT_NEAR(value / shown.step, std::round(value / shown.step), 1e-6) << text.toStdString();
    }
    EXPECT_FALSE(shown.cut);
}
} // namespace

// A year, then a month, then another month (and another year): each axis names exactly the months or
// the days of the month drawn, its values step in round grouped numbers, and nothing of the drawing
// before stays on the chart.
TEST(SalesChartsTab, TheAxesShowTheMonthsOrTheDaysDrawnAndRoundValuesAfterEveryRedraw) {
    TestEnv env;
    Database &db = env.database();
    sale(db, "2014-05-03", 9804003.14, 9900000);
    sale(db, "2014-05-31", 216744, 300000);
    sale(db, "2014-02-05", 12, 30);
    sale(db, "2016-02-29", 2.5, 7);
    SalesChartsTab tab(db);
    tab.resize(1000, 700);
    tab.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tab));
    tab.setCurrentDate(QDate(2014, 5, 20));

    tab.drawMonthly(Measure::Profit);
    Shown monthly = shownBy(tab.monthlyChart());
    EXPECT_EQ(joined(monthly.names), namesUpTo(12, "月"));
    EXPECT_EQ(joined(monthly.nameTexts), namesUpTo(12, "月"));
    expectRoundValues(monthly, 9804003.14 + 216744);

    struct Step {
        const char *year, *month;
        int days;
        double highest;
    } steps[] = {
        {"2014", "5", 31, 9804003.14}, {"2014", "2", 28, 12}, {"2016", "2", 29, 2.5}, {"2014", "4", 30, 0}};
    for (const Step &step : steps) {
        SCOPED_TRACE(std::string(step.year) + "-" + step.month);
        tab.dailyYear()->setEditText(QString::fromLatin1(step.year));
        tab.dailyMonth()->setEditText(QString::fromLatin1(step.month));
        tab.drawDaily(Measure::Profit);
        const Shown daily = shownBy(tab.dailyChart());
        EXPECT_EQ(joined(daily.names), namesUpTo(step.days, "日"));
        EXPECT_EQ(joined(daily.nameTexts), namesUpTo(step.days, "日"));
        EXPECT_FALSE(daily.namesOverlap);
        expectRoundValues(daily, step.highest);
        if (step.highest < 1000) {
            EXPECT_FALSE(daily.valueTexts.join(u' ').contains(u',')) << "a value label of an earlier month";
        }
    }

    tab.monthlyYear()->setEditText(QStringLiteral("2013"));
    tab.drawMonthly(Measure::Amount);
    monthly = shownBy(tab.monthlyChart());
    EXPECT_EQ(joined(monthly.nameTexts), namesUpTo(12, "月"));
    expectRoundValues(monthly, 0);
    EXPECT_FALSE(monthly.valueTexts.join(u' ').contains(u',')) << "a value label of the earlier year";
}

// In a narrow window the 31 days' names stand upright rather than being cut, left out or run together.
TEST(SalesChartsTab, CrowdedDayNamesAreAllShownWhole) {
    TestEnv env;
    SalesChartsTab tab(env.database());
    tab.resize(640, 600);
    tab.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tab));
    tab.dailyYear()->setEditText(QStringLiteral("2014"));
    tab.dailyMonth()->setEditText(QStringLiteral("8"));
    tab.drawDaily(Measure::Profit);
    const Shown daily = shownBy(tab.dailyChart());
    EXPECT_EQ(joined(daily.nameTexts), namesUpTo(31, "日"));
    EXPECT_FALSE(daily.cut);
    EXPECT_FALSE(daily.namesOverlap);
}
