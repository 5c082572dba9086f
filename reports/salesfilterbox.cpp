#include "reports/salesfilterbox.h"

#include "widgets/datefield.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
template <class W> W *named(W *widget, const char *name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLineEdit *textField(QWidget *parent, const char *name, const QString &hint = {}) {
    auto *field = named(new QLineEdit(parent), name);
    field->setToolTip(hint);
    field->setPlaceholderText(hint);
    return field;
}

QPushButton *button(QWidget *parent, const char *caption, const char *name) {
    return named(new QPushButton(QString::fromUtf8(caption), parent), name);
}
} // namespace

SalesFilterBox::SalesFilterBox(QWidget *parent)
    : QGroupBox(QStringLiteral(" 快速拼音查询"), parent), m_category(named(new QComboBox(this), "ComboBox4")),
      m_name(textField(this, "Edit23", QStringLiteral("输入字母拼音查询"))),
      m_model(textField(this, "Edit29", QStringLiteral("输入字母拼音查询"))),
      m_code(textField(this, "Edit25")), m_customer(textField(this, "Edit14")),
      m_remark(textField(this, "Edit50")),
      m_dateRange(named(new QCheckBox(QStringLiteral("销售日期："), this), "CheckBox6")),
      m_from(named(new DateField(this), "DBDateTimeEdit2")),
      m_to(named(new DateField(this), "DBDateTimeEdit3")), m_search(button(this, "查 询", "Button4")),
      m_month(button(this, "本 月", "Button3")), m_today(button(this, "当 天", "Button19")),
      m_clear(button(this, "清空条件", "Button15")), m_all(button(this, "全部记录", "Button16")),
      m_returns(new QGroupBox(QStringLiteral("退货"), parent)),
      m_returnsSearch(button(m_returns, "查 询", "Button23")),
      m_allReturns(button(m_returns, "全部退货", "Button24")) {
    setObjectName(QStringLiteral("GroupBox2"));
    m_returns->setObjectName(QStringLiteral("GroupBox3"));
    m_category->setEditable(true);
    m_category->setInsertPolicy(QComboBox::NoInsert);
    m_category->setMinimumContentsLength(8);

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
    grid->addWidget(label("客户名称：", m_customer), 1, 2);
    grid->addWidget(m_customer, 1, 3);
    grid->addWidget(label("备 注：", m_remark), 1, 4);
    grid->addWidget(m_remark, 1, 5);
    auto *dates = new QHBoxLayout;
    dates->addWidget(m_dateRange);
    dates->addWidget(m_from);
    dates->addWidget(new QLabel(QStringLiteral("至"), this));
    dates->addWidget(m_to);
    dates->addStretch(1);
    grid->addLayout(dates, 2, 0, 1, 4);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_search, m_month, m_today, m_clear, m_all})
        buttons->addWidget(b);
    grid->addLayout(buttons, 3, 0, 1, 6);
    m_from->setMinimumWidth(96);
    m_to->setMinimumWidth(96);

    auto *returns = new QVBoxLayout(m_returns);
    returns->addWidget(m_returnsSearch);
    returns->addWidget(m_allReturns);

    for (QLineEdit *field : {m_name, m_model, m_code, m_customer, m_remark})
        connect(field, &QLineEdit::textChanged, this, &SalesFilterBox::filterEdited);
    // Filling or emptying the category list from the program starts no query.
    connect(m_category->lineEdit(), &QLineEdit::textEdited, this, &SalesFilterBox::filterEdited);
    connect(m_category, &QComboBox::activated, this, &SalesFilterBox::filterEdited);
}

SalesFilter SalesFilterBox::filter() const {
    SalesFilter f;
    f.category = m_category->currentText();
    f.nameInitials = m_name->text();
    f.code = m_code->text();
    f.modelInitials = m_model->text();
    f.customer = m_customer->text();
    f.remark = m_remark->text();
    f.dateRange = m_dateRange->isChecked();
    f.fromDate = m_from->shownText();
    f.toDate = m_to->shownText();
    return f;
}
