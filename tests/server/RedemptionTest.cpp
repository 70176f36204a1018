// SPDX-License-Identifier: GPL-3.0-or-later
// Action 7 as a buyer's browser sends it (url-encoded, no "end" field): the
// buyer is sent on to the coupon's order page or to the invalid page, and
// every accepted code shows in the log of action 6.

#include "tests/server/SiteRequests.h"
#include "tests/support/DemoSiteEnvironment.h"

#include <gtest/gtest.h>
#include <regex>

namespace {


class Redemption : public FreshSiteTest {
protected:
    void SetUp() override {
        FreshSiteTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        today = DbToday();
        yesterday = DbYesterday();
    }

    void Add(const std::string& code, const std::string& kind, const std::string& days, const std::string& date,
             const std::string& created, const std::string& expired = "0",
             const std::string& orderURL = "") {
        // orderURL: empty for the code's own order page, "-" for none.
        TCouponRecord r;
        r.coupcode = code;
        r.coupname = "Coupon " + code;
        r.coupexpired = expired;
        r.coupexpirtype = kind;
        r.coupexpirdays = days;
        r.coupexpirdate = date;
        r.couponorderurl = orderURL.empty() ? "http://shop.example/order-" + code + ".html" : orderURL;
        if (orderURL == "-")
            r.couponorderurl.clear();
        r.couponcomments = "";
        r.coupcreatedate = created;
        ASSERT_EQ(PostFields(AddCouponFields(r)).body, "OK") << code;
    }

    static RawReply Redeem(const std::string& code) {
        return BuyerPost({{"coupcode", code}, {"action", "7"}, {"send", "Submit"}});
    }

    std::string today, yesterday;
};

struct BuyerCase {
    const char* what;
    std::string typed;
    bool accepted;  // to the order page of the typed code, else to the invalid page
};

TEST_F(Redemption, ValidCodesLeadToTheOrderPageAndAllOthersToTheInvalidPage) {
    Add("ONCE01", "1", "1", "2000-1-1", today);
    Add("USED01", "1", "1", "2000-1-1", today);
    Add("MARKED", "", "1", "2000-1-1", today, "1");
    Add("DAYS1T", "2", "1", "2000-1-1", today);
    Add("DAYS1Y", "2", "1", "2000-1-1", yesterday);
    Add("DAYS2Y", "2", "2", "2000-1-1", yesterday);
    Add("DAYS0T", "2", "0", "2000-1-1", today);
    Add("DATE0T", "3", "0", today, "2000-1-1");
    Add("DATE0Y", "3", "0", yesterday, yesterday);
    Add("NOKIND", "", "0", "2000-1-1", "2000-1-1");
    Add("NOPAGE", "", "0", "2000-1-1", today, "0", "-");
    ASSERT_EQ(Redeem("USED01").location, "http://shop.example/order-USED01.html");

    const std::vector<BuyerCase> cases = {
        {"one time use, first use", "ONCE01", true},
        {"one time use, second use", "ONCE01", false},
        {"one time use, used before", "USED01", false},
        {"marked expired", "MARKED", false},
        {"one day, made today", "DAYS1T", true},
        {"one day, made yesterday", "DAYS1Y", false},
        {"two days, made yesterday", "DAYS2Y", true},
        {"two days, used again the same day", "DAYS2Y", true},
        {"zero days", "DAYS0T", false},
        {"by date, today is the last day", "DATE0T", true},
        {"by date, the date has passed", "DATE0Y", false},
        {"no kind of expiry", "NOKIND", true},
        {"no order page", "NOPAGE", false},
        {"unknown code", "ZZZZZZ", false},
        {"other letter case", "once01", false},
        {"trailing blank", "DAYS2Y ", false},
        {"empty code", "", false},
        {"SQL-like code", "' OR '1'='1", false},
        {"SQL-like code with a comment", "NOKIND' -- ", false},
    };
    std::vector<std::string> logged = {"USED01"};
    for (const BuyerCase& c : cases) {
        RawReply reply = Redeem(c.typed);
        EXPECT_EQ(reply.status, 303) << c.what;
        EXPECT_EQ(reply.location, c.accepted ? "http://shop.example/order-" + c.typed + ".html" : kInvalidPage)
            << c.what;
        if (c.accepted)
            logged.push_back(c.typed);
    }

    // A one-time coupon is marked expired once used.
    std::string record;
    ASSERT_TRUE(JudgeFetch(PostFields(FetchCouponFields("1")).body, record));
    TFetchedCoupon once;
    std::string why;
    ASSERT_TRUE(DecodeFetchedCoupon(record, once, why)) << why;
    EXPECT_TRUE(once.Expired);

    // The log: one record per accepted use, in order, each a leading field,
    // the code, the database's date and time, and the buyer's address.
    std::string log = PostFields(StatisticsFields()).body;
    std::string pattern;
    std::vector<std::string> dateParts;
    std::regex dateRe(R"((\d{4})-(\d+)-(\d+))");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(today, m, dateRe));
    char day[16];
    std::snprintf(day, sizeof day, "%04d-%02d-%02d", std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]));
    for (const std::string& code : logged)
        pattern += "\"[1-9][0-9]*\",\"" + code + "\",\"" + day + " [0-2][0-9]:[0-5][0-9]:[0-5][0-9]\",\"127\\.0\\.0\\.1\"\\^";
    pattern += "OK";
    EXPECT_TRUE(std::regex_match(log, std::regex(pattern))) << log;
}

TEST_F(Redemption, TheBuyersRequestMayComeInAnyFormAFormCanTake) {
    Add("FORM01", "", "0", "2000-1-1", today);
    // Enter in the text field submits without the button's field.
    EXPECT_EQ(BuyerPost({{"coupcode", "FORM01"}, {"action", "7"}}).location, "http://shop.example/order-FORM01.html");
    // A form that names multipart/form-data as its encoding.
    RawReply multipart = RawRequest("POST", "multipart/form-data; boundary=XyZ",
                                    "--XyZ\r\nContent-Disposition: form-data; name=\"coupcode\"\r\n\r\nFORM01\r\n"
                                    "--XyZ\r\nContent-Disposition: form-data; name=\"action\"\r\n\r\n7\r\n--XyZ--\r\n");
    EXPECT_EQ(multipart.location, "http://shop.example/order-FORM01.html");
    // No code at all, or a code sent as a list.
    EXPECT_EQ(BuyerPost({{"action", "7"}, {"send", "Submit"}}).location, kInvalidPage);
    EXPECT_EQ(BuyerPost({{"coupcode[]", "FORM01"}, {"action", "7"}}).location, kInvalidPage);
}

TEST_F(Redemption, WithoutAnInvalidPageTheBuyerGetsAPlainText) {
    for (const std::string& page : {std::string(), std::string("http://shop.example/\r\nSet-Cookie: x=1")}) {
        site->PutFile("coupsettings.php", DemoSite::SettingsScript(site->DbHost(), site->Database(), site->DbUser(),
                                                                   site->DbPassword(), page));
        RawReply reply = Redeem("NOSUCH");
        EXPECT_EQ(reply.status, 404);
        EXPECT_EQ(reply.location, "");
        EXPECT_EQ(reply.body, "The coupon code is not valid.");
    }
}

TEST_F(Redemption, AnOrderPageWithBytesThatAHeaderCannotCarryStillLeadsThereAndIsLoggedOnce) {
    // Such bytes go percent-encoded, as a browser would request them; a tab
    // is header text and stays.
    struct Case {
        const char* what;
        std::string stored, location;
        bool storedBySql;  // a line break, which only an older script or SQL stores
    };
    const std::vector<Case> cases = {
        {"a NUL byte", std::string("http://shop.example/a\0b", 23), "http://shop.example/a%00b", false},
        {"a control byte", "http://shop.example/a\x01z", "http://shop.example/a%01z", false},
        {"an escape sequence", "http://shop.example/\x1B[31m", "http://shop.example/%1B[31m", false},
        {"DEL", "http://shop.example/a\x7F", "http://shop.example/a%7F", false},
        {"a tab", "http://shop.example/a\tb", "http://shop.example/a\tb", false},
        {"a line break and a header after it", "http://shop.example/a\r\nSet-Cookie: x=1",
         "http://shop.example/a%0D%0ASet-Cookie: x=1", true},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string code = "BYTES" + std::to_string(++n);
        Add(code, "", "0", "2000-1-1", today, "0", c.storedBySql ? "" : c.stored);
        if (c.storedBySql) {
            std::string hex;
            for (unsigned char b : c.stored) {
                char two[3];
                std::snprintf(two, sizeof two, "%02X", b);
                hex += two;
            }
            site->Sql("UPDATE " + site->Database() + ".couponsactions_coupons SET couponorderurl = 0x" + hex +
                      " WHERE coupcode = '" + code + "'");
        }
        RawReply reply = Redeem(code);
        EXPECT_EQ(reply.status, 303) << c.what << ": " << reply.body;
        EXPECT_EQ(reply.location, c.location) << c.what;
        EXPECT_EQ(SqlValue("SELECT COUNT(*) FROM " + site->Database() + ".couponsactions_uses WHERE coupcode = '" +
                           code + "'"),
                  "1")
            << c.what;
    }
}

TEST_F(Redemption, DeletingCouponsDeletesTheirUses) {
    Add("KEEP01", "", "0", "2000-1-1", today);
    Add("GONE01", "", "0", "2000-1-1", today);
    ASSERT_EQ(Redeem("KEEP01").location, "http://shop.example/order-KEEP01.html");
    ASSERT_EQ(Redeem("GONE01").location, "http://shop.example/order-GONE01.html");
    ASSERT_EQ(Redeem("GONE01").location, "http://shop.example/order-GONE01.html");
    ASSERT_EQ(PostFields(DeleteCouponsFields("2")).body, "OK");
    std::string log = PostFields(StatisticsFields()).body;
    EXPECT_TRUE(std::regex_match(log, std::regex(R"("1","KEEP01","[^"]+","127\.0\.0\.1"\^OK)"))) << log;
    ASSERT_EQ(PostFields(DeleteCouponsFields("all")).body, "OK");
    EXPECT_EQ(PostFields(StatisticsFields()).body, "OK");
}

} // namespace
