// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's own icon, the one its desktop entry names, in every size it
// is installed in. The windows show it unless the branding gives another.

#include <QIcon>

// One icon object for the whole run, so it compares equal to itself.
QIcon ProgramIcon();
