// The controls of the sale panel and where they sit.
#include "sales/salepanel.h"

#include "widgets/datefield.h"
#include "widgets/numberfield.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QStyle>
#include <QToolButton>

namespace {
template <typename W> W *named(W *widget, const char *name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLineEdit *readOnly(QWidget *parent, const char *name) {
    auto *field = named(new QLineEdit(parent), name);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    return field;
}

QPushButton *smallButton(QWidget *parent, const char *name, const QString &caption, const QString &hint) {
    auto *button = named(new QPushButton(caption, parent), name);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedWidth(28);
    return button;
}
} // namespace

void SalePanel::buildFields() {
    const auto numeric = [this](const char *name) { return named(new NumberField(this), name); };
    m_price = numeric("Edit5");
    m_discount = numeric("Edit10");
    m_discount->setStepper(5, 0, 100);
    m_quantity = numeric("Edit35");
    m_quantity->setStepper(1, 0, 100);
    m_debt = numeric("Edit12");
    m_date = named(new DateField(this), "DBDateTimeEdit2");
    m_number = named(new QLineEdit(this), "Edit34");
    m_customer = named(new QComboBox(this), "ComboBox7");
    m_customer->setEditable(true);
    m_customer->setInsertPolicy(QComboBox::NoInsert);
    m_customer->setMinimumContentsLength(10);
    // A list model: tens of thousands of names go in at once instead of item by item.
    m_customerNames = new QStringListModel(this);
    m_customer->setModel(m_customerNames);
    m_address = named(new QLineEdit(this), "Edit13");
    m_contact = named(new QLineEdit(this), "Edit14");
    m_remark = named(new QLineEdit(this), "Edit45");

    m_nameLabel = named(new QLabel(this), "Label42");
    m_modelLabel = named(new QLabel(this), "Label43");
    m_codeLabel = named(new QLabel(this), "Label44");
    m_categoryLabel = named(new QLabel(this), "Label45");
    m_suggested = named(new QLabel(this), "Label46");
    m_stock = readOnly(this, "Edit24");
    m_saleAmount = readOnly(this, "Edit38");
    m_counter = named(new QLabel(this), "Label59");
    m_counter->hide();
    m_lastExit = named(new QLabel(this), "Label66");
    m_lastExit->hide();

    const char *hiddenNames[HiddenCount] = {"Edit7",  "Edit18", "Edit4",  "Edit6",  "Edit41",
                                            "Edit26", "Edit20", "Edit33", "Edit44", "Edit19",
                                            "Edit39", "Edit36", "Edit40", "Edit42"};
    for (int i = 0; i < HiddenCount; ++i) {
        m_hidden[i] = named(new QLineEdit(this), hiddenNames[i]);
        m_hidden[i]->hide();
    }

    m_plus = smallButton(this, "Button18", QStringLiteral("+"), QStringLiteral("单号增加"));
    m_minus = smallButton(this, "Button20", QStringLiteral("-"), QStringLiteral("单号减少"));
    m_return = smallButton(this, "Button19", QStringLiteral("退"),
                           QStringLiteral("先输入退货数量，点此按钮后再销售确认"));
    m_confirm = named(new QToolButton(this), "Image3");
    m_confirm->setText(QStringLiteral("销售确认"));
    m_confirm->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    m_confirm->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_confirm->setAutoRaise(true);
    m_confirm->setCursor(Qt::PointingHandCursor);
    // Reached by Enter from the remark, the end of the entry order; Enter on it confirms.
    m_confirm->setFocusPolicy(Qt::TabFocus);
    m_preview = named(new QPushButton(QStringLiteral("预览"), this), "BitBtn1");
    m_preview->setFocusPolicy(Qt::NoFocus);
    closeMark()->setObjectName(QStringLiteral("Image2"));
}

void SalePanel::buildLayout() {
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 20, 10, 10);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    const auto caption = [this](const char *text, QWidget *buddy) {
        auto *label = new QLabel(QString::fromUtf8(text), this);
        label->setBuddy(buddy);
        return label;
    };
    const auto beside = [](QWidget *first, QWidget *second, QWidget *third = nullptr) {
        auto *row = new QHBoxLayout;
        row->setSpacing(2);
        row->addWidget(first, 1);
        row->addWidget(second);
        if (third) row->addWidget(third);
        return row;
    };
    const auto pair = [&](int r, int c, const char *text, QWidget *field) {
        grid->addWidget(caption(text, field), r, c);
        grid->addWidget(field, r, c + 1);
    };
    const auto pairLayout = [&](int r, int c, const char *text, QWidget *buddy, QLayout *fields) {
        grid->addWidget(caption(text, buddy), r, c);
        grid->addLayout(fields, r, c + 1);
    };

    grid->addWidget(caption("商品名称：", m_nameLabel), 0, 0);
    grid->addWidget(m_nameLabel, 0, 1, 1, 3);
    pair(1, 0, "规格型号：", m_modelLabel);
    pair(1, 2, "商品编码：", m_codeLabel);
    pair(2, 0, "类 别：", m_categoryLabel);
    pair(2, 2, "建议销售价：", m_suggested);
    pair(3, 0, "库存数量：", m_stock);
    pair(3, 2, "销售金额：", m_saleAmount);
    pair(4, 0, "实际销售价", m_price);
    pairLayout(4, 2, "折 扣", m_discount, beside(m_discount, new QLabel(QStringLiteral("折"), this)));
    pairLayout(5, 0, "销售数量", m_quantity, beside(m_quantity, m_return));
    pair(5, 2, "欠款金额", m_debt);
    pair(6, 0, "销售日期", m_date);
    pairLayout(6, 2, "销售单号", m_number, beside(m_number, m_plus, m_minus));
    pair(7, 0, "客户名称", m_customer);
    pair(7, 2, "地 址", m_address);
    pair(8, 0, "联系方式", m_contact);
    pair(8, 2, "备 注", m_remark);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(named(new QLabel(QStringLiteral("单据打印必填"), this), "customerNote"));
    bottom->addStretch(1);
    bottom->addWidget(m_preview);
    bottom->addWidget(m_confirm);
    grid->addLayout(bottom, 9, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    adjustSize();
}
