// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The button of every window: drawn by the skin, never takes the keyboard
// focus. Like every control of the layout it may carry a modal result, which
// has no effect by itself: a dialog closes only where a handler closes it.

#include <QPushButton>

class TbsSkinButton : public QPushButton {
    Q_OBJECT
public:
    explicit TbsSkinButton(const QString& caption, QWidget* parent = nullptr);

    int ModalResult = 0;
};
