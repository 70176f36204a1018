// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

QPoint CentredPosition(const QRect& frame, const QRect& available) {
    QRect r = frame;
    r.moveCenter(available.center());
    return {std::max(r.left(), available.left()), std::max(r.top(), available.top())};
}

void CentreOnScreen(QWidget* window) {
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window->move(CentredPosition(window->frameGeometry(), screen->availableGeometry()));
}
