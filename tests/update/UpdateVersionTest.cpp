// SPDX-License-Identifier: GPL-3.0-or-later
// Version numbers: the descriptor's text converted with the locale's decimal
// separator and rounded to a single, this client's own number, and the
// version word handed to the updater.

#include "branding/Branding.h"
#include "update/UpdateSite.h"
#include "update/UpdateVersion.h"

#include <bit>
#include <cstdint>
#include <gtest/gtest.h>

namespace {

std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

TEST(AppVersion, IsTheSingleOfOnePointOTwo) {
    EXPECT_EQ(Bits(AppVersionNumber), 0x3F828F5Cu);
    EXPECT_EQ(double(AppVersionNumber), 1.019999980926513671875);
    // The title's version text stands for the same number.
    EXPECT_EQ(Bits(VersionFromText(AppVersionText, ".")), Bits(AppVersionNumber));
}

TEST(AppVersion, UpdaterWordHasFifteenDigitsAndTheLocaleSeparator) {
    EXPECT_EQ(AppVersionParameter("."), "1.01999998092651");
    EXPECT_EQ(AppVersionParameter(","), "1,01999998092651");
}

struct Conversion {
    const char* text;
    const char* separator;
    float expected;
};

void PrintTo(const Conversion& c, std::ostream* os) { *os << '"' << c.text << "\" with \"" << c.separator << '"'; }

class VersionText : public ::testing::TestWithParam<Conversion> {};

TEST_P(VersionText, ConvertsAsADecimalNumberRoundedToASingle) {
    const Conversion& c = GetParam();
    EXPECT_EQ(Bits(VersionFromText(c.text, c.separator)), Bits(c.expected))
        << '"' << c.text << "\" with \"" << c.separator << "\" gave " << VersionFromText(c.text, c.separator);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, VersionText,
    ::testing::Values(
        Conversion{"1.02", ".", 1.02f}, Conversion{"  1.02  ", ".", 1.02f},
        // Texts whose single equals that of 1.02.
        Conversion{"1.0200000001", ".", 1.02f}, Conversion{"1.01999999", ".", 1.02f},
        Conversion{"102E-2", ".", 1.02f}, Conversion{"0.102e+1", ".", 1.02f}, Conversion{"+1.02", ".", 1.02f},
        Conversion{"1.021", ".", 1.021f}, Conversion{"1.10", ".", 1.1f}, Conversion{"1.9", ".", 1.9f},
        Conversion{"2", ".", 2.0f}, Conversion{"1.", ".", 1.0f}, Conversion{".5", ".", 0.5f},
        Conversion{"-3.5", ".", -3.5f}, Conversion{"1E1", ".", 10.0f},
        // With a comma locale the comma is the decimal separator.
        Conversion{"1,03", ",", 1.03f}, Conversion{" 1,03E1 ", ",", 10.3f}));

INSTANTIATE_TEST_SUITE_P(
    NotNumbersCountAsZero, VersionText,
    ::testing::Values(
        Conversion{"", ".", 0}, Conversion{"   ", ".", 0}, Conversion{"abc", ".", 0}, Conversion{"1.02x", ".", 0},
        Conversion{"v1.02", ".", 0}, Conversion{"1.0.2", ".", 0}, Conversion{"1 02", ".", 0},
        // The other separator, and thousands separators, do not convert.
        Conversion{"1,02", ".", 0}, Conversion{"1,000.5", ".", 0}, Conversion{"1.03", ",", 0},
        Conversion{"1.000,5", ",", 0},
        // An exponent needs digits; a number needs a digit before it.
        Conversion{"1e", ".", 0}, Conversion{"1e+", ".", 0}, Conversion{"e5", ".", 0}, Conversion{".", ".", 0},
        Conversion{"-", ".", 0},
        // What C's conversions would also take is no version here.
        Conversion{"0x1p1", ".", 0}, Conversion{"inf", ".", 0}, Conversion{"nan", ".", 0},
        // Too large for a single: no version outranks every other.
        Conversion{"1e39", ".", 0}, Conversion{"1e99999", ".", 0}));

TEST(VersionText, ComparesAsDecimalNumbersNotAsDottedParts) {
    EXPECT_LT(VersionFromText("1.10", "."), VersionFromText("1.9", "."));
    EXPECT_LT(VersionFromText("1.019", "."), AppVersionNumber);
}

TEST(UpdateSite, BuiltLocationIsHttpWithTheFixedPathAndCanBePointedElsewhere) {
    const std::string built = UpdateBaseURL();
    EXPECT_EQ(built, "http://" CORVANTA_UPDATE_HOST "/liveupdate/corvanta/");
    SetUpdateBaseURLOverride("http://127.0.0.1:8/liveupdate/corvanta");
    EXPECT_EQ(UpdateBaseURL(), "http://127.0.0.1:8/liveupdate/corvanta/");
    SetUpdateBaseURLOverride("");
    EXPECT_EQ(UpdateBaseURL(), built);
}

} // namespace
