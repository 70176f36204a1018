// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One cookie as a server set it, and the reading of a Set-Cookie header value
// into it. The Set-Cookie and Set-Cookie2 records build on this one; a record
// read from a header without an EXPIRES attribute counts as a Netscape cookie.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class TIdCookieKind { ckNetscape, ckRFC2109, ckRFC2965 };

class TIdNetscapeCookie {
public:
    TIdNetscapeCookie() = default;
    virtual ~TIdNetscapeCookie() = default;
    virtual std::unique_ptr<TIdNetscapeCookie> Clone() const;

    // Reads a header value into this record. Expiry is counted from now.
    void Parse(const std::string& headerValue, std::chrono::system_clock::time_point now);

    std::string Name;
    std::string Value;
    std::string Path;     // one pair of enclosing quotes removed; empty never matches
    std::string Expires;  // as received, or made from MAX-AGE; empty: no expiry
    std::string Domain;   // empty until stored, then the request host if none was given
    std::string Version;
    std::string Comment;
    bool Secure = false;
    std::int64_t MaxAge = -1;  // seconds; -1 when neither MAX-AGE nor EXPIRES
    TIdCookieKind Kind = TIdCookieKind::ckNetscape;

protected:
    // The attribute items of a header value: names upper-cased, values as sent.
    using Items = std::vector<std::string>;

    // The value of the first item "NAME=value", if any such item exists.
    static std::optional<std::string> Attribute(const Items& items, const std::string& upperName);
    // Whether an item equals the flag name exactly (after upper-casing).
    static bool Flag(const Items& items, const std::string& upperName);

    // Lets a record of a richer header read its own extra attributes.
    virtual void ReadExtraAttributes(const Items& items) {}
};
