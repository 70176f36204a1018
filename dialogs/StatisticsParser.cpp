// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/StatisticsParser.h"

#include "http/IdException.h"
#include "service/CouponProtocol.h"
#include "toolkit/WireText.h"

#include <QDate>
#include <string_view>
#include <unordered_set>

namespace {

// The number of length decimal digits at from: no blank, no sign, nothing
// but digits.
int Piece(std::string_view text, std::size_t from, std::size_t length) {
    std::string_view piece = from < text.size() ? text.substr(from, length) : std::string_view();
    int value = 0;
    for (char c : piece) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        --length;
    }
    if (length != 0)
        throw EConvertError("'" + std::string(piece) + "' is not a valid integer value");
    return value;
}

// The pieces of a line cut at every comma, with the rules of SplitByChar
// (a trailing empty piece dropped), as views into the line.
void SplitLine(std::string_view line, std::vector<std::string_view>& pieces) {
    pieces.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i)
        if (line[i] == ',') {
            pieces.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    if (start < line.size())
        pieces.push_back(line.substr(start));
}

} // namespace

TDateTime ParseServerDateTime(std::string_view text) {
    int year = Piece(text, 0, 4), month = Piece(text, 5, 2), day = Piece(text, 8, 2);
    int hour = Piece(text, 11, 2), minute = Piece(text, 14, 2), second = Piece(text, 17, 2);
    if (year < 1 || year > 9999 || !QDate::isValid(year, month, day) || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
        throw EConvertError("'" + std::string(text) + "' is not a valid date and time");
    return {QDate(year, month, day).toJulianDay(), hour * 3600 + minute * 60 + second};
}

void ParseStatisticsReply(const std::string& reply, std::vector<TTrace>& traces,
                          const std::function<void(const std::string&)>& newCode) {
    std::string text = ReplaceAll(reply, "^OK", "");
    text = ReplaceAll(text, "^", "\r\n");
    text = ReplaceAll(text, "\",\"", ",");
    if (text == "OK")
        return;
    // Codes seen as written, and in upper case: most uses repeat a code
    // exactly, so the folding is done once per spelling.
    std::unordered_set<std::string> spellings, seen;
    std::vector<std::string_view> pieces;
    const std::string_view all(text);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t brk = text.find_first_of("\r\n", pos);
        std::size_t end = brk == std::string::npos ? text.size() : brk;
        SplitLine(all.substr(pos, end - pos), pieces);
        if (pieces.size() < 4)
            throw EConvertError("a record of the statistics has fewer than four fields");
        TTrace& trace = traces.emplace_back();
        try {
            trace.DateUsed = ParseServerDateTime(pieces[2]);
        } catch (...) {
            traces.pop_back();
            throw;
        }
        trace.CouponCode = pieces[1];
        for (char c : pieces[3])
            if (c != '"')
                trace.ComputerIP += c;
        if (spellings.insert(trace.CouponCode).second && seen.insert(UpperCaseKey(trace.CouponCode)).second)
            newCode(trace.CouponCode);
        if (brk == std::string::npos)
            break;
        pos = brk + ((text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n') ? 2 : 1);
    }
}
