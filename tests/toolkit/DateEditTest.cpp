// SPDX-License-Identifier: GPL-3.0-or-later
// The date edit: whole-text typing, the last valid date kept, every change
// reported, and the drop-down calendar.

#include "tests/support/gui/WidgetTest.h"
#include "toolkit/SkinDateEdit.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void Type(TbsSkinDateEdit& e, const QString& text) {
    e.LineEdit()->setFocus();
    QTest::keyClick(e.LineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(e.LineEdit(), text);
}

TEST(DateEdit, StartsTodayInTheShortFormatWithAFourDigitYear) {
    TbsSkinDateEdit e;
    EXPECT_EQ(e.date(), QDate::currentDate());
    EXPECT_EQ(e.text(), QDate::currentDate().toString("M/d/yyyy"));
    EXPECT_EQ(e.calendarWidget()->firstDayOfWeek(), Qt::Sunday);
}

TEST(DateEdit, TypedTextIsReadWholeAndEveryKeystrokeIsAChange) {
    TbsSkinDateEdit e;
    e.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&e));
    QSignalSpy changes(&e, &TbsSkinDateEdit::Change);
    Type(e, "5/18/2008");
    EXPECT_EQ(e.date(), QDate(2008, 5, 18));
    EXPECT_GE(changes.count(), 9);
    // Incomplete or impossible text keeps the last valid date in force.
    QTest::keyClick(e.LineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(e.text(), "5/18/200");
    EXPECT_EQ(e.date(), QDate(2008, 5, 18));
    for (const char* impossible : {"13/40/2008", "hello"}) {
        Type(e, impossible);
        EXPECT_EQ(e.date(), QDate(2008, 5, 18)) << impossible;
    }
    Type(e, "12/1/08");
    EXPECT_EQ(e.date(), QDate(2008, 12, 1));
    // Leaving the field shows the date in force.
    Type(e, "13/");
    QTest::keyClick(e.LineEdit(), Qt::Key_Return);
    EXPECT_EQ(e.text(), "12/1/2008");
}

TEST(DateEdit, SettingTheStartDateIsNoChange) {
    TbsSkinDateEdit e;
    QSignalSpy changes(&e, &TbsSkinDateEdit::Change);
    e.SetStartDate(QDate(2020, 2, 29));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(e.date(), QDate(2020, 2, 29));
    e.setDate(QDate(2021, 1, 1));
    EXPECT_EQ(changes.count(), 1);
    e.setDate(QDate());  // invalid: ignored
    EXPECT_EQ(e.date(), QDate(2021, 1, 1));
}

TEST(DateEdit, ChoosingADayInTheCalendarSetsIt) {
    TbsSkinDateEdit e;
    e.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&e));
    e.SetStartDate(QDate(2012, 11, 3));
    e.ShowCalendar();
    QCalendarWidget* c = e.calendarWidget();
    ASSERT_TRUE(WaitFor([&] { return c->isVisible(); }));
    EXPECT_EQ(c->selectedDate(), QDate(2012, 11, 3));
    c->setSelectedDate(QDate(2012, 11, 30));
    QTest::keyClick(c->focusWidget() ? c->focusWidget() : c, Qt::Key_Return);
    EXPECT_EQ(e.date(), QDate(2012, 11, 30));
    EXPECT_EQ(e.text(), "11/30/2012");
    EXPECT_FALSE(c->isVisible());
}

TEST(DateEdit, TheCalendarWorksFromTheKeyboard) {
    TbsSkinDateEdit e;
    e.show();
    ASSERT_TRUE(WaitForActive(&e));
    e.SetStartDate(QDate(2012, 11, 3));
    e.LineEdit()->setFocus();
    QCalendarWidget* c = e.calendarWidget();
    QSignalSpy changes(&e, &TbsSkinDateEdit::Change);
    // The drop-down button, which takes no focus, names the key.
    EXPECT_EQ(e.findChild<QToolButton*>(QString(), Qt::FindDirectChildrenOnly)->toolTip(), "Calendar (Alt+Down)");
    // Alt+Down opens it; the arrows move; Return takes the day.
    Press(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] {
        return c->isVisible() && QApplication::focusWidget() && c->isAncestorOf(QApplication::focusWidget());
    }));
    Press(Qt::Key_Right);
    Press(Qt::Key_Down);
    Press(Qt::Key_Return);
    EXPECT_FALSE(c->isVisible());
    EXPECT_EQ(e.date(), QDate(2012, 11, 11));
    EXPECT_GE(changes.count(), 1);
    // F4 opens it too; Escape closes it and keeps the date.
    ASSERT_TRUE(WaitForActive(&e));
    Press(Qt::Key_F4);
    ASSERT_TRUE(WaitFor([&] { return c->isVisible(); }));
    Press(Qt::Key_Left);
    Press(Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] { return !c->isVisible(); }));
    EXPECT_EQ(e.date(), QDate(2012, 11, 11));
}

} // namespace
