// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdNetscapeCookie.h"

#include "http/IdCookieText.h"
#include "http/IdDateTime.h"

#include <charconv>
#include <limits>

using namespace IdCookieText;

namespace {

std::vector<std::string> SplitItems(const std::string& headerValue)
{
    std::vector<std::string> items;
    if (headerValue.find(';') == std::string::npos) {
        items.push_back(headerValue);
        return items;
    }
    std::size_t start = 0;
    while (true) {
        const auto semicolon = headerValue.find(';', start);
        if (semicolon == std::string::npos) {
            if (start < headerValue.size())
                items.push_back(Trim(std::string_view(headerValue).substr(start)));
            return items;
        }
        items.push_back(Trim(std::string_view(headerValue).substr(start, semicolon - start)));
        start = semicolon + 1;
    }
}

std::optional<std::int64_t> ReadInt64(const std::string& text)
{
    const std::string number = Trim(text);
    std::int64_t value = 0;
    const char* first = number.data();
    const char* last = number.data() + number.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b)
{
    if (b > 0 && a > std::numeric_limits<std::int64_t>::max() - b)
        return std::numeric_limits<std::int64_t>::max();
    if (b < 0 && a < std::numeric_limits<std::int64_t>::min() - b)
        return std::numeric_limits<std::int64_t>::min();
    return a + b;
}

}  // namespace

std::unique_ptr<TIdNetscapeCookie> TIdNetscapeCookie::Clone() const
{
    return std::make_unique<TIdNetscapeCookie>(*this);
}

std::optional<std::string> TIdNetscapeCookie::Attribute(const Items& items, const std::string& upperName)
{
    for (const std::string& item : items) {
        if (item.size() > upperName.size() && item[upperName.size()] == '=' &&
            item.compare(0, upperName.size(), upperName) == 0)
            return item.substr(upperName.size() + 1);
    }
    return std::nullopt;
}

bool TIdNetscapeCookie::Flag(const Items& items, const std::string& upperName)
{
    for (const std::string& item : items)
        if (item == upperName)
            return true;
    return false;
}

void TIdNetscapeCookie::Parse(const std::string& headerValue, std::chrono::system_clock::time_point now)
{
    Items items = SplitItems(headerValue);

    const std::string& first = items.front();
    const auto equals = first.find('=');
    Name = first.substr(0, equals);
    Value = equals == std::string::npos ? std::string() : first.substr(equals + 1);
    items.erase(items.begin());

    // Attribute names are matched without regard to case; values stay as sent.
    for (std::string& item : items) {
        const auto eq = item.find('=');
        const std::string upperName = UpperCase(std::string_view(item).substr(0, eq));
        item.replace(0, eq == std::string::npos ? item.size() : eq, upperName);
    }

    Path = Attribute(items, "PATH").value_or("");
    if (!Path.empty() && Path.front() == '"')
        Path.erase(0, 1);
    if (!Path.empty() && Path.back() == '"')
        Path.pop_back();
    Expires = Attribute(items, "EXPIRES").value_or("");
    Domain = Attribute(items, "DOMAIN").value_or("");
    Version = Attribute(items, "VERSION").value_or("");
    Comment = Attribute(items, "COMMENT").value_or("");
    Secure = Flag(items, "SECURE");
    ReadExtraAttributes(items);

    const std::int64_t nowSeconds =
        std::chrono::floor<std::chrono::seconds>(now.time_since_epoch()).count();
    MaxAge = -1;
    if (!Expires.empty()) {
        // An unreadable date counts as already past.
        const auto moment = ParseInternetDateTime(Expires);
        MaxAge = moment ? *moment - nowSeconds : 0;
    }
    if (const auto maxAge = Attribute(items, "MAX-AGE")) {
        if (const auto seconds = ReadInt64(*maxAge))
            MaxAge = *seconds;
    }
    if (Expires.empty()) {
        Kind = TIdCookieKind::ckNetscape;
        if (MaxAge >= 0)
            Expires = FormatInternetDateTime(SaturatingAdd(nowSeconds, MaxAge));
    }
}
