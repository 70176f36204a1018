// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Large tables made by SQL, for the tests and benchmarks of long lists and
// logs, with the replies that the script must give for them. Coupon i (from
// 1) has code "C<i>", name "Coupon number <i>" and expired flag i % 2; use i
// is of coupon 1 + (i - 1) % coupons, logged i seconds after 2024-01-01
// 00:00:00 from the address 10.<i / 65536 % 256>.<i / 256 % 256>.<i % 256>.

#include "tests/support/DemoSite.h"

#include <string>

// Adds coupons or uses first .. last to the tables that the script made.
void FillCoupons(const DemoSite& site, int last, int first = 1);
void FillUses(const DemoSite& site, int last, int coupons, int first = 1);

// The replies of the list (action 5) and the log (action 6) for them.
std::string ListReply(int coupons);
std::string LogReply(int uses, int coupons);
