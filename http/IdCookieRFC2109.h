// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A cookie received in a Set-Cookie header.

#include "http/IdNetscapeCookie.h"

class TIdCookieRFC2109 : public TIdNetscapeCookie {
public:
    TIdCookieRFC2109() { Kind = TIdCookieKind::ckRFC2109; }
    std::unique_ptr<TIdNetscapeCookie> Clone() const override
    {
        return std::make_unique<TIdCookieRFC2109>(*this);
    }
};
