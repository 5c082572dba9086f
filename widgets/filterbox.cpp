#include "widgets/filterbox.h"

#include "widgets/datefield.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr int FieldsPerRow = 3;

template <class W> W *named(W *widget, const char *name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
} // namespace

FilterBox::FilterBox(QWidget *parent, const char *objectName, Hints hints, Buttons buttons)
    : QGroupBox(QStringLiteral(" 快速拼音查询"), parent), m_hints(hints), m_buttonPlace(buttons),
      m_grid(new QGridLayout(this)) {
    setObjectName(QString::fromLatin1(objectName));
    m_grid->setContentsMargins(6, 4, 6, 4);
    m_grid->setHorizontalSpacing(6);
    m_grid->setVerticalSpacing(4);
}

void FilterBox::addLabelled(const char *label, QWidget *field) {
    auto *title = new QLabel(QString::fromUtf8(label), this);
    title->setBuddy(field);
    const int row = m_fields / FieldsPerRow;
    const int column = 2 * (m_fields % FieldsPerRow);
    m_grid->addWidget(title, row, column);
    m_grid->addWidget(field, row, column + 1);
    ++m_fields;
}

QComboBox *FilterBox::addDropDown(const char *objectName, const char *label, bool filtersWhileTyping) {
    auto *box = named(new QComboBox(this), objectName);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(8);
    addLabelled(label, box);
    if (filtersWhileTyping) {
        connect(box->lineEdit(), &QLineEdit::textEdited, this, &FilterBox::filterEdited);
        connect(box, &QComboBox::activated, this, &FilterBox::filterEdited);
    }
    return box;
}

QLineEdit *FilterBox::addTextField(const char *objectName, const char *label, const QString &hint) {
    auto *field = named(new QLineEdit(this), objectName);
    field->setToolTip(hint);
    if (m_hints == Hints::InFields) field->setPlaceholderText(hint);
    addLabelled(label, field);
    connect(field, &QLineEdit::textChanged, this, &FilterBox::filterEdited);
    return field;
}

void FilterBox::addDateRange(const char *caption, const char *checkName, const char *fromName,
                             const char *toName) {
    m_dateRange = named(new QCheckBox(QString::fromUtf8(caption), this), checkName);
    m_from = named(new DateField(this), fromName);
    m_to = named(new DateField(this), toName);
    m_from->setMinimumWidth(96);
    m_to->setMinimumWidth(96);
    auto *dates = new QHBoxLayout;
    dates->addWidget(m_dateRange);
    dates->addWidget(m_from);
    dates->addWidget(new QLabel(QStringLiteral("至"), this));
    dates->addWidget(m_to);
    dates->addStretch(1);
    m_grid->addLayout(dates, (m_fields + FieldsPerRow - 1) / FieldsPerRow, 0, 1, 4);
}

QPushButton *FilterBox::addButton(const char *caption, const char *objectName) {
    if (!m_buttons) {
        m_buttons = new QHBoxLayout;
        const int datesRow = (m_fields + FieldsPerRow - 1) / FieldsPerRow;
        if (m_buttonPlace == Buttons::BesideDates) {
            m_buttons->addStretch(1);
            m_grid->addLayout(m_buttons, datesRow, 2 * FieldsPerRow - 2, 1, 2);
        } else {
            m_grid->addLayout(m_buttons, datesRow + 1, 0, 1, 2 * FieldsPerRow);
        }
    }
    auto *button = named(new QPushButton(QString::fromUtf8(caption), this), objectName);
    m_buttons->addWidget(button);
    return button;
}
