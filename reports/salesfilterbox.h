#pragma once
// The filter group " 快速拼音查询" of the sales-detail window with its buttons, and the return group
// "退货". It only holds the controls; the window runs what they start.
#include "reports/salesqueries.h"
#include "widgets/filterbox.h"

class SalesFilterBox : public FilterBox {
    Q_OBJECT
  public:
    explicit SalesFilterBox(QWidget *parent = nullptr);

    QComboBox *category() const { return m_category; }   // ComboBox4
    QLineEdit *nameInitials() const { return m_name; }   // Edit23
    QLineEdit *modelInitials() const { return m_model; } // Edit29
    QLineEdit *code() const { return m_code; }           // Edit25
    QLineEdit *customer() const { return m_customer; }   // Edit14
    QLineEdit *remark() const { return m_remark; }       // Edit50
    // dateRange() CheckBox6, fromDate() DBDateTimeEdit2, toDate() DBDateTimeEdit3
    QPushButton *searchButton() const { return m_search; } // Button4 "查 询"
    QPushButton *monthButton() const { return m_month; }   // Button3 "本 月"
    QPushButton *todayButton() const { return m_today; }   // Button19 "当 天"
    QPushButton *clearButton() const { return m_clear; }   // Button15 "清空条件"
    QPushButton *allButton() const { return m_all; }       // Button16 "全部记录"
    // Beside the filter group, in the same parent.
    QGroupBox *returnsGroup() const { return m_returns; }          // "退货"
    QPushButton *returnsSearch() const { return m_returnsSearch; } // Button23 "查 询"
    QPushButton *allReturns() const { return m_allReturns; }       // Button24 "全部退货"

    SalesFilter filter() const;

  private:
    QComboBox *m_category;
    QLineEdit *m_name;
    QLineEdit *m_model;
    QLineEdit *m_code;
    QLineEdit *m_customer;
    QLineEdit *m_remark;
    QPushButton *m_search = nullptr;
    QPushButton *m_month = nullptr;
    QPushButton *m_today = nullptr;
    QPushButton *m_clear = nullptr;
    QPushButton *m_all = nullptr;
    QGroupBox *m_returns = nullptr;
    QPushButton *m_returnsSearch = nullptr;
    QPushButton *m_allReturns = nullptr;
};
