#pragma once
// The tab "销售统计" of the sales-detail window: the monthly chart (DBChart1) with its year, the daily
// chart (DBChart3) with its year and month, and the buttons that draw profit or sales amount.
#include "reports/salescharts.h"

#include <QDate>
#include <QWidget>

class Database;
class QChart;
class QChartView;
class QComboBox;
class QPushButton;

class SalesChartsTab : public QWidget {
    Q_OBJECT
  public:
    explicit SalesChartsTab(Database &database, QWidget *parent = nullptr);

    QComboBox *monthlyYear() const { return m_monthlyYear; }   // ComboBox1
    QComboBox *dailyYear() const { return m_dailyYear; }       // ComboBox3
    QComboBox *dailyMonth() const { return m_dailyMonth; }     // ComboBox2
    QChartView *monthlyChart() const { return m_monthlyView; } // DBChart1
    QChartView *dailyChart() const { return m_dailyView; }     // DBChart3
    // The rows each chart shows now.
    const std::vector<salescharts::Point> &monthlyPoints() const { return m_monthlyPoints; }
    const std::vector<salescharts::Point> &dailyPoints() const { return m_dailyPoints; }

    // The window's show: the years to the current one, the month to the current one.
    void setCurrentDate(const QDate &today);
    // The window's close: the charts let go of their rows.
    void deactivate();

  public slots:
    void drawMonthly(salescharts::Measure measure); // Button1 / Button13
    void drawDaily(salescharts::Measure measure);   // Button2 / Button14

  private:
    QChartView *makeChart(const char *name, const QString &title);

    Database &m_database;
    QComboBox *m_monthlyYear;
    QComboBox *m_dailyYear;
    QComboBox *m_dailyMonth;
    QChartView *m_monthlyView;
    QChartView *m_dailyView;
    std::vector<salescharts::Point> m_monthlyPoints;
    std::vector<salescharts::Point> m_dailyPoints;
};
