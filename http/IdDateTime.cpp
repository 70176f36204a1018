// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdDateTime.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                   "jul", "aug", "sep", "oct", "nov", "dec"};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kWeekdays[] = {"sunday", "monday", "tuesday", "wednesday",
                                     "thursday", "friday", "saturday"};

struct Zone {
    const char* name;
    int hours;
};
constexpr Zone kZones[] = {{"gmt", 0},  {"ut", 0},   {"utc", 0},  {"z", 0},   {"est", -5},
                           {"edt", -4}, {"cst", -6}, {"cdt", -5}, {"mst", -7}, {"mdt", -6},
                           {"pst", -8}, {"pdt", -7}};

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

bool AllDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool AllLetters(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isalpha(c); });
}

int SmallNumber(std::string_view s)
{
    int n = 0;
    for (char c : s)
        n = n * 10 + (c - '0');
    return n;
}

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The fields found so far; -1 marks a field not yet seen.
struct Fields {
    int day = -1, month = -1, year = -1;
    int hour = -1, minute = 0, second = 0;
    bool haveZone = false;
    int offsetSeconds = 0;
};

bool ReadTime(std::string_view token, Fields& f)
{
    if (f.hour >= 0)
        return false;
    int parts[3] = {0, 0, 0};
    int count = 0;
    std::size_t start = 0;
    while (true) {
        const auto colon = token.find(':', start);
        const auto piece = token.substr(start, colon == std::string_view::npos ? token.npos : colon - start);
        if (count == 3 || !AllDigits(piece) || piece.size() > 2)
            return false;
        parts[count++] = SmallNumber(piece);
        if (colon == std::string_view::npos)
            break;
        start = colon + 1;
    }
    if (count < 2 || parts[0] > 23 || parts[1] > 59 || parts[2] > 60)
        return false;
    f.hour = parts[0];
    f.minute = parts[1];
    f.second = parts[2];
    return true;
}

bool ReadWord(std::string_view token, Fields& f)
{
    const std::string word = Lower(token);
    for (int i = 0; i < 12; ++i) {
        // "Nov" and "November" both name the month.
        if (word.size() >= 3 && word.compare(0, 3, kMonths[i]) == 0) {
            if (f.month >= 0)
                return false;
            f.month = i + 1;
            return true;
        }
    }
    for (const char* weekday : kWeekdays) {
        const std::string_view full(weekday);
        if (word == full.substr(0, 3) || word == full)
            return true;
    }
    for (const Zone& zone : kZones) {
        if (word == zone.name) {
            if (f.haveZone)
                return false;
            f.haveZone = true;
            f.offsetSeconds = zone.hours * 3600;
            return true;
        }
    }
    return false;
}

bool ReadOffset(std::string_view token, Fields& f)
{
    if (f.haveZone || token.size() != 5 || !AllDigits(token.substr(1)))
        return false;
    const int hours = SmallNumber(token.substr(1, 2));
    const int minutes = SmallNumber(token.substr(3, 2));
    if (hours > 23 || minutes > 59)
        return false;
    f.haveZone = true;
    f.offsetSeconds = (token[0] == '-' ? -1 : 1) * (hours * 3600 + minutes * 60);
    return true;
}

bool ReadNumber(std::string_view token, Fields& f)
{
    if (token.size() > 4)
        return false;
    if (f.day < 0 && token.size() <= 2) {
        f.day = SmallNumber(token);
        return true;
    }
    if (f.year >= 0)
        return false;
    int year = SmallNumber(token);
    // Two-digit years of RFC 850: 70..99 are the 1900s, the rest the 2000s.
    if (token.size() <= 2)
        year += year < 70 ? 2000 : 1900;
    f.year = year;
    return true;
}

bool ReadPiece(std::string_view piece, Fields& f)
{
    if (piece.empty())
        return true;
    if (piece.find(':') != piece.npos)
        return ReadTime(piece, f);
    if (AllDigits(piece))
        return ReadNumber(piece, f);
    if (AllLetters(piece))
        return ReadWord(piece, f);
    return false;
}

bool ReadToken(std::string_view token, Fields& f)
{
    if ((token[0] == '+' || token[0] == '-') && token.size() == 5 && AllDigits(token.substr(1)))
        return ReadOffset(token, f);
    // "06-Nov-94": the hyphens of RFC 850 dates separate day, month and year.
    std::size_t start = 0;
    while (true) {
        const auto dash = token.find('-', start);
        const auto piece = token.substr(start, dash == token.npos ? token.npos : dash - start);
        if (!ReadPiece(piece, f))
            return false;
        if (dash == token.npos)
            return true;
        start = dash + 1;
    }
}

}  // namespace

TIdDateTime LocalNow()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    TIdDateTime t;
    t.Year = local.tm_year + 1900;
    t.Month = local.tm_mon + 1;
    t.Day = local.tm_mday;
    t.Hour = local.tm_hour;
    t.Minute = local.tm_min;
    t.Second = local.tm_sec;
    t.Millisecond = static_cast<int>(now.tv_nsec / 1000000);
    return t;
}

std::optional<std::int64_t> ParseInternetDateTime(const std::string& text)
{
    // Comments such as "(GMT)" after an offset carry nothing we need.
    std::string plain;
    int depth = 0;
    for (char c : text) {
        if (c == '(')
            ++depth;
        else if (c == ')' && depth > 0)
            --depth;
        else if (depth == 0)
            plain += c;
    }

    Fields f;
    std::size_t i = 0;
    bool any = false;
    while (i < plain.size()) {
        const auto isSeparator = [](char c) { return c == ' ' || c == '\t' || c == ','; };
        while (i < plain.size() && isSeparator(plain[i]))
            ++i;
        std::size_t end = i;
        while (end < plain.size() && !isSeparator(plain[end]))
            ++end;
        if (end > i) {
            if (!ReadToken(std::string_view(plain).substr(i, end - i), f))
                return std::nullopt;
            any = true;
        }
        i = end;
    }
    if (!any || f.day < 1 || f.month < 1 || f.year < 1 || f.year > 9999 ||
        f.day > DaysInMonth(f.year, f.month))
        return std::nullopt;
    if (f.hour < 0)
        f.hour = 0;

    const std::int64_t days = DaysFromCivil(f.year, static_cast<unsigned>(f.month), static_cast<unsigned>(f.day));
    return days * 86400 + f.hour * 3600 + f.minute * 60 + f.second - f.offsetSeconds;
}

std::string FormatInternetDateTime(std::int64_t unixSeconds)
{
    static const std::int64_t kFirst = DaysFromCivil(1, 1, 1) * 86400;
    static const std::int64_t kLast = DaysFromCivil(9999, 12, 31) * 86400 + 86399;
    unixSeconds = std::clamp(unixSeconds, kFirst, kLast);

    std::int64_t days = unixSeconds / 86400;
    std::int64_t secondOfDay = unixSeconds % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    int year = 0, month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    const int weekday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday

    char out[48];
    std::snprintf(out, sizeof out, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDayNames[weekday], day,
                  kMonthNames[month - 1], year, static_cast<int>(secondOfDay / 3600),
                  static_cast<int>(secondOfDay / 60 % 60), static_cast<int>(secondOfDay % 60));
    return out;
}
