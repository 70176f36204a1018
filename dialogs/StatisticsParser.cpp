#include "dialogs/StatisticsParser.h"

#include "http/IdException.h"
#include "service/CouponProtocol.h"
#include "service/SplitByChar.h"

#include <QDate>
#include <cctype>
#include <string_view>
#include <unordered_set>

namespace {

int Piece(const std::string& text, std::size_t from, std::size_t length) {
    std::string piece = from < text.size() ? text.substr(from, length) : std::string();
    int value = 0;
    if (!ReadDecimal(piece, value))
        throw EConvertError("'" + piece + "' is not a valid integer value");
    return value;
}

std::string Upper(const std::string& s) {
    std::string u = s;
    for (char& c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

} // namespace

TDateTime ParseServerDateTime(const std::string& text) {
    int year = Piece(text, 0, 4), month = Piece(text, 5, 2), day = Piece(text, 8, 2);
    int hour = Piece(text, 11, 2), minute = Piece(text, 14, 2), second = Piece(text, 17, 2);
    if (year < 1 || year > 9999 || !QDate::isValid(year, month, day) || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
        throw EConvertError("'" + text + "' is not a valid date and time");
    return {QDate(year, month, day).toJulianDay(), hour * 3600 + minute * 60 + second};
}

void ParseStatisticsReply(const std::string& reply, std::vector<TTrace>& traces,
                          const std::function<void(const std::string&)>& newCode) {
    std::string text = ReplaceAll(reply, "^OK", "");
    text = ReplaceAll(text, "^", "\r\n");
    text = ReplaceAll(text, "\",\"", ",");
    if (text == "OK")
        return;
    std::unordered_set<std::string> seen;
    std::vector<std::string> pieces;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t brk = text.find_first_of("\r\n", pos);
        std::size_t end = brk == std::string::npos ? text.size() : brk;
        SplitByChar(',', text.substr(pos, end - pos), pieces);
        if (pieces.size() < 4)
            throw EConvertError("a record of the statistics has fewer than four fields");
        TTrace trace;
        trace.CouponCode = pieces[1];
        trace.DateUsed = ParseServerDateTime(pieces[2]);
        trace.ComputerIP = RemoveQuotes(pieces[3]);
        traces.push_back(std::move(trace));
        if (seen.insert(Upper(traces.back().CouponCode)).second)
            newCode(traces.back().CouponCode);
        if (brk == std::string::npos)
            break;
        pos = brk + ((text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n') ? 2 : 1);
    }
}
