// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every dialog of the application shares: a fixed-size window with the
// system menu, centred on the screen when shown.

#include <initializer_list>

class QDialog;
class QHBoxLayout;
class QWidget;

void SetDialogFlags(QDialog* dialog, bool minimise = false);

// A row of buttons side by side, centred.
QHBoxLayout* CentredButtonRow(std::initializer_list<QWidget*> buttons);
// A row of buttons side by side at the right.
QHBoxLayout* RightButtonRow(std::initializer_list<QWidget*> buttons);

class QLabel;
// A label that names control: its buddy, and the control's accessible name.
QLabel* LabelFor(const char* caption, QWidget* control, QWidget* parent);
