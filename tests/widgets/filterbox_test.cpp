// The quick filter group of the lists: fields in reading order three to a row with their labels, the
// date range and the buttons under them, the fields that filter while the user types, and the hints.
#include "tests/support/typing.h"
#include "widgets/datefield.h"
#include "widgets/filterbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FiveFieldBox : public FilterBox {
  public:
    using FilterBox::Buttons;
    using FilterBox::Hints;

    FiveFieldBox(Hints hints, Buttons buttons) : FilterBox(nullptr, "GroupBox9", hints, buttons) {
        category = addDropDown("ComboBox1", "类 别：", true);
        name = addTextField("Edit1", "名 称：", QStringLiteral("输入拼音首字母查询"));
        code = addTextField("Edit2", "编 码：");
        remark = addTextField("Edit3", "备 注：");
        supplier = addDropDown("ComboBox2", "供货商：", false);
        addDateRange("日 期：", "CheckBox1", "DateField1", "DateField2");
        search = addButton("查 询", "Button1");
        clear = addButton("清空条件", "Button2");
    }

    QComboBox *category;
    QLineEdit *name, *code, *remark;
    QComboBox *supplier;
    QPushButton *search, *clear;
};

// Row and column of a widget in the box's grid.
std::pair<int, int> cellOf(QWidget *box, QWidget *widget) {
    auto *grid = qobject_cast<QGridLayout *>(box->layout());
    int row = -1, column = -1, rows = 0, columns = 0;
    if (const int at = grid ? grid->indexOf(widget) : -1; at >= 0)
        grid->getItemPosition(at, &row, &column, &rows, &columns);
    return {row, column};
}

QLabel *labelOf(QWidget *box, QWidget *field) {
    for (QLabel *label : box->findChildren<QLabel *>())
        if (label->buddy() == field) return label;
    return nullptr;
}

TEST(FilterBox, FieldsStandInReadingOrderWithTheDatesAndButtonsUnderThem) {
    for (const auto place : {FiveFieldBox::Buttons::BesideDates, FiveFieldBox::Buttons::OwnRow}) {
        SCOPED_TRACE(place == FiveFieldBox::Buttons::BesideDates ? "beside" : "own row");
        FiveFieldBox box(FiveFieldBox::Hints::TooltipOnly, place);
        const QList<QWidget *> fields{box.category, box.name, box.code, box.remark, box.supplier};
        for (int i = 0; i < fields.size(); ++i) {
            EXPECT_EQ(cellOf(&box, fields[i]), std::make_pair(i / 3, 2 * (i % 3) + 1)) << i;
            QLabel *label = labelOf(&box, fields[i]);
            ASSERT_NE(label, nullptr) << i;
            EXPECT_EQ(cellOf(&box, label), std::make_pair(i / 3, 2 * (i % 3))) << i;
        }
        EXPECT_EQ(labelOf(&box, box.supplier)->text(), QStringLiteral("供货商："));

        box.resize(800, 200);
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        const QRect supplier = box.supplier->geometry(), tick = box.dateRange()->geometry(),
                    to = box.toDate()->geometry(), search = box.search->geometry();
        EXPECT_GT(tick.top(), supplier.bottom()) << "the dates come under the fields";
        EXPECT_LT(box.fromDate()->x(), to.x());
        if (place == FiveFieldBox::Buttons::BesideDates) {
            EXPECT_LT(std::abs(search.center().y() - to.center().y()), to.height());
            EXPECT_GT(search.left(), to.right());
        } else {
            EXPECT_GT(search.top(), to.bottom());
        }
        EXPECT_LT(search.right(), box.clear->x());
    }
}

TEST(FilterBox, TheKeysWalkTheControlsInReadingOrder) {
    FiveFieldBox box(FiveFieldBox::Hints::TooltipOnly, FiveFieldBox::Buttons::OwnRow);
    box.show();
    QApplication::setActiveWindow(&box);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    box.category->setFocus(Qt::TabFocusReason);
    const QList<QWidget *> expected{box.category,    box.name,       box.code,     box.remark, box.supplier,
                                    box.dateRange(), box.fromDate(), box.toDate(), box.search, box.clear};
    QList<QWidget *> walked;
    for (int i = 0; i < expected.size(); ++i) {
        walked << QApplication::focusWidget();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(walked, expected);
}

TEST(FilterBox, TextsFilterAtEveryChangeDropDownsOnlyAtTheUsersTypingOrPickIfTheyFilter) {
    FiveFieldBox box(FiveFieldBox::Hints::TooltipOnly, FiveFieldBox::Buttons::BesideDates);
    QSignalSpy edited(&box, &FilterBox::filterEdited);
    box.name->setText(QStringLiteral("dn"));
    box.code->clear(); // already empty: no change
    box.remark->setText(QStringLiteral("x"));
    box.remark->clear();
    EXPECT_EQ(edited.count(), 3);

    edited.clear();
    box.category->addItems({QStringLiteral("文具"), QStringLiteral("电子")});
    box.category->setEditText(QStringLiteral("文"));
    box.category->setCurrentIndex(-1);
    box.category->clearEditText();
    box.supplier->addItems({QStringLiteral("华联")});
    box.supplier->setEditText(QStringLiteral("华"));
    EXPECT_EQ(edited.count(), 0) << "what the program puts in a drop-down runs nothing";

    typeText(box.supplier->lineEdit(), QStringLiteral("h"));
    emit box.supplier->activated(0);
    EXPECT_EQ(edited.count(), 0) << "this drop-down waits for the search button";
    typeText(box.category->lineEdit(), QStringLiteral("w"));
    emit box.category->activated(1);
    EXPECT_EQ(edited.count(), 2);
}

TEST(FilterBox, HintsAreTooltipsAndShowInsideEmptyFieldsOnlyWhenAskedTo) {
    FiveFieldBox plain(FiveFieldBox::Hints::TooltipOnly, FiveFieldBox::Buttons::BesideDates);
    FiveFieldBox inFields(FiveFieldBox::Hints::InFields, FiveFieldBox::Buttons::OwnRow);
    const QString hint = QStringLiteral("输入拼音首字母查询");
    EXPECT_EQ(plain.name->toolTip(), hint);
    EXPECT_EQ(plain.name->placeholderText(), QString());
    EXPECT_EQ(inFields.name->toolTip(), hint);
    EXPECT_EQ(inFields.name->placeholderText(), hint);
    EXPECT_EQ(inFields.code->placeholderText(), QString());
    EXPECT_EQ(inFields.title(), QStringLiteral(" 快速拼音查询"));
    EXPECT_EQ(inFields.objectName(), QStringLiteral("GroupBox9"));
    EXPECT_EQ(inFields.findChild<QCheckBox *>(QStringLiteral("CheckBox1")), inFields.dateRange());
}

} // namespace
