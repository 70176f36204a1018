// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/CouponProtocol.h"

#include "service/SplitByChar.h"

#include <climits>

namespace {

TFormFields Action(const char* number, TFormFields fields) {
    fields.insert(fields.begin(), {"action", number});
    fields.emplace_back("end", "");
    return fields;
}

TFormFields RecordFields(const char* number, const TCouponRecord& r) {
    return Action(number, {{"coupid", r.coupid},
                           {"coupcode", r.coupcode},
                           {"coupname", r.coupname},
                           {"coupexpired", r.coupexpired},
                           {"coupexpirtype", r.coupexpirtype},
                           {"coupexpirdays", r.coupexpirdays},
                           {"coupexpirdate", r.coupexpirdate},
                           {"couponorderurl", r.couponorderurl},
                           {"couponcomments", r.couponcomments},
                           {"coupcreatedate", r.coupcreatedate}});
}

} // namespace

std::string ScriptURL(const TServerSettings& settings) {
    return settings.WebServer + "/" + (settings.ScriptName.empty() ? kScriptName : settings.ScriptName);
}

TFormFields CheckServerFields() { return Action("1", {}); }
TFormFields AddCouponFields(const TCouponRecord& record) { return RecordFields("2", record); }
TFormFields UpdateCouponFields(const TCouponRecord& record) { return RecordFields("3", record); }
TFormFields DeleteCouponsFields(const std::string& ids) { return Action("4", {{"coupdeleteids", ids}}); }
TFormFields RefreshCouponsFields() { return Action("5", {}); }
TFormFields StatisticsFields() { return Action("6", {}); }
TFormFields CouponCodeExistsFields(const std::string& code) { return Action("8", {{"coupcode", code}}); }
TFormFields FetchCouponFields(const std::string& id) { return Action("9", {{"coupid", id}}); }

bool ReplyIsOK(const ServiceReply& reply) { return reply == "OK"; }
bool ReplyHasOK(const ServiceReply& reply) { return reply.find("OK") != std::string::npos; }

SaveOutcome JudgeAdd(const ServiceReply& reply) {
    if (reply == "OK")
        return SaveOutcome::Done;
    return reply == kExistRecord ? SaveOutcome::Conflict : SaveOutcome::Trouble;
}

SaveOutcome JudgeUpdate(const ServiceReply& reply) {
    if (reply == "OK")
        return SaveOutcome::Done;
    return reply == kDontExistRecord ? SaveOutcome::Conflict : SaveOutcome::Trouble;
}

bool JudgeCodeExists(const ServiceReply& reply) { return reply == kExistRecord; }

std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        std::size_t hit = text.find(from, pos);
        if (hit == std::string::npos)
            break;
        out.append(text, pos, hit - pos);
        out += to;
        pos = hit + from.size();
    }
    out.append(text, pos, std::string::npos);
    return out;
}

std::string RemoveQuotes(const std::string& text) { return ReplaceAll(text, "\"", ""); }

std::string TrimBlanks(const std::string& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

bool ReadDecimal(std::string_view t, int& value) {
    while (!t.empty() && static_cast<unsigned char>(t.front()) <= ' ')
        t.remove_prefix(1);
    while (!t.empty() && static_cast<unsigned char>(t.back()) <= ' ')
        t.remove_suffix(1);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+'))
        negative = t[i++] == '-';
    if (i == t.size())
        return false;
    long long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9')
            return false;
        v = v * 10 + (t[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    v = negative ? -v : v;
    if (v > INT_MAX || v < INT_MIN)
        return false;
    value = static_cast<int>(v);
    return true;
}

std::vector<std::vector<std::string>> RecordLines(const ServiceReply& reply) {
    std::string text = ReplaceAll(reply, "^OK", "");
    text = ReplaceAll(text, "^", "\r\n");
    text = ReplaceAll(text, "\",\"", ",");
    std::vector<std::vector<std::string>> lines;
    if (text == "OK")
        return lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t brk = text.find_first_of("\r\n", pos);
        std::size_t end = brk == std::string::npos ? text.size() : brk;
        lines.emplace_back();
        SplitByChar(',', text.substr(pos, end - pos), lines.back());
        if (brk == std::string::npos)
            break;
        pos = brk + ((text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

TCouponListDecode DecodeCouponList(const ServiceReply& reply) {
    TCouponListDecode result;
    std::vector<std::vector<std::string>> lines = RecordLines(reply);
    result.rows.reserve(lines.size());
    for (std::vector<std::string>& f : lines) {
        if (f.size() < 4) {
            result.complete = false;
            break;
        }
        TCouponRow row;
        row.Name = std::move(f[2]);
        row.Code = std::move(f[1]);
        row.Expired = TrimBlanks(RemoveQuotes(f[3])) == "1" ? "True" : "False";
        row.Id = TrimBlanks(RemoveQuotes(f[0]));
        result.rows.push_back(std::move(row));
    }
    return result;
}

bool JudgeFetch(const ServiceReply& reply, std::string& record) {
    record = ReplaceAll(reply, "^OK", "");
    // "OK" alone, and "^OK" alone (nothing left), carry no coupon.
    if (record == "OK" || record.empty())
        return false;
    return ReplyHasOK(reply);
}

bool DecodeFetchedCoupon(const std::string& record, TFetchedCoupon& c, std::string& reason) {
    std::vector<std::string> f;
    SplitByChar(',', ReplaceAll(record, "\",\"", ","), f);
    if (f.size() < 9) {
        reason = "the record has " + std::to_string(f.size()) + " fields instead of at least nine";
        return false;
    }
    TFetchedCoupon out;
    out.Id = RemoveQuotes(f[0]);
    out.Code = f[1];
    out.Name = f[2];
    out.Expired = f[3] == "1";
    out.Kind = f[4];
    if (!ReadDecimal(RemoveQuotes(f[5]), out.Days)) {
        reason = "the day count \"" + RemoveQuotes(f[5]) + "\" is not a whole number";
        return false;
    }
    std::vector<std::string> date;
    std::string dateText = RemoveQuotes(f[6]);
    SplitByChar('-', dateText, date);
    if (date.size() != 3 || !ReadDecimal(date[0], out.Year) || !ReadDecimal(date[1], out.Month) ||
        !ReadDecimal(date[2], out.Day)) {
        reason = "the expiry date \"" + dateText + "\" is not a date of the form year-month-day";
        return false;
    }
    out.OrderURL = f[7];
    out.Comments = f[8];
    c = std::move(out);
    return true;
}
