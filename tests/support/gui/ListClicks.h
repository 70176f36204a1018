// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Real clicks on the rows of an item view: on a row's check box, and on a
// cell to select its row.

#include <QAbstractItemView>

// Where a row's check box is drawn in the view's viewport, the row
// scrolled into view first.
QPoint CheckBoxCentre(QAbstractItemView* view, int row);
void ClickCheckBox(QAbstractItemView* view, int row);
void ClickCell(QAbstractItemView* view, int row, int column);
