#include "reports/salesfilterbox.h"

#include "widgets/datefield.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SalesFilterBox::SalesFilterBox(QWidget *parent)
    : FilterBox(parent, "GroupBox2", Hints::InFields, Buttons::OwnRow),
      m_category(addDropDown("ComboBox4", "类 别：", true)),
      m_name(addTextField("Edit23", "商品名称：", QStringLiteral("输入字母拼音查询"))),
      m_model(addTextField("Edit29", "规格型号：", QStringLiteral("输入字母拼音查询"))),
      m_code(addTextField("Edit25", "商品编码：")), m_customer(addTextField("Edit14", "客户名称：")),
      m_remark(addTextField("Edit50", "备 注：")) {
    addDateRange("销售日期：", "CheckBox6", "DBDateTimeEdit2", "DBDateTimeEdit3");
    m_search = addButton("查 询", "Button4");
    m_month = addButton("本 月", "Button3");
    m_today = addButton("当 天", "Button19");
    m_clear = addButton("清空条件", "Button15");
    m_all = addButton("全部记录", "Button16");

    m_returns = new QGroupBox(QStringLiteral("退货"), parentWidget());
    m_returns->setObjectName(QStringLiteral("GroupBox3"));
    m_returnsSearch = new QPushButton(QStringLiteral("查 询"), m_returns);
    m_returnsSearch->setObjectName(QStringLiteral("Button23"));
    m_allReturns = new QPushButton(QStringLiteral("全部退货"), m_returns);
    m_allReturns->setObjectName(QStringLiteral("Button24"));
    auto *returns = new QVBoxLayout(m_returns);
    returns->addWidget(m_returnsSearch);
    returns->addWidget(m_allReturns);
}

SalesFilter SalesFilterBox::filter() const {
    SalesFilter f;
    f.category = m_category->currentText();
    f.nameInitials = m_name->text();
    f.code = m_code->text();
    f.modelInitials = m_model->text();
    f.customer = m_customer->text();
    f.remark = m_remark->text();
    f.dateRange = dateRange()->isChecked();
    f.fromDate = fromDate()->shownText();
    f.toDate = toDate()->shownText();
    return f;
}
