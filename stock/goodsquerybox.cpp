#include "stock/goodsquerybox.h"

#include "store/clock.h"
#include "widgets/datefield.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
template <class W> W *named(W *widget, const char *name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QComboBox *dropDown(QWidget *parent, const char *name) {
    auto *box = named(new QComboBox(parent), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(8);
    return box;
}

QLineEdit *textField(QWidget *parent, const char *name, const QString &hint = {}) {
    auto *field = named(new QLineEdit(parent), name);
    field->setToolTip(hint);
    return field;
}
} // namespace

GoodsQueryBox::GoodsQueryBox(QWidget *parent)
    : QGroupBox(QStringLiteral(" 快速拼音查询"), parent), m_category(dropDown(this, "ComboBox1")),
      m_name(textField(this, "Edit23", QStringLiteral("输入拼音首字母查询"))),
      m_model(textField(this, "Edit29", QStringLiteral("输入拼音首字母查询"))),
      m_code(textField(this, "Edit25", QStringLiteral("支持扫描枪"))), m_remark(textField(this, "Edit47")),
      m_supplier(dropDown(this, "ComboBox8")),
      m_dateRange(named(new QCheckBox(QStringLiteral("入库日期："), this), "CheckBox5")),
      m_from(named(new DateField(this), "DBDateTimeEdit3")),
      m_to(named(new DateField(this), "DBDateTimeEdit4")),
      m_search(named(new QPushButton(QStringLiteral("查询"), this), "Button7")),
      m_clear(named(new QPushButton(QStringLiteral("清空条件"), this), "Button15")),
      m_all(named(new QPushButton(QStringLiteral("全部记录"), this), "Button12")) {
    setObjectName(QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    const auto label = [this](const char *text, QWidget *buddy) {
        auto *l = new QLabel(QString::fromUtf8(text), this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label("类 别：", m_category), 0, 0);
    grid->addWidget(m_category, 0, 1);
    grid->addWidget(label("商品名称：", m_name), 0, 2);
    grid->addWidget(m_name, 0, 3);
    grid->addWidget(label("规格型号：", m_model), 0, 4);
    grid->addWidget(m_model, 0, 5);
    grid->addWidget(label("商品编码：", m_code), 1, 0);
    grid->addWidget(m_code, 1, 1);
    grid->addWidget(label("备注：", m_remark), 1, 2);
    grid->addWidget(m_remark, 1, 3);
    grid->addWidget(label("供货商：", m_supplier), 1, 4);
    grid->addWidget(m_supplier, 1, 5);

    auto *dates = new QHBoxLayout;
    dates->addWidget(m_dateRange);
    dates->addWidget(m_from);
    dates->addWidget(new QLabel(QStringLiteral("至"), this));
    dates->addWidget(m_to);
    dates->addStretch(1);
    grid->addLayout(dates, 2, 0, 1, 4);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_search);
    buttons->addWidget(m_clear);
    buttons->addWidget(m_all);
    grid->addLayout(buttons, 2, 4, 1, 2);
    // The main window sets them again each time it is shown.
    m_from->setDate(Clock::today());
    m_to->setDate(Clock::today());
    m_from->setMinimumWidth(96);
    m_to->setMinimumWidth(96);

    for (QLineEdit *field : {m_name, m_model, m_code, m_remark})
        connect(field, &QLineEdit::textChanged, this, &GoodsQueryBox::filterEdited);
    // Filling or emptying the category list from the program starts no query.
    connect(m_category->lineEdit(), &QLineEdit::textEdited, this, &GoodsQueryBox::filterEdited);
    connect(m_category, &QComboBox::activated, this, &GoodsQueryBox::filterEdited);
}

GoodsFilter GoodsQueryBox::filter() const {
    GoodsFilter f;
    f.category = m_category->currentText();
    f.nameInitials = m_name->text();
    f.modelInitials = m_model->text();
    f.code = m_code->text();
    f.remark = m_remark->text();
    f.supplier = m_supplier->currentText();
    f.dateRange = m_dateRange->isChecked();
    f.fromDate = m_from->shownText();
    f.toDate = m_to->shownText();
    return f;
}
