// Enter along a chain of fields, and the required-field check.
#include "tests/support/testenv.h"
#include "widgets/enterchain.h"
#include "widgets/numberfield.h"
#include "widgets/requiredfield.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {
struct Panel {
    QWidget window;
    QLineEdit *name = new QLineEdit;
    QComboBox *category = new QComboBox;
    NumberField *price = new NumberField;
    QLineEdit *hidden = new QLineEdit;
    QLineEdit *disabled = new QLineEdit;
    QLineEdit *remark = new QLineEdit;
    QPushButton *save = new QPushButton(QStringLiteral("新建入库"));

    Panel() {
        category->setEditable(true);
        auto *layout = new QVBoxLayout(&window);
        for (QWidget *w :
             std::initializer_list<QWidget *>{name, category, price, hidden, disabled, remark, save})
            layout->addWidget(w);
        hidden->hide();
        disabled->setEnabled(false);
        window.show();
        window.activateWindow();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(&window);
    }
};
} // namespace

TEST(EnterChain, EnterMovesAlongTheChainPassingHiddenAndDisabledFields) {
    Panel panel;
    EnterChain chain(
        {panel.name, panel.category, panel.price, panel.hidden, panel.disabled, panel.remark, panel.save});
    int lastPressed = 0;
    chain.setLastAction([&] { ++lastPressed; });

    panel.name->setFocus();
    panel.name->setText(QStringLiteral("电脑"));
    QTest::keyClick(panel.name, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), panel.category);
    QTest::keyClicks(panel.category, QStringLiteral("pc"));
    QTest::keyClick(panel.category, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(QApplication::focusWidget(), panel.price);
    EXPECT_EQ(panel.category->count(), 0); // Enter did not add the typed text to the list
    EXPECT_EQ(panel.category->currentText(), QStringLiteral("pc"));
    QTest::keyClick(panel.price, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), panel.remark);
    QTest::keyClick(panel.remark, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), panel.save);
    EXPECT_EQ(lastPressed, 0);
    QTest::keyClick(panel.save, Qt::Key_Return);
    EXPECT_EQ(lastPressed, 1);

    // Nothing to go to: the focus stays.
    panel.save->hide();
    panel.remark->setFocus();
    QTest::keyClick(panel.remark, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), panel.remark);
    EXPECT_EQ(panel.name->text(), QStringLiteral("电脑"));
}

TEST(RequiredField, BlanksAndControlCharactersCountAsNothing) {
    const struct {
        QString text;
        bool passes;
    } cases[] = {
        {QString(), false},
        {QStringLiteral("   "), false},
        {QStringLiteral("\t \r\n"), false},
        {QStringLiteral("\x01 \x1f"), false},
        {QStringLiteral(" 电脑 "), true},
        {QStringLiteral("0"), true},
        {QStringLiteral("　"), true}, // the ideographic space is a character typed, not a blank
    };
    for (const auto &c : cases) {
        TestEnv env;
        Panel panel;
        panel.remark->setFocus();
        panel.name->setText(c.text);
        EXPECT_EQ(requireText(panel.name, QStringLiteral("商品名称必须输入！")), c.passes)
            << c.text.toStdString();
        EXPECT_EQ(panel.name->text(), c.text); // never trimmed in place
        if (c.passes) {
            EXPECT_TRUE(env.dialogs().shown().empty());
            EXPECT_EQ(QApplication::focusWidget(), panel.remark);
        } else {
            ASSERT_EQ(env.dialogs().shown().size(), 1u);
            EXPECT_EQ(env.dialogs().shown()[0].kind, Dialogs::Kind::Warning);
            EXPECT_EQ(env.dialogs().lastText(), QStringLiteral("商品名称必须输入！"));
            EXPECT_EQ(QApplication::focusWidget(), panel.name);
        }
    }
}

TEST(RequiredField, ADropDownIsCheckedByItsText) {
    TestEnv env;
    Panel panel;
    panel.category->addItem(QStringLiteral("数码"));
    panel.category->setEditText(QStringLiteral("  "));
    panel.remark->setFocus();
    EXPECT_FALSE(requireText(panel.category, QStringLiteral("商品类别必须输入！")));
    EXPECT_EQ(env.dialogs().lastText(), QStringLiteral("商品类别必须输入！"));
    EXPECT_EQ(QApplication::focusWidget(), panel.category);
    EXPECT_EQ(panel.category->currentText(), QStringLiteral("  "));
    panel.category->setCurrentIndex(0);
    EXPECT_TRUE(requireText(panel.category, QStringLiteral("商品类别必须输入！")));
    EXPECT_EQ(env.dialogs().shown().size(), 1u);
}
