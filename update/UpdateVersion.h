// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// This client's version number and the conversions between version numbers
// and the texts the update site and the updater use. Versions are decimal
// numbers compared in single precision, so "1.10" is older than "1.9".

#include <string>

// 1.02 as a 32-bit single: bits 0x3F828F5C, exactly 1.019999980926513671875.
inline constexpr float AppVersionNumber = 1.02f;

// The third word of the updater's parameter string.
inline constexpr const char* UpdaterFlag = "A";

// The published version that text stands for, written with decimalSeparator:
// blanks around it, a sign and an exponent are allowed, thousands separators
// are not. The value is rounded to a single; a text that is not such a
// number, or whose value does not fit a single, counts as 0.
float VersionFromText(const std::string& text, const std::string& decimalSeparator);

// AppVersionNumber in the general number format with 15 significant digits
// ("1.01999998092651"), with decimalSeparator in place of the point.
std::string AppVersionParameter(const std::string& decimalSeparator);

// The decimal separator of the user's locale, as bytes of the system code page.
std::string LocaleDecimalSeparator();
