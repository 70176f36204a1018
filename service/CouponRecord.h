// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The ten fields of one coupon as they travel, in wire order, and the
// results of the service's actions.

#include <string>

struct TCouponRecord {
    std::string coupid;          // empty when adding
    std::string coupcode;
    std::string coupname;
    std::string coupexpired;     // "1" expired, "0" not
    std::string coupexpirtype;   // "1" one time use, "2" by days, "3" by date, "" none
    std::string coupexpirdays;   // decimal integer text, sent whatever the kind
    std::string coupexpirdate;   // "yyyy-m-d", sent whatever the kind
    std::string couponorderurl;  // the discounted order page
    std::string couponcomments;  // may hold line breaks
    std::string coupcreatedate;  // the local date when sent, "yyyy-m-d"
};

// Result of adding or updating a coupon.
enum class SaveOutcome { Trouble = 0, Done = 1, Conflict = 2 };

// The whole reply body of one action, or the substitute after a failed request.
using ServiceReply = std::string;
