// The till's keyboard habits: a field reached by Enter, Tab or the program has its text selected, a
// clicked one does not; Enter presses the focused button.
#include "widgets/datefield.h"
#include "widgets/enterchain.h"
#include "widgets/keyboardhabits.h"
#include "widgets/numberfield.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {
class KeyboardHabitsTest : public ::testing::Test {
  protected:
    KeyboardHabitsTest() {
        KeyboardHabits::install();
        auto *layout = new QVBoxLayout(&window);
        for (QWidget *w : std::initializer_list<QWidget *>{first, price, date, combo, push, tool})
            layout->addWidget(w);
        first->setText(QStringLiteral("6901"));
        price->setText(QStringLiteral("35"));
        date->setDate(QDate(2014, 8, 12));
        combo->setEditable(true);
        combo->setEditText(QStringLiteral("张三"));
        tool->setFocusPolicy(Qt::TabFocus);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QWidget window;
    QLineEdit *first = new QLineEdit;
    NumberField *price = new NumberField;
    DateField *date = new DateField;
    QComboBox *combo = new QComboBox;
    QPushButton *push = new QPushButton(QStringLiteral("确定"));
    QToolButton *tool = new QToolButton;
};

TEST_F(KeyboardHabitsTest, AFieldReachedWithoutTheMouseHasItsWholeTextSelected) {
    const Qt::FocusReason reasons[] = {Qt::OtherFocusReason, Qt::TabFocusReason, Qt::ActiveWindowFocusReason};
    for (const Qt::FocusReason reason : reasons) {
        for (QLineEdit *edit : {first, static_cast<QLineEdit *>(price), static_cast<QLineEdit *>(date)}) {
            push->setFocus(Qt::OtherFocusReason);
            edit->deselect();
            edit->setFocus(reason);
            EXPECT_EQ(edit->selectedText(), edit->text()) << edit->metaObject()->className() << reason;
        }
        push->setFocus(Qt::OtherFocusReason);
        combo->setFocus(reason);
        EXPECT_EQ(combo->lineEdit()->selectedText(), QStringLiteral("张三")) << reason;
    }
    // Typing then replaces the text.
    push->setFocus(Qt::OtherFocusReason);
    price->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(price, QStringLiteral("42"));
    EXPECT_EQ(price->text(), QStringLiteral("42"));

    // A click puts the cursor where it was clicked.
    push->setFocus(Qt::OtherFocusReason);
    first->deselect();
    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_TRUE(first->hasFocus());
    EXPECT_FALSE(first->hasSelectedText());
}

TEST_F(KeyboardHabitsTest, EnterPressesTheFocusedButtonAndFieldsKeepTheirEnter) {
    QSignalSpy pushed(push, &QPushButton::clicked);
    QSignalSpy tooled(tool, &QToolButton::clicked);
    push->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(push, Qt::Key_Return);
    tool->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(tool, Qt::Key_Enter, Qt::KeypadModifier);
    push->setEnabled(false);
    QTest::keyClick(push, Qt::Key_Return);
    EXPECT_EQ(pushed.count(), 1);
    EXPECT_EQ(tooled.count(), 1);

    // An Enter chain still moves on from its fields.
    EnterChain chain({first, price});
    first->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_TRUE(price->hasFocus());
}
} // namespace
