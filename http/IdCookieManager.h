// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The in-memory cookie store of the HTTP client: keeps what servers set with
// Set-Cookie and Set-Cookie2, drops cookies whose expiry has passed, and
// gives the Cookie header value for the next request. Never saved.
//
// Cookies are grouped by domain (in order of first appearance) and keyed by
// name within a domain; both compare without regard to case. Each list has
// a hash index of the upper-cased names beside it, so a response that sets
// many cookies costs time in proportion to their number, never to its
// square. The store keeps at most MaxCookiesPerDomain cookies per domain and
// MaxCookies in all, as browsers do; a new cookie beyond either is dropped
// (replacing one of the same name still works). A reader-writer lock guards
// the lists.

#include "http/IdNetscapeCookie.h"

#include <chrono>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

class TIdCookieManager {
public:
    // Tells the current moment; tests replace it to move expiry along.
    using TIdCookieClock = std::function<std::chrono::system_clock::time_point()>;

    // The least that RFC 6265 asks a store to keep, and what browsers keep.
    static constexpr std::size_t kMaxCookiesPerDomain = 180;
    static constexpr std::size_t kMaxCookies = 3000;

    TIdCookieManager();
    explicit TIdCookieManager(TIdCookieClock clock);

    std::size_t MaxCookiesPerDomain() const { return maxPerDomain_; }
    void SetMaxCookiesPerDomain(std::size_t count) { maxPerDomain_ = count; }
    std::size_t MaxCookies() const { return maxCookies_; }
    void SetMaxCookies(std::size_t count) { maxCookies_ = count; }
    // The number of cookies held, in all domains.
    std::size_t Count() const;

    // Parse a Set-Cookie / Set-Cookie2 header value received from
    // requestHost, check its domain against that host, and store it or
    // replace the cookie of the same name in place. A cookie failing the
    // domain check is dropped silently; a Set-Cookie2 Port item that is not a
    // number raises EConvertError and stores nothing.
    void StoreSetCookie(const std::string& headerValue, const std::string& requestHost);
    void StoreSetCookie2(const std::string& headerValue, const std::string& requestHost);

    // Purges expired cookies, then gives "name=value; name=value" for every
    // cookie that belongs to the host and path (longest path first); empty
    // when none does.
    std::string CookieHeaderFor(const std::string& host, const std::string& path, bool secure);

    // Deletes every cookie whose expiry lies in the past. Domains stay.
    void PurgeExpired();

    // What the store holds, for inspection: the domains in store order, and
    // copies of one domain's cookies in their order.
    std::vector<std::string> Domains() const;
    std::vector<std::unique_ptr<TIdNetscapeCookie>> CookiesOf(const std::string& domain) const;

private:
    struct TIdCookieDomain {
        std::string Name;
        std::vector<std::unique_ptr<TIdNetscapeCookie>> Cookies;
        // Upper-cased cookie name -> its place in Cookies.
        std::unordered_map<std::string, std::size_t> Index;
    };

    void Store(std::unique_ptr<TIdNetscapeCookie> cookie, const std::string& headerValue,
               const std::string& requestHost);

    TIdCookieClock clock_;
    mutable std::shared_mutex lock_;
    std::vector<TIdCookieDomain> domains_;
    // Upper-cased domain -> its place in domains_.
    std::unordered_map<std::string, std::size_t> domainIndex_;
    std::size_t count_ = 0;
    std::size_t maxPerDomain_ = kMaxCookiesPerDomain;
    std::size_t maxCookies_ = kMaxCookies;
};
