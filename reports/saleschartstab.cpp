#include "reports/saleschartstab.h"

#include "reports/barchart.h"
#include "store/database.h"
#include "widgets/dialogs.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {
const barchart::Style monthlyStyle{QStringLiteral("月销售报表统计"), QStringLiteral("月"), QColor(Qt::yellow),
                                   15};
const barchart::Style dailyStyle{QStringLiteral("日销售报表统计"), QStringLiteral("日"), QColor(255, 128, 64),
                                 15};

QComboBox *dropDown(QWidget *parent, const char *name, int first, int last) {
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (int value = first; value <= last; ++value)
        box->addItem(QString::number(value));
    return box;
}

QPushButton *button(QWidget *parent, const char *caption, const char *name) {
    auto *b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}
} // namespace

SalesChartsTab::SalesChartsTab(Database &database, QWidget *parent)
    : QWidget(parent), m_database(database), m_monthlyYear(dropDown(this, "ComboBox1", 2009, 2016)),
      m_dailyYear(dropDown(this, "ComboBox3", 2009, 2016)), m_dailyMonth(dropDown(this, "ComboBox2", 1, 12)),
      m_monthlyView(makeChart("DBChart1", monthlyStyle.title)),
      m_dailyView(makeChart("DBChart3", dailyStyle.title)) {
    barchart::prepare(*m_monthlyView->chart(), monthlyStyle);
    barchart::prepare(*m_dailyView->chart(), dailyStyle);
    barchart::draw(*m_monthlyView->chart(), monthlyStyle, 12, {});
    barchart::draw(*m_dailyView->chart(), dailyStyle, 31, {});

    auto *monthlyProfit = button(this, "查询利润", "Button1");
    auto *monthlyAmount = button(this, "查询销售额", "Button13");
    auto *dailyProfit = button(this, "查询利润", "Button2");
    auto *dailyAmount = button(this, "查询销售额", "Button14");
    using salescharts::Measure;
    connect(monthlyProfit, &QPushButton::clicked, this, [this] { drawMonthly(Measure::Profit); });
    connect(monthlyAmount, &QPushButton::clicked, this, [this] { drawMonthly(Measure::Amount); });
    connect(dailyProfit, &QPushButton::clicked, this, [this] { drawDaily(Measure::Profit); });
    connect(dailyAmount, &QPushButton::clicked, this, [this] { drawDaily(Measure::Amount); });

    auto *grid = new QGridLayout(this);
    auto *monthlyBar = new QHBoxLayout;
    monthlyBar->addWidget(m_monthlyYear);
    monthlyBar->addWidget(new QLabel(QStringLiteral("年"), this));
    monthlyBar->addWidget(monthlyProfit);
    monthlyBar->addWidget(monthlyAmount);
    monthlyBar->addStretch(1);
    auto *dailyBar = new QHBoxLayout;
    dailyBar->addWidget(m_dailyYear);
    dailyBar->addWidget(new QLabel(QStringLiteral("年"), this));
    dailyBar->addWidget(m_dailyMonth);
    dailyBar->addWidget(new QLabel(QStringLiteral("月份"), this));
    dailyBar->addWidget(dailyProfit);
    dailyBar->addWidget(dailyAmount);
    dailyBar->addStretch(1);
    grid->addLayout(monthlyBar, 0, 0);
    grid->addWidget(m_monthlyView, 1, 0);
    grid->addLayout(dailyBar, 2, 0);
    grid->addWidget(m_dailyView, 3, 0);
}

QChartView *SalesChartsTab::makeChart(const char *name, const QString &title) {
    auto *chart = new QChart;
    chart->setTitle(title);
    auto *view = new QChartView(chart, this);
    view->setObjectName(QString::fromLatin1(name));
    view->setRenderHint(QPainter::Antialiasing);
    // A redraw moves the plot when the value labels change width: repainting only the changed items
    // would leave pieces of the old labels on the screen.
    view->setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    view->setMinimumHeight(180);
    return view;
}

void SalesChartsTab::setCurrentDate(const QDate &today) {
    const QString year = QString::number(today.year());
    m_monthlyYear->setEditText(year);
    m_dailyYear->setEditText(year);
    m_dailyMonth->setEditText(QString::number(today.month()));
}

void SalesChartsTab::drawMonthly(salescharts::Measure measure) {
    const auto result = salescharts::monthly(m_database, m_monthlyYear->currentText(), measure);
    if (!result.ok) {
        Dialogs::instance().error(this, m_database.errorText());
        return; // the chart keeps its bars
    }
    m_monthlyPoints = result.points;
    barchart::draw(*m_monthlyView->chart(), monthlyStyle, 12, m_monthlyPoints);
}

void SalesChartsTab::drawDaily(salescharts::Measure measure) {
    const auto result =
        salescharts::daily(m_database, m_dailyYear->currentText(), m_dailyMonth->currentText(), measure);
    if (!result.ok) {
        Dialogs::instance().error(this, m_database.errorText());
        return;
    }
    m_dailyPoints = result.points;
    barchart::draw(*m_dailyView->chart(), dailyStyle,
                   salescharts::daysOf(m_dailyYear->currentText(), m_dailyMonth->currentText()),
                   m_dailyPoints);
}

void SalesChartsTab::deactivate() {
    m_monthlyPoints.clear();
    m_dailyPoints.clear();
    m_monthlyView->chart()->removeAllSeries();
    m_dailyView->chart()->removeAllSeries();
}
