// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The uses at a glance, counted from the statistics window's traces with no
// further request: how often each code was used with its first and last
// use, and how often on each day of a range (each week, for a long range).
// Apart from any window, so the figures are tested on a fixed log.

#include "dialogs/Trace.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TCodeFigure {
    std::string Code;
    std::size_t Uses = 0;
    TDateTime FirstUse;
    TDateTime LastUse;
};

// One bar of the chart: a day, or the days of one week that lie in the
// range; days as Julian day numbers, both ends included.
struct TPeriodFigure {
    std::int64_t FirstDay = 0;
    std::int64_t LastDay = 0;
    std::size_t Uses = 0;
};

struct TPeriodFigures {
    bool Weekly = false;
    std::vector<TPeriodFigure> Periods;
};

// A range of days, both ends included.
struct TDayRange {
    std::int64_t First = 0;
    std::int64_t Last = 0;
};

class TUseFigures {
public:
    // Up to this many days a bar is a day; a longer range has a bar a week.
    static constexpr std::int64_t kMaxDailyDays = 90;
    // A range wider than this many weeks shrinks to the days that have uses
    // (and without uses has none), so a range typed across centuries still
    // draws.
    static constexpr std::int64_t kMaxWeeks = 1000;

    // Numbers the distinct codes of traces once; traces must not change
    // while this lives.
    explicit TUseFigures(const std::vector<TTrace>& traces);

    // One figure per code of the rows (positions into traces; codes compared
    // by their bytes), most used first, equal counts by code.
    std::vector<TCodeFigure> PerCode(const std::vector<std::size_t>& rows) const;

    // Uses per day of the range, days without uses counted as zero; without
    // a range, from the first to the last day with a use. A range that ends
    // before it starts has no days. firstDayOfWeek: 1 Monday to 7 Sunday.
    TPeriodFigures PerPeriod(const std::vector<std::size_t>& rows, std::optional<TDayRange> range,
                             int firstDayOfWeek) const;

private:
    const std::vector<TTrace>& traces_;
    std::vector<std::uint32_t> codeOf_;  // per trace: its code's number
    std::vector<std::size_t> firstTrace_;  // per code number: a trace holding it
};
