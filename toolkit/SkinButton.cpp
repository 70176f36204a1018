// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/SkinButton.h"

TbsSkinButton::TbsSkinButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
    setDefault(false);
}
