#pragma once
// The main window's status bar: four panels, from left to right the hint under the mouse, the operator,
// today's date and the maker's web address.
#include <QStatusBar>
#include <array>

class QLabel;

class MainStatusBar : public QStatusBar {
    Q_OBJECT
  public:
    enum Panel { HintPanel = 0, OperatorPanel = 1, TodayPanel = 2, WebPanel = 3 };

    explicit MainStatusBar(QWidget *parent = nullptr);

    QLabel *panel(int index) const { return m_panels.at(index); }
    QString panelText(int index) const;

    void showHint(const QString &hint);
    void showOperator(const QString &name);
    void showToday(const QString &date);

  private:
    std::array<QLabel *, 4> m_panels{};
};
