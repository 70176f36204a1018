#pragma once
// Text helpers shared by the HTTP client's request and response handling:
// trimming the way header values and status lines have always been trimmed
// (every blank and control character at either end), and names compared
// without regard to ASCII letter case.

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
