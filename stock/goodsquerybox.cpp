#include "stock/goodsquerybox.h"

#include "store/clock.h"
#include "widgets/datefield.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

GoodsQueryBox::GoodsQueryBox(QWidget *parent)
    : FilterBox(parent, "GroupBox1", Hints::TooltipOnly, Buttons::BesideDates),
      m_category(addDropDown("ComboBox1", "类 别：", true)),
      m_name(addTextField("Edit23", "商品名称：", QStringLiteral("输入拼音首字母查询"))),
      m_model(addTextField("Edit29", "规格型号：", QStringLiteral("输入拼音首字母查询"))),
      m_code(addTextField("Edit25", "商品编码：", QStringLiteral("支持扫描枪"))),
      m_remark(addTextField("Edit47", "备注：")), m_supplier(addDropDown("ComboBox8", "供货商：", false)) {
    addDateRange("入库日期：", "CheckBox5", "DBDateTimeEdit3", "DBDateTimeEdit4");
    m_search = addButton("查询", "Button7");
    m_clear = addButton("清空条件", "Button15");
    m_all = addButton("全部记录", "Button12");
    // The main window sets them again each time it is shown.
    fromDate()->setDate(Clock::today());
    toDate()->setDate(Clock::today());
}

GoodsFilter GoodsQueryBox::filter() const {
    GoodsFilter f;
    f.category = m_category->currentText();
    f.nameInitials = m_name->text();
    f.modelInitials = m_model->text();
    f.code = m_code->text();
    f.remark = m_remark->text();
    f.supplier = m_supplier->currentText();
    f.dateRange = dateRange()->isChecked();
    f.fromDate = fromDate()->shownText();
    f.toDate = toDate()->shownText();
    return f;
}
