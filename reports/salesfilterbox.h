#pragma once
// The filter group " 快速拼音查询" of the sales-detail window with its buttons, and the return group
// "退货". It only holds the controls; the window runs what they start.
#include "reports/salesqueries.h"

#include <QGroupBox>

class DateField;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class SalesFilterBox : public QGroupBox {
    Q_OBJECT
  public:
    explicit SalesFilterBox(QWidget *parent = nullptr);

    QComboBox *category() const { return m_category; }             // ComboBox4
    QLineEdit *nameInitials() const { return m_name; }             // Edit23
    QLineEdit *modelInitials() const { return m_model; }           // Edit29
    QLineEdit *code() const { return m_code; }                     // Edit25
    QLineEdit *customer() const { return m_customer; }             // Edit14
    QLineEdit *remark() const { return m_remark; }                 // Edit50
    QCheckBox *dateRange() const { return m_dateRange; }           // CheckBox6
    DateField *fromDate() const { return m_from; }                 // DBDateTimeEdit2
    DateField *toDate() const { return m_to; }                     // DBDateTimeEdit3
    QPushButton *searchButton() const { return m_search; }         // Button4 "查 询"
    QPushButton *monthButton() const { return m_month; }           // Button3 "本 月"
    QPushButton *todayButton() const { return m_today; }           // Button19 "当 天"
    QPushButton *clearButton() const { return m_clear; }           // Button15 "清空条件"
    QPushButton *allButton() const { return m_all; }               // Button16 "全部记录"
    QGroupBox *returnsGroup() const { return m_returns; }          // "退货"
    QPushButton *returnsSearch() const { return m_returnsSearch; } // Button23 "查 询"
    QPushButton *allReturns() const { return m_allReturns; }       // Button24 "全部退货"

    SalesFilter filter() const;

  signals:
    // The user changed one of the six filter texts (the text fields also when the program empties
    // them; the drop-down only when the user types or picks).
    void filterEdited();

  private:
    QComboBox *m_category;
    QLineEdit *m_name;
    QLineEdit *m_model;
    QLineEdit *m_code;
    QLineEdit *m_customer;
    QLineEdit *m_remark;
    QCheckBox *m_dateRange;
    DateField *m_from;
    DateField *m_to;
    QPushButton *m_search;
    QPushButton *m_month;
    QPushButton *m_today;
    QPushButton *m_clear;
    QPushButton *m_all;
    QGroupBox *m_returns;
    QPushButton *m_returnsSearch;
    QPushButton *m_allReturns;
};
