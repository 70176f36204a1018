// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A cookie received in a Set-Cookie2 header. Its three extra attributes are
// kept with it but play no part in storing or sending.

#include "http/IdCookieRFC2109.h"

class TIdCookieRFC2965 : public TIdCookieRFC2109 {
public:
    TIdCookieRFC2965() { Kind = TIdCookieKind::ckRFC2965; }
    std::unique_ptr<TIdNetscapeCookie> Clone() const override
    {
        return std::make_unique<TIdCookieRFC2965>(*this);
    }

    std::string CommentURL;
    bool Discard = false;
    std::vector<int> Ports;  // 80 alone when the header names none

protected:
    // Raises EConvertError for a Port list item that is not a number.
    void ReadExtraAttributes(const Items& items) override;
};
