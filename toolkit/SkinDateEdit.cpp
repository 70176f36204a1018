// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/SkinDateEdit.h"

#include <QCalendarWidget>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QShortcut>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

TbsSkinDateEdit::TbsSkinDateEdit(QWidget* parent) : QWidget(parent) {
    // The locale's short format, with four-digit years so no century is guessed.
    format_ = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format_.contains(QLatin1String("yyyy")))
        format_.replace(QLatin1String("yy"), QLatin1String("yyyy"));

    edit_ = new QLineEdit(this);
    drop_ = new QToolButton(this);
    drop_->setArrowType(Qt::DownArrow);
    drop_->setFocusPolicy(Qt::NoFocus);
    drop_->setAccessibleName(QStringLiteral("Calendar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(edit_, 1);
    layout->addWidget(drop_);
    setFocusProxy(edit_);
    setFocusPolicy(Qt::StrongFocus);

    popup_ = new QFrame(this, Qt::Popup);
    popup_->setFrameShape(QFrame::Box);
    calendar_ = new QCalendarWidget(popup_);
    calendar_->setFirstDayOfWeek(Qt::Sunday);
    calendar_->setGridVisible(true);
    // The month arrows are characters in the skin's colours, not the
    // platform's coloured arrow pictures.
    const std::pair<const char*, QChar> arrows[] = {{"qt_calendar_prevmonth", QChar(0x25C0)},
                                                    {"qt_calendar_nextmonth", QChar(0x25B6)}};
    for (auto [name, arrow] : arrows)
        if (auto* button = calendar_->findChild<QToolButton*>(QLatin1String(name))) {
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
            button->setText(arrow);
        }
    auto* popupLayout = new QVBoxLayout(popup_);
    popupLayout->setContentsMargins(1, 1, 1, 1);
    popupLayout->addWidget(calendar_);

    connect(edit_, &QLineEdit::textChanged, this, &TbsSkinDateEdit::TextChanged);
    // Leaving the field shows the date in force again, tidily written.
    connect(edit_, &QLineEdit::editingFinished, this, [this] {
        QString shown = date_.toString(format_);
        if (edit_->text() != shown)
            edit_->setText(shown);
    });
    connect(drop_, &QToolButton::clicked, this, &TbsSkinDateEdit::ShowCalendar);
    // From the keyboard as in other date fields: Alt+Down or F4 opens the
    // calendar; there the arrows move, Return takes the day, Escape closes.
    auto* open = new QShortcut(edit_);
    open->setKeys({QKeySequence(Qt::ALT | Qt::Key_Down), QKeySequence(Qt::Key_F4)});
    open->setContext(Qt::WidgetShortcut);
    connect(open, &QShortcut::activated, this, &TbsSkinDateEdit::ShowCalendar);
    drop_->setToolTip(drop_->accessibleName() + QStringLiteral(" (") +
                      open->keys().constFirst().toString(QKeySequence::NativeText) + QLatin1Char(')'));
    connect(calendar_, &QCalendarWidget::clicked, this, [this](const QDate& d) {
        popup_->hide();
        setDate(d);
    });
    connect(calendar_, &QCalendarWidget::activated, this, [this](const QDate& d) {
        popup_->hide();
        setDate(d);
    });

    SetStartDate(QDate::currentDate());
}

void TbsSkinDateEdit::setDate(const QDate& date) {
    if (!date.isValid())
        return;
    date_ = date;
    edit_->setText(date.toString(format_));
}

void TbsSkinDateEdit::SetStartDate(const QDate& date) {
    QSignalBlocker block(this);
    setDate(date);
}

QString TbsSkinDateEdit::text() const { return edit_->text(); }

void TbsSkinDateEdit::SetAccessibleName(const QString& name) {
    setAccessibleName(name);
    edit_->setAccessibleName(name);
}

void TbsSkinDateEdit::ShowCalendar() {
    calendar_->setSelectedDate(date_);
    popup_->adjustSize();
    popup_->move(mapToGlobal(QPoint(0, height())));
    popup_->show();
    calendar_->setFocus();
}

QDate TbsSkinDateEdit::ParseDate(const QString& text) const {
    QString t = text.trimmed();
    QDate d = QDate::fromString(t, format_);
    if (d.isValid())
        return d;
    // Two-digit years in the locale's own short format mean this century.
    d = QLocale().toDate(t, QLocale::ShortFormat);
    if (d.isValid() && d.year() < 100)
        d = QDate(2000 + d.year() % 100, d.month(), d.day());
    else if (d.isValid() && d.year() >= 1900 && d.year() < 2000 &&
             !QLocale().dateFormat(QLocale::ShortFormat).contains(QLatin1String("yyyy")))
        d = QDate(d.year() + 100, d.month(), d.day());
    return d;
}

void TbsSkinDateEdit::TextChanged(const QString& text) {
    QDate d = ParseDate(text);
    if (d.isValid())
        date_ = d;
    emit Change();
}
