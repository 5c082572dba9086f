// The numeric field's key filter, paste and arrows; the date field's empty mask and calendar.
#include "tests/support/testenv.h"
#include "widgets/datefield.h"
#include "widgets/numberfield.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(NumberField, TakesOnlyDigitsPointBackspaceAndEnter) {
    const struct {
        const char *name;
        bool point;
        QString start;
        QString typed;
        QString expected;
    } cases[] = {
        {"digits and point", true, {}, QStringLiteral("12.5"), QStringLiteral("12.5")},
        {"letters dropped", true, {}, QStringLiteral("a1b2c"), QStringLiteral("12")},
        {"signs, blanks, commas dropped", true, {}, QStringLiteral("-3 +4,5e6"), QStringLiteral("3456")},
        {"backspace", true, QStringLiteral("123"), QStringLiteral("\b\b4"), QStringLiteral("14")},
        {"no point in a whole-number field", false, {}, QStringLiteral("1.5"), QStringLiteral("15")},
    };
    for (const auto &c : cases) {
        NumberField field;
        field.setDecimalPointAllowed(c.point);
        field.setText(c.start);
        field.show();
        QTest::keyClicks(&field, c.typed);
        EXPECT_EQ(field.text(), c.expected) << c.name;
    }
}

TEST(NumberField, InputMethodTextIsFilteredToo) {
    NumberField field;
    field.show();
    QInputMethodEvent composing(QStringLiteral("ｙｕａｎ"), {});
    QApplication::sendEvent(&field, &composing);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("１2元.5"));
    QApplication::sendEvent(&field, &commit);
    EXPECT_EQ(field.text(), QStringLiteral("2.5"));
}

TEST(NumberField, EnterAndEditingKeysStillWork) {
    NumberField field;
    field.show();
    QTest::keyClicks(&field, QStringLiteral("1234"));
    QSignalSpy enter(&field, &QLineEdit::returnPressed);
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(enter.size(), 1);
    QTest::keyClick(&field, Qt::Key_Home);
    QTest::keyClick(&field, Qt::Key_Delete);
    QTest::keyClick(&field, Qt::Key_Right);
    QTest::keyClick(&field, Qt::Key_X, Qt::ControlModifier); // cut is dropped: it would take text away
    QTest::keyClick(&field, Qt::Key_Z, Qt::ControlModifier); // undo too
    EXPECT_EQ(field.text(), QStringLiteral("234"));
}

TEST(NumberField, PasteKeepsOnlyTheAcceptedCharacters) {
    NumberField field;
    field.show();
    QApplication::clipboard()->setText(QStringLiteral("¥12a.5 元"));
    QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field.text(), QStringLiteral("12.5"));
    NumberField whole;
    whole.setDecimalPointAllowed(false);
    EXPECT_EQ(whole.accepted(QStringLiteral("¥12a.5 元")), QStringLiteral("125"));
}

TEST(NumberField, ArrowsStepWithinTheRange) {
    const struct {
        double step, minimum, maximum;
        QString start;
        int steps;
        QString expected;
    } cases[] = {
        {5, 0, 100, QStringLiteral("100"), 1, QStringLiteral("100")},
        {5, 0, 100, QStringLiteral("100"), -1, QStringLiteral("95")},
        {5, 0, 100, QStringLiteral("3"), -1, QStringLiteral("0")},
        {1, 0, 100, QStringLiteral("2.5"), 1, QStringLiteral("3.5")},
        {1, 0, 100, QStringLiteral("0.1"), 2, QStringLiteral("2.1")},
        {1, 0, 100, QString(), 1, QStringLiteral("1")}, // empty counts as the minimum
        {1, 0, 100, QStringLiteral("."), -1, QStringLiteral("0")},
        {1, 0, 100, QStringLiteral("250"), -1, QStringLiteral("100")},
    };
    for (const auto &c : cases) {
        NumberField field;
        field.setStepper(c.step, c.minimum, c.maximum);
        field.setText(c.start);
        field.stepBy(c.steps);
        EXPECT_EQ(field.text(), c.expected) << c.start.toStdString() << " by " << c.steps;
    }

    NumberField field;
    field.setStepper(5, 0, 100);
    field.setText(QStringLiteral("100"));
    field.resize(120, 28);
    field.show();
    ASSERT_TRUE(field.hasStepper());
    QTest::mouseClick(field.downButton(), Qt::LeftButton);
    EXPECT_EQ(field.text(), QStringLiteral("95"));
    QTest::keyClick(&field, Qt::Key_Down);
    EXPECT_EQ(field.text(), QStringLiteral("90"));
    QTest::mouseClick(field.upButton(), Qt::LeftButton);
    EXPECT_EQ(field.text(), QStringLiteral("95"));

    NumberField plain; // without arrows the arrow keys change nothing
    plain.setText(QStringLiteral("7"));
    plain.show();
    QTest::keyClick(&plain, Qt::Key_Up);
    EXPECT_EQ(plain.text(), QStringLiteral("7"));
    EXPECT_EQ(plain.upButton(), nullptr);
}

TEST(DateField, AnEmptyFieldShowsTheEmptyMask) {
    DateField field;
    EXPECT_TRUE(field.isEmpty());
    EXPECT_EQ(field.shownText(), QStringLiteral("    -  -  "));
    EXPECT_EQ(field.shownText(), DateField::emptyMask());
    EXPECT_FALSE(field.date().has_value());

    field.setDate(QDate(2014, 8, 12));
    EXPECT_FALSE(field.isEmpty());
    EXPECT_EQ(field.text(), QStringLiteral("2014-08-12"));
    EXPECT_EQ(field.date(), QDate(2014, 8, 12));

    field.clear();
    EXPECT_TRUE(field.isEmpty());
    field.setText(QString());
    EXPECT_TRUE(field.isEmpty());
    field.setDate(QDate());
    EXPECT_TRUE(field.isEmpty());
}

TEST(DateField, TypedDatesAreCheckedWhenRead) {
    const struct {
        const char *typed;
        bool empty;
        std::optional<QDate> date;
    } cases[] = {
        {"20140812", false, QDate(2014, 8, 12)},
        {"2014", false, std::nullopt},     // incomplete
        {"20141345", false, std::nullopt}, // no such date
        {"ab", true, std::nullopt},        // letters do not fit the mask
    };
    for (const auto &c : cases) {
        DateField field;
        field.show();
        field.setFocus();
        field.setCursorPosition(0);
        QTest::keyClicks(&field, QString::fromLatin1(c.typed));
        EXPECT_EQ(field.isEmpty(), c.empty) << c.typed;
        EXPECT_EQ(field.date(), c.date) << c.typed;
    }
}

TEST(DateField, TheCalendarPicksADate) {
    TestEnv env; // today is 2014-08-12
    DateField field;
    field.resize(160, 28);
    field.show();
    QSignalSpy picked(&field, &DateField::datePicked);
    QTest::mouseClick(field.calendarButton(), Qt::LeftButton);
    QCalendarWidget *calendar = field.calendar();
    ASSERT_TRUE(calendar->isVisible());
    EXPECT_EQ(calendar->selectedDate(), QDate(2014, 8, 12)); // an empty field opens on today
    auto *days = calendar->findChild<QTableView *>();
    ASSERT_NE(days, nullptr);
    QTest::keyClick(days, Qt::Key_Right);
    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_FALSE(calendar->isVisible());
    EXPECT_EQ(field.text(), QStringLiteral("2014-08-13"));
    ASSERT_EQ(picked.size(), 1);

    field.setDate(QDate(2013, 2, 1)); // a filled field opens on its own date
    field.showCalendar();
    EXPECT_EQ(calendar->selectedDate(), QDate(2013, 2, 1));
}
