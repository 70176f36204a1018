// SPDX-License-Identifier: GPL-3.0-or-later
// Internet date-times as servers write them in cookie expiry attributes:
// every accepted form names the same moment, anything else reads as no date,
// and what we write reads back.

#include "http/IdDateTime.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr std::int64_t kMoment = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT

class InternetDateForms : public testing::TestWithParam<const char*> {};

TEST_P(InternetDateForms, NameTheSameMoment)
{
    const auto moment = ParseInternetDateTime(GetParam());
    ASSERT_TRUE(moment.has_value());
    EXPECT_EQ(*moment, kMoment);
}

INSTANTIATE_TEST_SUITE_P(Forms, InternetDateForms,
                         testing::Values("Sun, 06 Nov 1994 08:49:37 GMT",      // RFC 1123
                                         "Sunday, 06-Nov-94 08:49:37 GMT",     // RFC 850
                                         "Sun, 06-Nov-1994 08:49:37 GMT",      // Netscape cookies
                                         "Sun Nov  6 08:49:37 1994",           // asctime
                                         "Sun, 6 Nov 1994 08:49:37 UTC",       //
                                         "Sun, 06 Nov 1994 10:49:37 +0200",    // zone offsets
                                         "Sun, 06 Nov 1994 03:19:37 -0530",    //
                                         "Sun, 06 Nov 1994 03:49:37 EST",      // zone names
                                         "Sun, 06 Nov 1994 00:49:37 PST",      //
                                         "06 Nov 1994 08:49:37 +0000 (GMT)",   // comment, no weekday
                                         "sun, 06 NOV 1994 08:49:37 gmt",      // any case
                                         "Sunday, 06 November 1994 08:49:37"));  // full names, no zone

class NotADate : public testing::TestWithParam<const char*> {};

TEST_P(NotADate, ReadsAsNothing) { EXPECT_FALSE(ParseInternetDateTime(GetParam()).has_value()); }

INSTANTIATE_TEST_SUITE_P(Texts, NotADate,
                         testing::Values("", "   ", "tomorrow", "0", "1994", "06 Nov",
                                         "Sun, 32 Nov 1994 08:49:37 GMT", "Wed, 29 Feb 1995 00:00:00 GMT",
                                         "Sun, 06 Nov 1994 24:00:00 GMT", "Sun, 06 Nov 1994 08:61:00 GMT",
                                         "Sun, 06 Xyz 1994 08:49:37 GMT", "Sun, 06 Nov 1994 08:49:37 XYZ",
                                         "Sun, 06 Nov 1994 08:49:37 +02", "Sun, 06 Nov 1994 8:49:37:1 GMT",
                                         "Sun, 06 Nov 19940 08:49:37 GMT", "06 Nov 1994 1995 08:49:37",
                                         "Sun, 06 Nov 1994 08:49:37 GMT +0100"));

TEST(InternetDate, LeapDayAndTwoDigitYears)
{
    EXPECT_EQ(ParseInternetDateTime("Thu, 29 Feb 2024 00:00:00 GMT"), 1709164800);
    EXPECT_EQ(ParseInternetDateTime("Thursday, 01-Jan-70 00:00:00 GMT"), 0);
    EXPECT_EQ(ParseInternetDateTime("Sunday, 01-Jan-69 00:00:00 GMT"), ParseInternetDateTime("01 Jan 2069 00:00:00 GMT"));
}

struct FormatCase {
    std::int64_t seconds;
    const char* text;
};

class InternetDateFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(InternetDateFormat, WritesGmtAndReadsBack)
{
    const std::string text = FormatInternetDateTime(GetParam().seconds);
    EXPECT_EQ(text, GetParam().text);
    const auto back = ParseInternetDateTime(text);
    ASSERT_TRUE(back.has_value()) << text;
    EXPECT_EQ(FormatInternetDateTime(*back), text);
}

INSTANTIATE_TEST_SUITE_P(
    Moments, InternetDateFormat,
    testing::Values(FormatCase{0, "Thu, 01 Jan 1970 00:00:00 GMT"},
                    FormatCase{kMoment, "Sun, 06 Nov 1994 08:49:37 GMT"},
                    FormatCase{-1, "Wed, 31 Dec 1969 23:59:59 GMT"},
                    FormatCase{951782400, "Tue, 29 Feb 2000 00:00:00 GMT"},
                    // Beyond the four-digit years the moment is clamped, so it still reads.
                    FormatCase{std::numeric_limits<std::int64_t>::max(), "Fri, 31 Dec 9999 23:59:59 GMT"},
                    FormatCase{std::numeric_limits<std::int64_t>::min(), "Mon, 01 Jan 0001 00:00:00 GMT"}));

}  // namespace
