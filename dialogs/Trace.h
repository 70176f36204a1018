// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One use of a coupon code from the server's log: when, which code, and
// from which computer address.

#include <cstdint>
#include <string>

// A local date-time to the second, without zone: the calendar day as a
// Julian day number and the seconds since that day's midnight. Days compare
// as integers, so "the same day" never depends on the time.
struct TDateTime {
    std::int64_t Day = 0;
    std::int32_t Seconds = 0;
};

// Two date-times in time order: negative, zero or positive.
inline int CompareDates(const TDateTime& a, const TDateTime& b) {
    if (a.Day != b.Day)
        return a.Day < b.Day ? -1 : 1;
    return a.Seconds < b.Seconds ? -1 : a.Seconds > b.Seconds ? 1 : 0;
}

class TTrace {
public:
    TDateTime DateUsed;
    std::string CouponCode;
    std::string ComputerIP;  // with every double quote removed
};
