// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text helpers shared by the protocol decoders and the windows.

#include <string>
#include <vector>

// Empties list, then cuts text at every occurrence of separator. Adjacent
// separators give an empty piece, a leading separator an empty first piece;
// the text after the last separator is added only when not empty, so a
// trailing empty piece is dropped and an empty text gives an empty list.
void SplitByChar(char separator, const std::string& text, std::vector<std::string>& list);

// The date as it travels on the wire: four-digit year, month and day without
// leading zeros ("2008-7-5").
std::string WireDate(int year, int month, int day);

// Today's local date as a wire date.
std::string WireDateToday();
