#pragma once
// The statements of the goods list: the list statement of "全部记录", the base condition every "查询"
// starts with (both follow the zero-stock choice), and the "查询" statement built from the query box's
// conditions, in their fixed order, with every typed text bound as a parameter.
#include "widgets/filterstatement.h"

#include <QString>
#include <optional>

// What the query box holds when "查询" runs: texts as typed, dates as shown in their fields.
struct GoodsFilter {
    QString category;       // ComboBox1, column d
    QString nameInitials;   // Edit23, column e
    QString modelInitials;  // Edit29, column f
    QString code;           // Edit25, column c
    QString remark;         // Edit47, column z
    QString supplier;       // ComboBox8, column g
    bool dateRange = false; // CheckBox5
    QString fromDate;       // DBDateTimeEdit3
    QString toDate;         // DBDateTimeEdit4
};

using GoodsStatement = FilterStatement;

class GoodsQuery {
  public:
    // Why a "查询" statement could not be built.
    using Problem = FilterStatement::DateProblem;

    static QString allGoodsStatement() { return QStringLiteral("select * from data order by day1"); }
    static QString stockedGoodsStatement() {
        return QStringLiteral("select * from data where [7]<>0 order by day1");
    }

    // "全部记录" runs this one.
    QString listStatement() const { return m_listStatement; }
    // "查询" starts with "select * from data " and this.
    QString baseCondition() const { return m_baseCondition; }
    bool zeroStockHidden() const { return m_zeroStockHidden; }

    // The zero-stock checkbox: ticked hides goods whose stock is 0; cleared lists every goods row, while
    // "查询" then lists only rows with a purchase quantity above 0.
    void setZeroStockHidden(bool hidden);
    // The login sets the same statements, its base conditions written with a trailing blank.
    void applyLoginPreference(bool hidden);

    // The "查询" statement: the base condition, then one condition per non-empty field in the order
    // category, name initials, model initials, code, remark, supplier, stock-in date range. Each text
    // is matched anywhere in its column. The dates must be real dates "yyyy-mm-dd"; otherwise nothing
    // is built and *problem says which one is wrong.
    std::optional<GoodsStatement> search(const GoodsFilter &filter, Problem *problem = nullptr) const;

  private:
    QString m_listStatement = allGoodsStatement();
    QString m_baseCondition = QStringLiteral("where [2]>0 ");
    bool m_zeroStockHidden = false;
};
