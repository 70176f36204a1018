// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading the log of code uses that action 6 returns, apart from any window:
// the parse that fills the statistics window, and the server's date-time.

#include "dialogs/Trace.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Reads "yyyy-mm-dd hh:nn:ss" by character positions (1-4, 6-7, 9-10,
// 12-13, 15-16, 18-19); the characters between are never looked at and
// anything after position 19 is ignored. Raises EConvertError when a piece is
// not all decimal digits or the date-time does not exist.
TDateTime ParseServerDateTime(std::string_view text);

// Fills traces from a reply in the order of the reply, handing each new code
// (compared by its bytes, without regard to letter case) to newCode in order
// of first appearance. Stops at the first line with fewer than four pieces or an
// unreadable date-time, keeping what came before, and raises EConvertError.
void ParseStatisticsReply(const std::string& reply, std::vector<TTrace>& traces,
                          const std::function<void(const std::string&)>& newCode);
