// SPDX-License-Identifier: GPL-3.0-or-later
#include "service/CouponService.h"

#include "http/IdHTTP.h"
#include "http/IdMultiPartFormDataStream.h"

TCouponService::TCouponService(TIdHTTP& http, const TServerSettings& settings)
    : http_(http), settings_(settings) {}

bool TCouponService::Busy() const { return http_.Busy(); }

ServiceReply TCouponService::Post(const TFormFields& fields, const std::string& substitute) {
    try {
        http_.SetReadTimeout(kReadTimeout);
        TIdMultiPartFormDataStream body;
        for (const auto& [name, value] : fields)
            body.AddField(name, value);
        return http_.PostForm(ScriptURL(settings_), body);
    } catch (...) {
        return substitute;
    }
}

bool TCouponService::CheckServer() { return ReplyIsOK(Post(CheckServerFields(), kBadReply)); }

SaveOutcome TCouponService::AddCoupon(const TCouponRecord& record) {
    // The script is fetched once before the add; its answer is not read,
    // but when the fetch fails nothing is posted.
    try {
        http_.SetReadTimeout(kReadTimeout);
        http_.GetText(ScriptURL(settings_));
    } catch (...) {
        return SaveOutcome::Trouble;
    }
    return JudgeAdd(Post(AddCouponFields(record), kBadReply));
}

SaveOutcome TCouponService::UpdateCoupon(const TCouponRecord& record) {
    return JudgeUpdate(Post(UpdateCouponFields(record), kBadReply));
}

bool TCouponService::DeleteCoupons(const std::string& ids) {
    return ReplyIsOK(Post(DeleteCouponsFields(ids), kBadReply));
}

bool TCouponService::RefreshCoupons(const std::function<void(std::vector<TCouponRow>)>& fill) {
    ServiceReply reply = Post(RefreshCouponsFields(), kBadReply);
    if (!ReplyHasOK(reply))
        return false;
    try {
        TCouponListDecode list = DecodeCouponList(reply);
        fill(std::move(list.rows));
        return list.complete;
    } catch (...) {
        return false;
    }
}

bool TCouponService::CouponCodeExists(const std::string& code) {
    return JudgeCodeExists(Post(CouponCodeExistsFields(code), kDontExistRecord));
}

bool TCouponService::FetchCoupon(const std::string& id, std::string& record) {
    record.clear();
    ServiceReply reply = Post(FetchCouponFields(id), "");
    if (reply.empty())
        return false;
    return JudgeFetch(reply, record);
}
