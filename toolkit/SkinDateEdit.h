#pragma once
// A date edit with a drop-down calendar whose weeks start on Sunday, showing
// the user's short date format. It reports every change of its text, also
// while the text is not (yet) a valid date, and keeps the last valid date in
// force meanwhile.

#include <QDateEdit>

class TbsSkinDateEdit : public QDateEdit {
    Q_OBJECT
public:
    explicit TbsSkinDateEdit(QWidget* parent = nullptr);

    // Sets the date without it counting as a change of the user's.
    void SetStartDate(const QDate& date);

signals:
    // The text changed by typing, the calendar or the arrows.
    void Change();
};
