// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's own icon, the one its desktop entry names, in every size it
// is installed in. The windows show it unless the branding gives another.

#include "toolkit/Application.h"

#include <QIcon>
#include <array>

// The sizes in which the icon is drawn, in pixels.
inline constexpr std::array<int, 6> kProgramIconSizes{16, 32, 48, 64, 128, 256};

// One icon object for the whole run, so it compares equal to itself.
QIcon ProgramIcon();
