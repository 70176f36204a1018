// SPDX-License-Identifier: GPL-3.0-or-later
// Wire bytes as the widgets show and compare them: UTF-8 as it is, every
// byte outside a well-formed UTF-8 sequence as its Latin-1 character.

#include "toolkit/WireText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

struct ShownCase {
    const char* name;
    std::string bytes;
    std::u16string shown;
};

class Shown : public ::testing::TestWithParam<ShownCase> {};

TEST_P(Shown, IsUtf8OrElseLatin1ByteByByte) {
    EXPECT_EQ(ShownText(GetParam().bytes),
              QString::fromUtf16(GetParam().shown.data(), qsizetype(GetParam().shown.size())));
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Shown,
    ::testing::Values(ShownCase{"Ascii", "ABCDE", u"ABCDE"}, ShownCase{"Utf8", "Caf\xC3\xA9 \xE2\x82\xAC", u"Café €"},
                      ShownCase{"Latin1", "Caf\xE9", u"Café"}, ShownCase{"Mixed", "\xE9t\xC3\xA9\xE8", u"été\u00E8"},
                      ShownCase{"Overlong", "\xC0\xAF", u"\u00C0\u00AF"},
                      ShownCase{"Surrogate", "\xED\xA0\x80", u"\u00ED\u00A0\u0080"},
                      ShownCase{"CutShort", "ab\xE2\x82", u"ab\u00E2\u0082"},
                      ShownCase{"BeyondUnicode", "\xF4\x90\x80\x80", u"\u00F4\u0090\u0080\u0080"},
                      ShownCase{"FourBytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
                      ShownCase{"NulKept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)}, ShownCase{"Empty", "", u""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UpperCaseKey, SameLettersInAnotherCaseOnly) {
    EXPECT_EQ(UpperCaseKey("caf\xE9"), UpperCaseKey("CAF\xE9"));
    EXPECT_EQ(UpperCaseKey("caf\xC3\xA9"), UpperCaseKey("CAF\xC3\x89"));  // é and É
    for (const auto& [a, b] : std::vector<std::pair<std::string, std::string>>{
             {"CAF\xE9", "CAF\xE8"},      // two Latin-1 letters
             {"CAF\xE9", "CAF\xC9"},      // é and É in Latin-1 are other bytes, not case
             {"CAF\xE9", "CAF\xC3\xA9"},  // one word in Latin-1 and in UTF-8
             {"\xFF" "A", "\xFF\xFF" "A"},
             {"A\xE9", "A\xEF\xBF\xBD"}})  // a byte and the replacement character
        EXPECT_NE(UpperCaseKey(a), UpperCaseKey(b)) << a << " / " << b;
}

}  // namespace
