// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/SplitByChar.h"

#include <cstdio>
#include <ctime>

void SplitByChar(char separator, const std::string& text, std::vector<std::string>& list) {
    list.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == separator) {
            list.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (start < text.size())
        list.push_back(text.substr(start));
}

std::string WireDate(int year, int month, int day) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%d-%d", year, month, day);
    return buf;
}

std::string WireDateToday() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return WireDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}
