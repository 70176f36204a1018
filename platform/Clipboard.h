// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system clipboard, for plain single-byte text.

#include <string>

// Empties the clipboard and puts the text on it.
void SetClipboardText(const std::string& text);
std::string ClipboardText();
