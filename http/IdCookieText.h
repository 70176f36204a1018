// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text helpers of the cookie store. Cookie names, domains and attribute names
// compare without regard to ASCII case only: the bytes of other characters
// pass unchanged, whatever the locale.

#include <string>
#include <string_view>

namespace IdCookieText {

inline std::string UpperCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

inline bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string Trim(std::string_view s)
{
    std::size_t begin = 0, end = s.size();
    while (begin < end && IsBlank(s[begin]))
        ++begin;
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return std::string(s.substr(begin, end - begin));
}

}  // namespace IdCookieText
