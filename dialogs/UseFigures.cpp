// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/UseFigures.h"

#include "toolkit/NaturalOrder.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace {

// The first day of the week that holds day (Julian day numbers; day 0 was a
// Monday).
std::int64_t WeekStart(std::int64_t day, int firstDayOfWeek) {
    const int weekday = static_cast<int>(((day % 7) + 7) % 7) + 1;  // 1 Monday .. 7 Sunday
    return day - (weekday - firstDayOfWeek + 7) % 7;
}

} // namespace

TUseFigures::TUseFigures(const std::vector<TTrace>& traces) : traces_(traces) {
    std::unordered_map<std::string_view, std::uint32_t> numbers;
    codeOf_.reserve(traces.size());
    for (std::size_t i = 0; i < traces.size(); ++i) {
        auto [it, added] = numbers.try_emplace(traces[i].CouponCode, static_cast<std::uint32_t>(firstTrace_.size()));
        if (added)
            firstTrace_.push_back(i);
        codeOf_.push_back(it->second);
    }
}

std::vector<TCodeFigure> TUseFigures::PerCode(const std::vector<std::size_t>& rows) const {
    std::vector<std::size_t> uses(firstTrace_.size(), 0);
    std::vector<TDateTime> first(firstTrace_.size()), last(firstTrace_.size());
    std::vector<std::uint32_t> seen;
    for (std::size_t row : rows) {
        const std::uint32_t code = codeOf_[row];
        const TDateTime& when = traces_[row].DateUsed;
        if (uses[code]++ == 0) {
            seen.push_back(code);
            first[code] = last[code] = when;
            continue;
        }
        if (CompareDates(when, first[code]) < 0)
            first[code] = when;
        if (CompareDates(when, last[code]) > 0)
            last[code] = when;
    }
    std::vector<TCodeFigure> figures;
    figures.reserve(seen.size());
    for (std::uint32_t code : seen)
        figures.push_back({traces_[firstTrace_[code]].CouponCode, uses[code], first[code], last[code]});
    std::sort(figures.begin(), figures.end(), [](const TCodeFigure& a, const TCodeFigure& b) {
        if (a.Uses != b.Uses)
            return a.Uses > b.Uses;
        return NaturalCompare(a.Code, b.Code) < 0;
    });
    return figures;
}

TPeriodFigures TUseFigures::PerPeriod(const std::vector<std::size_t>& rows, std::optional<TDayRange> range,
                                      int firstDayOfWeek) const {
    TPeriodFigures out;
    // The days that have uses.
    std::optional<TDayRange> used;
    for (std::size_t row : rows) {
        const std::int64_t day = traces_[row].DateUsed.Day;
        if (!used)
            used = TDayRange{day, day};
        used->First = std::min(used->First, day);
        used->Last = std::max(used->Last, day);
    }
    TDayRange r;
    if (range)
        r = *range;
    else if (used)
        r = *used;
    else
        return out;
    if (r.Last < r.First)
        return out;
    if ((r.Last - r.First) / 7 > kMaxWeeks) {
        if (!used)
            return out;
        r = {std::max(r.First, used->First), std::min(r.Last, used->Last)};
    }

    out.Weekly = r.Last - r.First + 1 > kMaxDailyDays;
    const std::int64_t origin = out.Weekly ? WeekStart(r.First, firstDayOfWeek) : r.First;
    const std::int64_t span = out.Weekly ? 7 : 1;
    const std::size_t count = static_cast<std::size_t>((r.Last - origin) / span + 1);
    out.Periods.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::int64_t start = origin + static_cast<std::int64_t>(i) * span;
        out.Periods[i] = {std::max(start, r.First), std::min(start + span - 1, r.Last), 0};
    }
    for (std::size_t row : rows) {
        const std::int64_t day = traces_[row].DateUsed.Day;
        if (day >= r.First && day <= r.Last)
            ++out.Periods[static_cast<std::size_t>((day - origin) / span)].Uses;
    }
    return out;
}
