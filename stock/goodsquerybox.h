#pragma once
// The query box " 快速拼音查询" under the goods list: category, name and model initials, code, remark,
// supplier and stock-in date range, and the buttons "查询", "清空条件" and "全部记录". It only holds the
// controls; the goods list runs what they start.
#include "stock/goodsquery.h"
#include "widgets/filterbox.h"

class GoodsQueryBox : public FilterBox {
    Q_OBJECT
  public:
    explicit GoodsQueryBox(QWidget *parent = nullptr);

    QComboBox *category() const { return m_category; }   // ComboBox1
    QLineEdit *nameInitials() const { return m_name; }   // Edit23
    QLineEdit *modelInitials() const { return m_model; } // Edit29
    QLineEdit *code() const { return m_code; }           // Edit25
    QLineEdit *remark() const { return m_remark; }       // Edit47
    QComboBox *supplier() const { return m_supplier; }   // ComboBox8, filters at "查询" only
    // dateRange() CheckBox5, fromDate() DBDateTimeEdit3, toDate() DBDateTimeEdit4
    QPushButton *searchButton() const { return m_search; } // Button7 "查询"
    QPushButton *clearButton() const { return m_clear; }   // Button15 "清空条件"
    QPushButton *allButton() const { return m_all; }       // Button12 "全部记录"

    // What the fields hold now.
    GoodsFilter filter() const;

  private:
    QComboBox *m_category;
    QLineEdit *m_name;
    QLineEdit *m_model;
    QLineEdit *m_code;
    QLineEdit *m_remark;
    QComboBox *m_supplier;
    QPushButton *m_search = nullptr;
    QPushButton *m_clear = nullptr;
    QPushButton *m_all = nullptr;
};
