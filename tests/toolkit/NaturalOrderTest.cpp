// SPDX-License-Identifier: GPL-3.0-or-later
// The order of texts when a list is sorted by a column.

#include "toolkit/NaturalOrder.h"

#include <gtest/gtest.h>

namespace {

struct OrderCase {
    const char* a;
    const char* b;
};

TEST(NaturalOrder, LettersWithoutCaseNumbersByValue) {
    // Each a sorts before its b.
    const OrderCase before[] = {
        {"apple", "Banana"},      {"Apple", "banana"},    {"CODE9", "CODE10"},   {"CODE09", "CODE10"},
        {"10.0.0.2", "10.0.0.10"}, {"", "a"},             {"a", "ab"},           {"A1", "a2"},
        {"ABC", "abc"},           {"x 2", "x10"},         {"CODE", "CODE0"},     {"Z", "\xC3\x89"},
        {"007", "7"},  // equal by value: the bytes decide
    };
    for (const OrderCase& c : before) {
        EXPECT_LT(NaturalCompare(c.a, c.b), 0) << c.a << " < " << c.b;
        EXPECT_GT(NaturalCompare(c.b, c.a), 0) << c.b << " > " << c.a;
    }
    for (const char* same : {"", "abc", "CODE10", "10.0.0.1"})
        EXPECT_EQ(NaturalCompare(same, same), 0) << same;
    // Long digit runs do not overflow.
    EXPECT_LT(NaturalCompare("99999999999999999999998", "99999999999999999999999"), 0);
}

} // namespace
