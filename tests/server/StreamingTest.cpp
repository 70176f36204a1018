// SPDX-License-Identifier: GPL-3.0-or-later
// The list and the log at a size of many blocks: the script streams them, and
// what arrives is byte for byte the whole reply; a failure after the first
// block has gone out ends the reply without its final "^OK".

#include "tests/server/SiteRequests.h"
#include "tests/support/LoopbackExchange.h"
#include "tests/support/SiteData.h"

#include <gtest/gtest.h>

namespace {

using Streaming = EachStackTest;
INSTANTIATE_FOR_EACH_STACK(Streaming);

TEST_P(Streaming, ListsAndLogsOfManyBlocksComeBackWhole) {
    constexpr int kCoupons = 30000, kUses = 40000;
    FillCoupons(*site, kCoupons);
    FillUses(*site, kUses, kCoupons);
    struct Case {
        const char* what;
        TFormFields fields;
        std::string reply;
    };
    const std::vector<Case> cases = {
        {"the list", RefreshCouponsFields(), ListReply(kCoupons)},
        {"the log", StatisticsFields(), LogReply(kUses, kCoupons)},
    };
    for (const Case& c : cases) {
        SiteReply reply = PostFields(c.fields);
        EXPECT_EQ(reply.status, 200) << c.what;
        // Compared whole, without printing megabytes when they differ.
        EXPECT_EQ(reply.body.size(), c.reply.size()) << c.what;
        EXPECT_TRUE(reply.body == c.reply) << c.what;
    }
    TCouponListDecode list = DecodeCouponList(PostFields(RefreshCouponsFields()).body);
    EXPECT_TRUE(list.complete);
    EXPECT_EQ(list.rows.size(), static_cast<std::size_t>(kCoupons));
}

using StreamCut = FreshSiteTest;

TEST_F(StreamCut, AFailureInTheMiddleOfTheLogEndsTheReplyWithoutItsFinalOK) {
    // 30 MB: several times what the connections between the database and
    // this side were seen to hold while this side did not read (3 to 8 MB).
    constexpr int kUses = 600000, kCoupons = 100;
    FillCoupons(*site, kCoupons);
    FillUses(*site, kUses, kCoupons);

    // The database fails the query while the script is held back by this
    // side's reading, after the first block has arrived.
    std::string cut;
    RawOptions options;
    options.receiveBuffer = 8192;
    options.onFirstBody = [&] {
        std::string id = SqlValue("SELECT id FROM information_schema.processlist WHERE user = '" + site->DbUser() +
                                  "' AND command = 'Query' AND info LIKE '%FROM couponsactions_uses%'");
        if (id.empty())
            return;  // already sent whole
        site->Sql("KILL QUERY " + id);
        cut = id;
    };
    RawReply reply = RawRequest("POST", "multipart/form-data; boundary=XyZ", FormDataBody(StatisticsFields(), "XyZ"),
                                options);
    ASSERT_FALSE(cut.empty()) << "the log was sent whole before the query could be failed";

    EXPECT_EQ(reply.status, 200);
    EXPECT_FALSE(reply.body.ends_with("^OK"));
    const std::string failure = "ERROR: the server failed";
    ASSERT_TRUE(reply.body.ends_with(failure)) << reply.body.substr(reply.body.size() - std::min<std::size_t>(200, reply.body.size()));
    // Whole records up to the cut, each as the log has it; the failure line
    // stands on a record of its own.
    const std::string records = reply.body.substr(0, reply.body.size() - failure.size());
    const std::string whole = LogReply(kUses, kCoupons);
    EXPECT_TRUE(records.ends_with("\"^"));
    EXPECT_LT(records.size(), whole.size() - 2);
    EXPECT_TRUE(whole.compare(0, records.size(), records) == 0) << "the records before the cut differ from the log";
    EXPECT_NE(site->WebLog().find("couponsactions.php: a streamed reply was cut short"), std::string::npos)
        << site->WebLog();
}

} // namespace
