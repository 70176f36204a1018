// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The request/reply protocol spoken with the site's couponsactions.php, as
// pure functions on byte strings: the script URL, the form fields of each
// action, the judgement of replies, and the decoding of list and record
// replies. Nothing here touches the network.

#include "service/CouponRecord.h"
#include "service/CouponRow.h"
#include "service/ServerSettings.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

using TFormFields = std::vector<std::pair<std::string, std::string>>;

// Reply substitutes after a failed request.
inline constexpr const char* kBadReply = "BAD";
inline constexpr const char* kDontExistRecord = "DON'T EXIST RECORD";
inline constexpr const char* kExistRecord = "EXIST RECORD";

// The site URL, "/", and the script name, concatenated as they are.
std::string ScriptURL(const TServerSettings& settings);

// The fields of each action: "action" first, "end" with an empty value last.
TFormFields CheckServerFields();                                         // action 1
TFormFields AddCouponFields(const TCouponRecord& record);                 // action 2
TFormFields UpdateCouponFields(const TCouponRecord& record);              // action 3
TFormFields DeleteCouponsFields(const std::string& ids);                  // action 4
TFormFields RefreshCouponsFields();                                      // action 5
TFormFields StatisticsFields();                                          // action 6
TFormFields CouponCodeExistsFields(const std::string& code);              // action 8
TFormFields FetchCouponFields(const std::string& id);                     // action 9

// Judgement of a reply (or its substitute).
bool ReplyIsOK(const ServiceReply& reply);          // equals "OK"
bool ReplyHasOK(const ServiceReply& reply);         // contains "OK"
SaveOutcome JudgeAdd(const ServiceReply& reply);    // "OK" 1, "EXIST RECORD" 2, else 0
SaveOutcome JudgeUpdate(const ServiceReply& reply); // "OK" 1, "DON'T EXIST RECORD" 2, else 0
bool JudgeCodeExists(const ServiceReply& reply);    // equals "EXIST RECORD"

// Turns a records reply into lines of fields: "^OK" removed, each "^" a line
// break, each double quote-comma-double quote a comma, lines split at CR, LF
// or CR LF (no empty last line for a final break), each line split at every
// comma. A reply that is then exactly "OK" has no lines.
std::vector<std::vector<std::string>> RecordLines(const ServiceReply& reply);

// The coupon list of an action-5 reply. A line with fewer than four fields
// stops the decoding: the rows before it are kept and complete is false.
struct TCouponListDecode {
    std::vector<TCouponRow> rows;
    bool complete = true;
};
TCouponListDecode DecodeCouponList(const ServiceReply& reply);

// The record text of an action-9 reply: the reply with every "^OK" removed.
// True when it holds a record: the reply contains "OK" and the text is not
// just "OK".
bool JudgeFetch(const ServiceReply& reply, std::string& record);

// A fetched record read into the editor's values.
struct TFetchedCoupon {
    std::string Id;
    std::string Code;
    std::string Name;
    bool Expired = false;
    std::string Kind;  // "1", "2", "3" or anything else (no kind chosen)
    int Days = 0;
    int Year = 0, Month = 0, Day = 0;
    std::string OrderURL;
    std::string Comments;
};

// Reads fields 0 to 8 of a record text. False, with the reason, when the
// record cannot fill the editor: fewer than nine fields, a day count that is
// not a whole number, or an expiry date without three numeric parts.
bool DecodeFetchedCoupon(const std::string& record, TFetchedCoupon& coupon, std::string& reason);

// Every occurrence of from replaced by to, in one pass.
std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to);
// Every double quote removed.
std::string RemoveQuotes(const std::string& text);
// Blanks and control characters around the text removed.
std::string TrimBlanks(const std::string& text);
// A whole decimal number, optionally signed, with blanks around it allowed.
bool ReadDecimal(std::string_view text, int& value);
