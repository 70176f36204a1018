// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text helpers shared by the transport: trimming the way header values and
// status lines have always been trimmed (every blank and control character
// at either end), names compared without regard to ASCII letter case, and
// plain decimal numbers.

#include <cstdint>
#include <string>
#include <string_view>
#include <strings.h>

inline std::string Trim(std::string_view s) {
    std::size_t begin = 0, end = s.size();
    while (begin < end && static_cast<unsigned char>(s[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(s[end - 1]) <= ' ')
        --end;
    return std::string(s.substr(begin, end - begin));
}

inline bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// A decimal number written with digits only (no sign, no blanks) and no
// greater than max; false for anything else, overflow included.
inline bool ParseDigits(std::string_view text, std::int64_t max, std::int64_t& value) {
    if (text.empty())
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || value > (max - (c - '0')) / 10)
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}
