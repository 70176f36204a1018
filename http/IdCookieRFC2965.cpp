// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdCookieRFC2965.h"

#include "http/IdCookieText.h"
#include "http/IdException.h"

#include <charconv>

using namespace IdCookieText;

namespace {

int ReadPort(const std::string& item)
{
    int port = 0;
    const char* first = item.data();
    const char* last = item.data() + item.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, port);
    if (first == last || error != std::errc() || end != last)
        throw EConvertError("'" + item + "' is not a valid integer value");
    return port;
}

}  // namespace

void TIdCookieRFC2965::ReadExtraAttributes(const Items& items)
{
    // Upper-cased like every attribute name, so "CommentURL" and "Port" are
    // found however the server wrote them.
    CommentURL = Attribute(items, "COMMENTURL").value_or("");
    Discard = Flag(items, "DISCARD");

    Ports.clear();
    std::string list = Attribute(items, "PORT").value_or("");
    if (list.size() >= 2 && list.front() == '"' && list.back() == '"')
        list = list.substr(1, list.size() - 2);
    std::size_t start = 0;
    while (start <= list.size()) {
        const auto comma = list.find(',', start);
        const std::string item =
            Trim(std::string_view(list).substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (!item.empty())
            Ports.push_back(ReadPort(item));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (Ports.empty())
        Ports.push_back(80);
}
