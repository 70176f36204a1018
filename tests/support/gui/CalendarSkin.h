// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether a date edit's calendar pop-up is drawn with the built-in skin
// rather than the platform's own look (a bright palette-coloured header and
// coloured arrow pictures).

#include <string>

class TbsSkinDateEdit;

// Opens the calendar, looks at it and closes it again; returns what in it is
// not drawn with the skin, empty when everything is.
std::string CalendarSkinFaults(TbsSkinDateEdit* edit);
