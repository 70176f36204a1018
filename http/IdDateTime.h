// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Calendar helpers of the transport: the local clock broken down to the
// millisecond (the form-data boundary is made from it), and Internet
// date-times as servers write them in cookie expiry attributes.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// A local date and time, broken down; no zone.
struct TIdDateTime {
    int Year = 0;   // four digits
    int Month = 0;  // 1..12
    int Day = 0;    // 1..31
    int Hour = 0;   // 0..23
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

// Something that tells the local time; replaced in tests to fix the clock.
using TIdLocalClock = std::function<TIdDateTime()>;

// The local clock of the machine.
TIdDateTime LocalNow();

// Reads an Internet date-time in any of the forms servers send: RFC 822/1123
// ("Sun, 06 Nov 1994 08:49:37 GMT"), RFC 850 and the Netscape cookie form
// ("Sunday, 06-Nov-94 08:49:37 GMT"), and asctime ("Sun Nov  6 08:49:37
// 1994"), with a zone name or a numeric offset such as "+0200"; no zone means
// GMT. Gives the moment as seconds since 1970-01-01 00:00:00 UTC, or nothing
// when the text is not such a date.
std::optional<std::int64_t> ParseInternetDateTime(const std::string& text);

// Writes a moment as an RFC 1123 date-time in GMT ("Sun, 06 Nov 1994
// 08:49:37 GMT"). Moments outside the years 1 to 9999 are clamped to them so
// that the text always reads back.
std::string FormatInternetDateTime(std::int64_t unixSeconds);
