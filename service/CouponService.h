// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The coupon service's operations, carried out over the main window's one
// HTTP client with the settings it holds. Each builds one form-data body,
// posts it to the script URL, takes the reply (or, after any failure, the
// substitute reply) and judges it. No operation raises or shows anything:
// the callers decide what the user sees.

#include "service/CouponProtocol.h"

#include <functional>
#include <string>
#include <vector>

class TIdHTTP;

class TCouponService {
public:
    // Read time-out every operation leaves on the client.
    static constexpr int kReadTimeout = 60000;

    TCouponService(TIdHTTP& http, const TServerSettings& settings);

    bool CheckServer();                                        // action 1
    SaveOutcome AddCoupon(const TCouponRecord& record);        // action 2, after a GET
    SaveOutcome UpdateCoupon(const TCouponRecord& record);     // action 3
    bool DeleteCoupons(const std::string& ids);                // action 4: "4,9,12" or "all"
    // Action 5: on a reply holding "OK" the rows are handed to fill (all of
    // them, or those before a line that could not be read).
    bool RefreshCoupons(const std::function<void(std::vector<TCouponRow>)>& fill);
    bool CouponCodeExists(const std::string& code);            // action 8
    bool FetchCoupon(const std::string& id, std::string& record);  // action 9

    // The common steps: read time-out, body from the fields, POST to the
    // script URL; the reply, or the substitute when the request failed.
    ServiceReply Post(const TFormFields& fields, const std::string& substitute);

    // True while a request is in flight: a second exchange must not start.
    bool Busy() const;

    TIdHTTP& Http() { return http_; }

private:
    TIdHTTP& http_;
    const TServerSettings& settings_;
};
