// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdCookieManager.h"

#include "http/IdCookieRFC2109.h"
#include "http/IdCookieRFC2965.h"
#include "http/IdCookieText.h"
#include "http/IdDateTime.h"

#include <algorithm>
#include <mutex>

using namespace IdCookieText;

namespace {

// Four dot-separated numbers from 0 to 255; surrounding blanks ignored.
bool IsIPv4Address(const std::string& text)
{
    const std::string s = Trim(text);
    int parts = 0;
    std::size_t i = 0;
    while (true) {
        int value = 0;
        std::size_t digits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            value = value * 10 + (s[i] - '0');
            if (value > 255)
                return false;
            ++digits;
            ++i;
        }
        if (digits == 0)
            return false;
        ++parts;
        if (i == s.size())
            return parts == 4;
        if (s[i] != '.' || parts == 4)
            return false;
        ++i;
    }
}

// The host from its first "." on (".y.z" for "x.y.z"); empty without a dot.
std::string FromFirstDot(const std::string& host)
{
    const auto dot = host.find('.');
    return dot == std::string::npos ? std::string() : host.substr(dot);
}

// Whether a cookie for domain may be set by a response from host.
bool DomainAcceptable(const std::string& domain, const std::string& host)
{
    if (IsIPv4Address(host))
        return domain == host;
    if (host.empty() || host.front() != '.') {
        if (!domain.empty() && domain.front() == '.')
            return domain == FromFirstDot(host);
        return !IsIPv4Address(domain) && domain == host;
    }
    return SameText(domain, FromFirstDot(host));
}

// Whether the cookies of a stored domain belong to a request for host: the
// host itself, or, for a domain with a leading dot, any host ending in it.
// A mere substring test would hand the cookies of "shop.example" to
// "myshop.example.evil" and those of 1.2.3.4 to 11.2.3.45.
bool DomainServes(const std::string& domain, const std::string& host)
{
    const std::string d = UpperCase(domain);
    const std::string h = UpperCase(host);
    if (d == h)
        return true;
    return !d.empty() && d.front() == '.' && h.size() > d.size() &&
           h.compare(h.size() - d.size(), d.size(), d) == 0;
}

bool Expired(const TIdNetscapeCookie& cookie, std::chrono::system_clock::time_point now)
{
    if (cookie.Expires.empty())
        return false;
    const auto moment = ParseInternetDateTime(cookie.Expires);
    if (!moment)
        return true;  // unreadable: long past
    const auto nowMs = std::chrono::floor<std::chrono::milliseconds>(now.time_since_epoch()).count();
    // Milliseconds count: an expiry at 12:00:00 has passed at 12:00:00.5.
    return *moment * 1000 < nowMs;
}

}  // namespace

TIdCookieManager::TIdCookieManager() : TIdCookieManager([] { return std::chrono::system_clock::now(); }) {}

TIdCookieManager::TIdCookieManager(TIdCookieClock clock) : clock_(std::move(clock)) {}

void TIdCookieManager::StoreSetCookie(const std::string& headerValue, const std::string& requestHost)
{
    Store(std::make_unique<TIdCookieRFC2109>(), headerValue, requestHost);
}

void TIdCookieManager::StoreSetCookie2(const std::string& headerValue, const std::string& requestHost)
{
    Store(std::make_unique<TIdCookieRFC2965>(), headerValue, requestHost);
}

void TIdCookieManager::Store(std::unique_ptr<TIdNetscapeCookie> cookie, const std::string& headerValue,
                             const std::string& requestHost)
{
    cookie->Parse(headerValue, clock_());
    if (cookie->Domain.empty())
        cookie->Domain = requestHost;
    if (!DomainAcceptable(cookie->Domain, requestHost))
        return;

    std::unique_lock guard(lock_);
    const std::string domainKey = UpperCase(cookie->Domain);
    const std::string nameKey = UpperCase(cookie->Name);
    auto known = domainIndex_.find(domainKey);
    if (known != domainIndex_.end()) {
        TIdCookieDomain& domain = domains_[known->second];
        const auto existing = domain.Index.find(nameKey);
        if (existing != domain.Index.end()) {
            // The stored cookie takes over the new value and attributes but
            // keeps its name and its place in the domain's order.
            auto& stored = domain.Cookies[existing->second];
            cookie->Name = stored->Name;
            stored = std::move(cookie);
            return;
        }
    }
    if (count_ >= maxCookies_)
        return;
    if (known == domainIndex_.end()) {
        if (maxPerDomain_ == 0)
            return;
        known = domainIndex_.emplace(domainKey, domains_.size()).first;
        domains_.push_back(TIdCookieDomain{cookie->Domain, {}, {}});
    }
    TIdCookieDomain& domain = domains_[known->second];
    if (domain.Cookies.size() >= maxPerDomain_)
        return;
    domain.Index.emplace(nameKey, domain.Cookies.size());
    domain.Cookies.push_back(std::move(cookie));
    ++count_;
}

void TIdCookieManager::PurgeExpired()
{
    const auto now = clock_();
    std::unique_lock guard(lock_);
    for (auto& domain : domains_) {
        auto& cookies = domain.Cookies;
        const auto kept = std::remove_if(cookies.begin(), cookies.end(),
                                         [&](const auto& cookie) { return Expired(*cookie, now); });
        if (kept == cookies.end())
            continue;
        count_ -= std::size_t(cookies.end() - kept);
        cookies.erase(kept, cookies.end());
        domain.Index.clear();
        for (std::size_t i = 0; i < cookies.size(); ++i)
            domain.Index.emplace(UpperCase(cookies[i]->Name), i);
    }
}

std::size_t TIdCookieManager::Count() const
{
    std::shared_lock guard(lock_);
    return count_;
}

std::string TIdCookieManager::CookieHeaderFor(const std::string& host, const std::string& path, bool secure)
{
    PurgeExpired();

    // Each chosen cookie with its path upper-cased once, for the ordering.
    std::vector<std::pair<std::string, const TIdNetscapeCookie*>> chosen;
    std::shared_lock guard(lock_);
    for (const auto& domain : domains_) {
        if (!DomainServes(domain.Name, host))
            continue;
        for (auto c = domain.Cookies.rbegin(); c != domain.Cookies.rend(); ++c) {
            const TIdNetscapeCookie& cookie = **c;
            if (cookie.Path.empty() || path.compare(0, cookie.Path.size(), cookie.Path) != 0)
                continue;
            if (cookie.Secure && !secure)
                continue;
            if (cookie.Value.empty())
                continue;
            chosen.emplace_back(UpperCase(cookie.Path), &cookie);
        }
    }
    // Most specific path first; equal paths keep the order collected.
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });

    std::string header;
    for (const auto& [upperPath, cookie] : chosen) {
        if (!header.empty())
            header += "; ";
        header += cookie->Name + "=" + cookie->Value;
    }
    return header;
}

std::vector<std::string> TIdCookieManager::Domains() const
{
    std::shared_lock guard(lock_);
    std::vector<std::string> names;
    for (const auto& domain : domains_)
        names.push_back(domain.Name);
    return names;
}

std::vector<std::unique_ptr<TIdNetscapeCookie>> TIdCookieManager::CookiesOf(const std::string& domain) const
{
    std::shared_lock guard(lock_);
    std::vector<std::unique_ptr<TIdNetscapeCookie>> copies;
    const auto known = domainIndex_.find(UpperCase(domain));
    if (known != domainIndex_.end())
        for (const auto& cookie : domains_[known->second].Cookies)
            copies.push_back(cookie->Clone());
    return copies;
}
