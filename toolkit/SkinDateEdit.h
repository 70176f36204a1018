// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A date edit: a text field in the user's short date format (with a
// four-digit year) and a drop-down calendar whose weeks start on Sunday. It
// reports every change of its text, also while the text is not (yet) a valid
// date, and keeps the last valid date in force meanwhile. Typing reads the
// whole text, so "5/18/2008" is the 18th of May whatever was there before.
// Alt+Down or F4 opens the calendar from the keyboard.

#include <QDate>
#include <QWidget>

class QCalendarWidget;
class QFrame;
class QLineEdit;
class QToolButton;

class TbsSkinDateEdit : public QWidget {
    Q_OBJECT
public:
    explicit TbsSkinDateEdit(QWidget* parent = nullptr);

    QDate date() const { return date_; }
    // Shows the date; an invalid date is ignored.
    void setDate(const QDate& date);
    // Sets the date without it counting as a change of the user's.
    void SetStartDate(const QDate& date);

    QString text() const;
    // Names the edit for screen readers, on the field that takes the focus too.
    void SetAccessibleName(const QString& name);
    QLineEdit* LineEdit() const { return edit_; }
    bool calendarPopup() const { return true; }
    QCalendarWidget* calendarWidget() const { return calendar_; }
    // Opens the drop-down calendar at the current date.
    void ShowCalendar();

    // The date a text stands for in the display format or the locale's
    // short format; invalid when it stands for none.
    QDate ParseDate(const QString& text) const;

signals:
    // The text changed by typing, the calendar or setDate.
    void Change();

private:
    void TextChanged(const QString& text);

    QLineEdit* edit_ = nullptr;
    QToolButton* drop_ = nullptr;
    QFrame* popup_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
    QString format_;
    QDate date_;
};
