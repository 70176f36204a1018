// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/gui/CalendarSkin.h"

#include "tests/support/gui/WidgetTest.h"
#include "toolkit/SkinDateEdit.h"

#include <QCalendarWidget>
#include <QImage>
#include <QToolButton>
#include <cstdlib>

namespace {

// The top of the tool bar's gradient in the built-in skin: #3d5a80.
bool NearSkinBar(QRgb c) {
    return std::abs(qRed(c) - 0x3d) < 24 && std::abs(qGreen(c) - 0x5a) < 24 && std::abs(qBlue(c) - 0x80) < 24;
}

bool AnyPixel(const QImage& image, bool (*wanted)(QRgb)) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (wanted(image.pixel(x, y)))
                return true;
    return false;
}

} // namespace

std::string CalendarSkinFaults(TbsSkinDateEdit* edit) {
    edit->ShowCalendar();
    QCalendarWidget* calendar = edit->calendarWidget();
    if (!WaitFor([&] { return calendar->isVisible(); }))
        return "the calendar does not open";
    std::string faults;
    auto* bar = calendar->findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"));
    auto* previous = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_prevmonth"));
    auto* next = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_nextmonth"));
    if (!bar || !previous || !next) {
        calendar->window()->hide();
        return "the calendar has no navigation bar with two arrows";
    }
    const QImage image = bar->grab().toImage();
    // Between the left arrow and the month: the bar's own background.
    const QRgb background = image.pixel(previous->geometry().right() + 4, 2);
    if (!NearSkinBar(background))
        faults += "navigation bar coloured " + QColor(background).name().toStdString() + "; ";
    if (AnyPixel(image, [](QRgb c) { return qGreen(c) > qRed(c) + 40 && qGreen(c) > qBlue(c) + 20; }))
        faults += "green in the navigation bar; ";
    for (QToolButton* arrow : {previous, next})
        if (arrow->toolButtonStyle() != Qt::ToolButtonTextOnly || arrow->text().isEmpty())
            faults += "an arrow drawn as a picture; ";
    calendar->window()->hide();
    return faults;
}
