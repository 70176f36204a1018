// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The order in which a list sorts its texts when a column header is
// clicked: letters without regard to case, a run of digits by its value
// ("CODE9" before "CODE10", "10.0.0.2" before "10.0.0.10"), anything else
// by its byte value; texts equal in that order then by their bytes, so the
// order is total.

#include <string_view>

// Negative when a sorts before b, zero when they are the same, else positive.
int NaturalCompare(std::string_view a, std::string_view b);
