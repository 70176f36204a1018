// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/BulkRun.h"

#include "service/CouponProtocol.h"
#include "service/CouponService.h"
#include "service/SplitByChar.h"

namespace {

std::string Coupons(std::size_t n) { return std::to_string(n) + (n == 1 ? " coupon" : " coupons"); }

} // namespace

TBulkRun::TResult TBulkRun::Run(TCouponService& service, const TCouponRecord& values, int count,
                                const std::function<std::string()>& draw, const std::function<bool(int)>& goOn) {
    TResult result;
    for (int k = 1; k <= count; ++k) {
        if (!goOn(k)) {
            result.Stop = TStop::Stopped;
            return result;
        }
        TCouponRecord record = values;
        record.coupid.clear();
        for (int tries = 1;; ++tries) {
            if (tries > kMaxTries) {
                result.Stop = TStop::NoFreeCode;
                return result;
            }
            record.coupcode = draw();
            if (service.CouponCodeExists(record.coupcode))
                continue;
            record.coupcreatedate = WireDateToday();
            const SaveOutcome outcome = service.AddCoupon(record);
            if (outcome == SaveOutcome::Done)
                break;
            // Taken between the check and the add: another code.
            if (outcome == SaveOutcome::Conflict)
                continue;
            result.Stop = TStop::Failed;
            return result;
        }
        result.Added.push_back(record);
    }
    return result;
}

std::string TBulkRun::OutcomeText(const TResult& result, int count) {
    const std::size_t added = result.Added.size();
    std::string text = "Added " + Coupons(added) + ".";
    const std::string next = std::to_string(added + 1) + " of " + std::to_string(count);
    switch (result.Stop) {
    case TStop::Done:
        break;
    case TStop::Stopped:
        text += " The run was cancelled: " + std::to_string(count - static_cast<int>(added)) + " of the " +
                std::to_string(count) + " were not added.";
        break;
    case TStop::Failed:
        text += " Adding coupon " + next +
                " failed, so the run stopped there. Please check your settings and your internet connection.";
        break;
    case TStop::NoFreeCode:
        text += " No free code was found for coupon " + next + " after " + std::to_string(kMaxTries) +
                " tries, so the run stopped there. Please choose more random letters or another prefix.";
        break;
    }
    return text;
}
