#include "reports/salesrecordpanel.h"

#include "store/dataset.h"
#include "widgets/enterchain.h"
#include "widgets/numberfield.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {
template <class W> W *named(W *widget, const char *name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
} // namespace

QLabel *SalesRecordPanel::addLabel(const char *name) {
    auto *label = named(new QLabel(this), name);
    label->setMinimumWidth(90);
    return label;
}

SalesRecordPanel::SalesRecordPanel(QWidget *parent)
    : FloatingPanel(parent), m_name(addLabel("Label42")), m_model(addLabel("Label43")),
      m_code(addLabel("Label44")), m_category(addLabel("Label45")), m_date(addLabel("Label19")),
      m_price(addLabel("Label24")), m_quantity(addLabel("Label26")), m_amount(addLabel("Label29")),
      m_purchasePrice(addLabel("Label34")), m_stockInDate(addLabel("Label30")),
      m_debt(named(new NumberField(this), "Edit8")), m_number(named(new QLineEdit(this), "Edit13")),
      m_customer(named(new QLineEdit(this), "Edit9")), m_address(named(new QLineEdit(this), "Edit10")),
      m_contact(named(new QLineEdit(this), "Edit11")), m_remark(named(new QLineEdit(this), "Edit12")),
      m_delete(named(new QPushButton(QStringLiteral("删 除"), this), "Button6")),
      m_change(named(new QPushButton(QStringLiteral("修 改"), this), "Button12")),
      m_clear(named(new QPushButton(QStringLiteral("清空"), this), "Button7")) {
    setObjectName(QStringLiteral("Panel1"));
    closeMark()->setObjectName(QStringLiteral("Image2"));
    m_purchasePrice->hide();
    m_stockInDate->hide();

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 20, 10, 8);
    const auto caption = [this](const char *text) { return new QLabel(QString::fromUtf8(text), this); };
    const std::pair<const char *, QWidget *> shown[] = {
        {"商品名称：", m_name},    {"规格型号：", m_model},    {"商品编码：", m_code},
        {"类 别：", m_category},   {"销售日期：", m_date},     {"销售单价：", m_price},
        {"数 量：", m_quantity},   {"金 额：", m_amount},      {"欠款金额：", m_debt},
        {"销售单号：", m_number},  {"客户名称：", m_customer}, {"地 址：", m_address},
        {"联系方式：", m_contact}, {"备 注：", m_remark},
    };
    int index = 0;
    for (const auto &[text, widget] : shown) {
        const int row = index / 2;
        const int column = (index % 2) * 2;
        grid->addWidget(caption(text), row, column);
        grid->addWidget(widget, row, column + 1);
        ++index;
    }
    grid->addWidget(caption("无欠款填0"), 8, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_delete);
    buttons->addWidget(m_change);
    buttons->addWidget(m_clear);
    grid->addLayout(buttons, 8, 2, 1, 2);
    adjustSize();

    // Enter in the debt field goes on to the sale number.
    new EnterChain({m_debt, m_number}, this);
    connect(m_delete, &QPushButton::clicked, this, &SalesRecordPanel::deleteRequested);
    connect(m_change, &QPushButton::clicked, this, &SalesRecordPanel::changeRequested);
    connect(m_clear, &QPushButton::clicked, this, &SalesRecordPanel::clear);
}

QLabel *SalesRecordPanel::label(const char *name) const {
    return findChild<QLabel *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

void SalesRecordPanel::openFor(Mode mode, const Dataset &sales, int row) {
    m_mode = mode;
    m_recordId = sales.id(row);
    const auto text = [&](const char *field) { return sales.text(row, QString::fromLatin1(field)); };
    m_name->setText(text("a"));
    m_model->setText(text("b"));
    m_code->setText(text("c"));
    m_category->setText(text("d"));
    m_price->setText(text("2"));
    m_quantity->setText(text("3"));
    m_amount->setText(text("4"));
    m_purchasePrice->setText(text("1"));
    m_debt->setText(text("6"));
    m_date->setText(text("day1"));
    m_stockInDate->setText(text("day2"));
    m_number->setText(text("z"));
    // Opened for deletion the panel is all the confirmation there is: every field is the record's
    // own, never the customer of the record shown before.
    m_customer->setText(text("g"));
    m_address->setText(text("h"));
    m_contact->setText(text("i"));
    m_remark->setText(text("j"));
    m_change->setVisible(mode == Mode::Change);
    m_delete->setVisible(mode == Mode::Deletion);
    popUp();
    // Opened from the keyboard too (Delete on the list): the keys go on in the panel.
    m_debt->setFocus(Qt::OtherFocusReason);
}

void SalesRecordPanel::clear() {
    for (QLabel *label : {m_name, m_model, m_code, m_category, m_date, m_price, m_quantity, m_amount})
        label->clear();
    for (QLineEdit *field : {m_number, m_customer, m_address, m_contact, m_remark})
        field->clear();
    m_recordId = -1;
}
