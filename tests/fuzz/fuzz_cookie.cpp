// SPDX-License-Identifier: GPL-3.0-or-later
// The cookie store driven by a script, one command per line:
//   1<value>  Set-Cookie from the current host     2<value>  Set-Cookie2
//   H<host>   change the current host              +<n>      clock forward n seconds
//   G<path>   build the header (plain)             S<path>   build it (secure)
//   P         purge
//   C<a>,<b>  caps: at most a per domain, b in all (each under 100)
//   N<n>      n Set-Cookies (under 1000) named c0, c1, ... from the host
// After every header the store must hold no cookie whose expiry has passed,
// and the header must consist of "name=value" pieces with non-empty values.
// After every command the store keeps to its caps, and no domain holds two
// cookies whose names differ only in case.

#include "http/IdCookieManager.h"
#include "http/IdDateTime.h"
#include "http/IdException.h"
#include "tests/fuzz/FuzzCheck.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <set>
#include <string>

namespace {

void CheckNothingExpired(const TIdCookieManager& store, std::chrono::system_clock::time_point now)
{
    const auto nowMs = std::chrono::floor<std::chrono::milliseconds>(now.time_since_epoch()).count();
    for (const std::string& domain : store.Domains()) {
        for (const auto& cookie : store.CookiesOf(domain)) {
            if (cookie->Expires.empty())
                continue;
            const auto moment = ParseInternetDateTime(cookie->Expires);
            FUZZ_CHECK(moment.has_value());
            FUZZ_CHECK(*moment * 1000 >= nowMs);
        }
    }
}

// Names and values never hold ";" (it ends them when parsed), so the header
// splits back into its pieces: "name=value" with a non-empty value each.
void CheckHeader(const std::string& header)
{
    std::size_t start = 0;
    while (start < header.size()) {
        auto end = header.find(';', start);
        if (end == std::string::npos)
            end = header.size();
        const std::string piece = header.substr(start, end - start);
        const auto equals = piece.find('=');
        FUZZ_CHECK(equals != std::string::npos && equals + 1 < piece.size());
        if (end == header.size())
            break;
        FUZZ_CHECK(end + 1 < header.size() && header[end + 1] == ' ');
        start = end + 2;
    }
}

// A small number from the digits at the start of text, below limit.
std::size_t SmallNumber(const std::string& text, std::size_t limit)
{
    std::size_t value = 0;
    for (char c : text.substr(0, 6)) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + std::size_t(c - '0');
    }
    return value % limit;
}

// Caps bind new cookies only, so the store keeps to the largest caps that
// were ever in force.
void CheckCaps(const TIdCookieManager& store, std::size_t perDomain, std::size_t inAll)
{
    std::size_t all = 0;
    for (const std::string& domain : store.Domains()) {
        const auto cookies = store.CookiesOf(domain);
        FUZZ_CHECK(cookies.size() <= perDomain);
        std::set<std::string> names;
        for (const auto& cookie : cookies) {
            std::string upper = cookie->Name;
            for (char& c : upper)
                if (c >= 'a' && c <= 'z')
                    c = char(c - 'a' + 'A');
            FUZZ_CHECK(names.insert(upper).second);
        }
        all += cookies.size();
    }
    FUZZ_CHECK(all == store.Count());
    FUZZ_CHECK(all <= inAll);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string script(reinterpret_cast<const char*>(data), size);
    auto now = std::chrono::system_clock::time_point(std::chrono::seconds(1211121005));
    TIdCookieManager store([&] { return now; });
    std::string host = "x.y.z";
    std::size_t perDomain = store.MaxCookiesPerDomain();
    std::size_t inAll = store.MaxCookies();

    std::size_t start = 0;
    while (start < script.size()) {
        auto end = script.find('\n', start);
        if (end == std::string::npos)
            end = script.size();
        const std::string line = script.substr(start, end - start);
        start = end + 1;
        if (line.empty())
            continue;
        const std::string arg = line.substr(1);
        switch (line[0]) {
        case '1':
            store.StoreSetCookie(arg, host);
            break;
        case '2':
            try {
                store.StoreSetCookie2(arg, host);
            } catch (const EConvertError&) {
            }
            break;
        case 'H':
            host = arg;
            break;
        case '+': {
            std::int64_t seconds = 0;
            for (char c : arg.substr(0, 9))
                if (c >= '0' && c <= '9')
                    seconds = seconds * 10 + (c - '0');
            now += std::chrono::seconds(seconds);
            break;
        }
        case 'G':
        case 'S': {
            const std::string header = store.CookieHeaderFor(host, arg, line[0] == 'S');
            CheckNothingExpired(store, now);
            CheckHeader(header);
            break;
        }
        case 'P':
            store.PurgeExpired();
            CheckNothingExpired(store, now);
            break;
        case 'C': {
            const auto comma = arg.find(',');
            store.SetMaxCookiesPerDomain(SmallNumber(arg, 100));
            store.SetMaxCookies(comma == std::string::npos ? 100 : SmallNumber(arg.substr(comma + 1), 100));
            perDomain = std::max(perDomain, store.MaxCookiesPerDomain());
            inAll = std::max(inAll, store.MaxCookies());
            break;
        }
        case 'N':
            for (std::size_t i = 0, n = SmallNumber(arg, 1000); i < n; ++i)
                store.StoreSetCookie("c" + std::to_string(i) + "=" + arg + "; path=/", host);
            break;
        default:
            break;
        }
        CheckCaps(store, perDomain, inAll);
    }
    store.CookieHeaderFor(host, "/", false);
    CheckNothingExpired(store, now);
    return 0;
}
