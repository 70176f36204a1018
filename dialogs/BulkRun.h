// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Adding many coupons in one go, each the way the editor adds one: a code
// is drawn and checked with the server (action 8), drawn again while it is
// taken, and the coupon is then added (the GET, then action 2). One coupon
// at a time; between coupons the caller may stop the run. Apart from any
// window, so the caller decides what the user sees.

#include "service/CouponRecord.h"

#include <functional>
#include <string>
#include <vector>

class TCouponService;

class TBulkRun {
public:
    // Draws for one coupon's code before the run gives up on it.
    static constexpr int kMaxTries = 1000;

    enum class TStop {
        Done,        // every coupon added
        Stopped,     // the caller stopped it between two coupons
        Failed,      // an add failed (no connection, an error reply)
        NoFreeCode,  // kMaxTries codes in a row were taken
    };

    struct TResult {
        std::vector<TCouponRecord> Added;  // in the order added
        TStop Stop = TStop::Done;
    };

    // Adds count coupons with values (their code and creation date are
    // filled in for each). draw gives a new code; goOn(k) is asked before
    // coupon k (from 1) and stops the run when it answers false.
    static TResult Run(TCouponService& service, const TCouponRecord& values, int count,
                       const std::function<std::string()>& draw, const std::function<bool(int)>& goOn);

    // The message at the end: "Added N coupons." and, when the run ended
    // early, why.
    static std::string OutcomeText(const TResult& result, int count);
};
