// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every dialog of the application shares: a fixed-size window with the
// system menu, centred on the screen when shown.

#include <QString>
#include <initializer_list>

class QDialog;
class QHBoxLayout;
class QWidget;
class TbsSkinButton;

void SetDialogFlags(QDialog* dialog, bool minimise = false);

// Return (and the keypad's Enter) anywhere in the dialog presses the
// button, as a dialog's default button. A memo keeps Return for its new
// lines; with one, Ctrl+Return presses the button from anywhere too.
void PressOnReturn(TbsSkinButton* button, bool ctrlReturnToo = false);

// Tab moves through the controls in this order.
void SetTabOrder(std::initializer_list<QWidget*> controls);

// A row of buttons side by side, centred.
QHBoxLayout* CentredButtonRow(std::initializer_list<QWidget*> buttons);
// A row of buttons side by side at the right.
QHBoxLayout* RightButtonRow(std::initializer_list<QWidget*> buttons);

// The control, its object name set.
template <class T>
T* Named(T* control, const char* name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

class QLabel;
// A label that names control: its buddy, and the control's accessible name.
QLabel* LabelFor(const char* caption, QWidget* control, QWidget* parent);
