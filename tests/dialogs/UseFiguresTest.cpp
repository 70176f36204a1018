// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of the uses apart from any window: ties in Per Code, and the
// ranges Per Day draws.

#include "dialogs/UseFigures.h"

#include <QDate>
#include <gtest/gtest.h>

namespace {

TTrace At(const char* code, QDate day, int seconds = 0) { return {{day.toJulianDay(), seconds}, code, "ip"}; }

std::vector<std::size_t> All(const std::vector<TTrace>& traces) {
    std::vector<std::size_t> rows(traces.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = i;
    return rows;
}

TEST(UseFigures, EqualCountsStandByCodeAndCodesCountByTheirBytes) {
    const QDate d(2008, 5, 18);
    const std::vector<TTrace> traces = {At("b", d), At("CODE10", d), At("CODE9", d), At("code9", d), At("CODE9", d)};
    TUseFigures figures(traces);
    std::vector<std::string> codes;
    std::vector<std::size_t> uses;
    for (const TCodeFigure& f : figures.PerCode(All(traces))) {
        codes.push_back(f.Code);
        uses.push_back(f.Uses);
    }
    EXPECT_EQ(codes, (std::vector<std::string>{"CODE9", "b", "code9", "CODE10"}));
    EXPECT_EQ(uses, (std::vector<std::size_t>{2, 1, 1, 1}));
    // Only the rows given count.
    EXPECT_EQ(figures.PerCode({1}).size(), 1u);
    EXPECT_TRUE(figures.PerCode({}).empty());
}

TEST(UseFigures, RangesOfDaysAndWeeks) {
    const std::vector<TTrace> traces = {At("A", QDate(2008, 5, 18)), At("A", QDate(2008, 5, 20), 3600)};
    TUseFigures figures(traces);
    const auto day = [](int y, int m, int d) { return QDate(y, m, d).toJulianDay(); };

    // Ninety days are still days; ninety-one are weeks from the given day.
    EXPECT_FALSE(figures.PerPeriod(All(traces), TDayRange{day(2008, 5, 1), day(2008, 7, 29)}, 7).Weekly);
    TPeriodFigures weeks = figures.PerPeriod(All(traces), TDayRange{day(2008, 5, 1), day(2008, 7, 30)}, 1);
    ASSERT_TRUE(weeks.Weekly);
    // Weeks from Monday: 5/1 (a Thursday) to 5/4 first, then 5/5 to 5/11, ...
    EXPECT_EQ(weeks.Periods[0].LastDay, day(2008, 5, 4));
    EXPECT_EQ(weeks.Periods[2].FirstDay, day(2008, 5, 12));
    EXPECT_EQ(weeks.Periods[2].Uses, 1u);  // 5/18 is a Sunday
    EXPECT_EQ(weeks.Periods[3].Uses, 1u);

    // A range across centuries shrinks to the days with uses; without
    // uses it has no bars at all.
    TPeriodFigures wide = figures.PerPeriod(All(traces), TDayRange{day(1900, 1, 1), day(2999, 12, 31)}, 7);
    EXPECT_FALSE(wide.Weekly);
    ASSERT_EQ(wide.Periods.size(), 3u);
    EXPECT_EQ(wide.Periods[0].FirstDay, day(2008, 5, 18));
    EXPECT_TRUE(figures.PerPeriod({}, TDayRange{day(1900, 1, 1), day(2999, 12, 31)}, 7).Periods.empty());
    // Without a range and without uses: nothing.
    EXPECT_TRUE(figures.PerPeriod({}, std::nullopt, 7).Periods.empty());
}

} // namespace
