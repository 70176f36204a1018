#include "toolkit/SkinDateEdit.h"

#include <QCalendarWidget>
#include <QLineEdit>
#include <QLocale>
#include <QSignalBlocker>

TbsSkinDateEdit::TbsSkinDateEdit(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    calendarWidget()->setFirstDayOfWeek(Qt::Sunday);
    // Four-digit years whatever the locale's short format, so no century is guessed.
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    setDisplayFormat(format);
    setDate(QDate::currentDate());
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { emit Change(); });
}

void TbsSkinDateEdit::SetStartDate(const QDate& date) {
    QSignalBlocker block(lineEdit());
    setDate(date);
}
