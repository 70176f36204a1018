// SPDX-License-Identifier: GPL-3.0-or-later
// The text splitter every reply decoder uses, and the wire date.

#include "service/SplitByChar.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    std::string text;
    std::vector<std::string> pieces;
};

TEST(SplitByChar, PiecesFollowTheSeparatorRules) {
    const SplitCase cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a,b,c", {"a", "b", "c"}},
        {"a,,b", {"a", "", "b"}},         // adjacent separators give an empty piece
        {",a", {"", "a"}},                // a leading separator gives an empty first piece
        {"a,", {"a"}},                    // a trailing empty piece is dropped
        {"a,,", {"a", ""}},               // only the last one is dropped
        {",", {""}},
        {"\"7\",\"ABC\"", {"\"7\"", "\"ABC\""}},
    };
    for (const SplitCase& c : cases) {
        std::vector<std::string> list{"left over"};
        SplitByChar(',', c.text, list);
        EXPECT_EQ(list, c.pieces) << "text: " << c.text;
    }
}

TEST(WireDate, NoLeadingZerosAndAFourDigitYear) {
    EXPECT_EQ(WireDate(2008, 7, 5), "2008-7-5");
    EXPECT_EQ(WireDate(2012, 11, 30), "2012-11-30");
    EXPECT_EQ(WireDate(999, 1, 1), "0999-1-1");
}

} // namespace
