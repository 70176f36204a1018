// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Wire text at the widget boundary. Wire text is bytes in the system code
// page (UTF-8 here), but a shop's older database may hand back bytes that
// are no UTF-8 (Latin-1, mostly). Such a byte is shown as the Latin-1
// character it stands for, so that "Caf\xE9" reads "Café" and two texts that
// differ in any byte look different. A widget holds characters, not bytes:
// a caller that must send a text back unchanged keeps its bytes beside it.

#include <QString>

#include <string>
#include <string_view>

// The bytes as a widget shows them.
QString ShownText(std::string_view bytes);

// The bytes for comparing without regard to letter case: the letters of the
// UTF-8 sequences upper-cased, every other byte kept and marked, so that two
// texts get the same key only when they are the same letters in another case.
std::string UpperCaseKey(std::string_view bytes);
