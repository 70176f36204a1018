// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a window opens: centred on the screen's available area, but a
// window larger than that area keeps its title bar (its top-left corner) on
// the area, so it can still be moved and closed.

#include <QPoint>
#include <QRect>

class QWidget;

// The top-left corner for a window frame of that size on that area.
QPoint CentredPosition(const QRect& frame, const QRect& available);

// Moves the window there on the primary screen.
void CentreOnScreen(QWidget* window);
