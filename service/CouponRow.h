// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One row of the coupon list as the list reply gives it.

#include <string>

struct TCouponRow {
    std::string Name;     // the "Coupon Name" column
    std::string Code;     // the "Code" column
    std::string Expired;  // the "Expired" column: "True" or "False"
    std::string Id;       // the coupon's identifier, shown in no column
};
