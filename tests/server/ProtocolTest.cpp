// SPDX-License-Identifier: GPL-3.0-or-later
// The reference script against the protocol, byte for byte: each request is
// posted as the client posts it (form-data through TIdHTTP, the fields from
// the client's own field builders) to the real script with a real MariaDB
// behind it, and each reply is compared whole. Every case runs under Apache
// with PHP, as shops host the script, and under PHP's built-in web server,
// which the demo site uses.

#include "tests/server/SiteRequests.h"
#include "tests/support/DemoSiteEnvironment.h"

#include <gtest/gtest.h>
#include <chrono>
#include <filesystem>
#include <regex>

static ::testing::Environment* const kSite =
    ::testing::AddGlobalTestEnvironment(new DemoSiteEnvironment(ServerTestSite()));

namespace {


TCouponRecord Coupon(const std::string& code, const std::string& name) {
    TCouponRecord r;
    r.coupcode = code;
    r.coupname = name;
    r.coupexpired = "0";
    r.coupexpirtype = "1";
    r.coupexpirdays = "1";
    r.coupexpirdate = "2030-7-5";
    r.couponorderurl = "http://shop.example/order?coupon=1&x=2";
    r.couponcomments = "first line\r\nsecond line";
    r.coupcreatedate = "2024-1-2";
    return r;
}

TCouponRecord WithId(TCouponRecord r, const std::string& id) {
    r.coupid = id;
    return r;
}

// The record of action 9 for a stored coupon: the ten fields in wire order.
std::string FetchReply(const TCouponRecord& r) {
    return "\"" + r.coupid + "\",\"" + r.coupcode + "\",\"" + r.coupname + "\",\"" + r.coupexpired + "\",\"" +
           r.coupexpirtype + "\",\"" + r.coupexpirdays + "\",\"" + r.coupexpirdate + "\",\"" + r.couponorderurl +
           "\",\"" + r.couponcomments + "\",\"" + r.coupcreatedate + "\"^OK";
}

TFormFields Replace(TFormFields fields, const std::string& name, const std::string& value) {
    for (auto& f : fields)
        if (f.first == name)
            f.second = value;
    return fields;
}

TFormFields Without(TFormFields fields, const std::string& name) {
    std::erase_if(fields, [&](const auto& f) { return f.first == name; });
    return fields;
}

using ServerProtocol = EachStackTest;
INSTANTIATE_FOR_EACH_STACK(ServerProtocol);

struct Step {
    const char* what;
    TFormFields fields;
    std::string reply;
};

TEST_P(ServerProtocol, AConversationOfEveryActionIsAnsweredByteForByte) {
    TCouponRecord spring = Coupon("ABCDEF", "Spring sale");
    TCouponRecord lower = Coupon("abcdef", "Lower case");
    lower.coupexpired = "1";
    TCouponRecord blank = Coupon("ABCDEF ", "Trailing blank");
    TCouponRecord summer = WithId(Coupon("SUMMER", "Summer sale"), "1");
    summer.coupexpirtype = "3";
    summer.coupexpirdays = "14";
    summer.coupexpirdate = "2031-12-31";
    summer.couponorderurl = "http://shop.example/summer";
    summer.couponcomments = "edited\nonce";
    summer.coupcreatedate = "2025-5-5";
    TCouponRecord summerStored = summer;
    summerStored.coupcreatedate = "2024-1-2";  // the creation date stays
    TCouponRecord clash = WithId(Coupon("abcdef", "Clash"), "2");

    const std::vector<Step> steps = {
        {"ready", CheckServerFields(), "OK"},
        {"no coupons", RefreshCouponsFields(), "OK"},
        {"no uses", StatisticsFields(), "OK"},
        {"fetch of a coupon that is not there", FetchCouponFields("1"), "OK"},
        {"code free", CouponCodeExistsFields("ABCDEF"), "DON'T EXIST RECORD"},
        {"add", AddCouponFields(spring), "OK"},
        {"add of a taken code", AddCouponFields(spring), "EXIST RECORD"},
        {"codes differing in case are different codes", AddCouponFields(lower), "OK"},
        {"so are codes differing by a trailing blank", AddCouponFields(blank), "OK"},
        {"code taken", CouponCodeExistsFields("ABCDEF"), "EXIST RECORD"},
        {"code taken, other case", CouponCodeExistsFields("abcdef"), "EXIST RECORD"},
        {"code taken, trailing blank", CouponCodeExistsFields("ABCDEF "), "EXIST RECORD"},
        {"code free, prefix", CouponCodeExistsFields("ABCDE"), "DON'T EXIST RECORD"},
        {"code free, two blanks", CouponCodeExistsFields("ABCDEF  "), "DON'T EXIST RECORD"},
        {"list", RefreshCouponsFields(),
         "\"1\",\"ABCDEF\",\"Spring sale\",\"0\"^\"2\",\"abcdef\",\"Lower case\",\"1\"^"
         "\"3\",\"ABCDEF \",\"Trailing blank\",\"0\"^OK"},
        {"fetch", FetchCouponFields("1"), FetchReply(WithId(spring, "1"))},
        {"update", UpdateCouponFields(summer), "OK"},
        {"fetch after update keeps the creation date", FetchCouponFields("1"), FetchReply(summerStored)},
        {"update of a coupon that is not there", UpdateCouponFields(WithId(summer, "99")), "DON'T EXIST RECORD"},
        {"update to another coupon's code", UpdateCouponFields(WithId(Coupon("SUMMER", "x"), "2")), "EXIST RECORD"},
        {"update to a code differing in case only", UpdateCouponFields(clash), "OK"},
        {"delete two", DeleteCouponsFields("1,3"), "OK"},
        {"list after delete", RefreshCouponsFields(), "\"2\",\"abcdef\",\"Clash\",\"0\"^OK"},
        {"fetch of a deleted coupon", FetchCouponFields("1"), "OK"},
        {"delete with a repeated and a missing identifier", DeleteCouponsFields("2,2,77"), "OK"},
        {"list after deleting the last", RefreshCouponsFields(), "OK"},
        {"add after delete", AddCouponFields(spring), "OK"},
        {"add another", AddCouponFields(Coupon("GHIJKL", "Another")), "OK"},
        {"delete all", DeleteCouponsFields("all"), "OK"},
        {"list after delete all", RefreshCouponsFields(), "OK"},
        {"delete all of nothing", DeleteCouponsFields("all"), "OK"},
    };
    for (const Step& step : steps) {
        SiteReply reply = PostFields(step.fields);
        EXPECT_EQ(reply.status, 200) << step.what;
        EXPECT_EQ(reply.body, step.reply) << step.what;
    }
}

TEST_P(ServerProtocol, TheClientsJudgementOfTheRepliesIsTheIntendedOne) {
    TCouponRecord spring = Coupon("ABCDEF", "Spring sale");
    EXPECT_TRUE(ReplyIsOK(PostFields(CheckServerFields()).body));
    EXPECT_EQ(JudgeAdd(PostFields(AddCouponFields(spring)).body), SaveOutcome::Done);
    EXPECT_EQ(JudgeAdd(PostFields(AddCouponFields(spring)).body), SaveOutcome::Conflict);
    EXPECT_TRUE(JudgeCodeExists(PostFields(CouponCodeExistsFields("ABCDEF")).body));
    EXPECT_FALSE(JudgeCodeExists(PostFields(CouponCodeExistsFields("ZZZZZZ")).body));
    EXPECT_EQ(JudgeUpdate(PostFields(UpdateCouponFields(WithId(spring, "1"))).body), SaveOutcome::Done);
    EXPECT_EQ(JudgeUpdate(PostFields(UpdateCouponFields(WithId(spring, "5"))).body), SaveOutcome::Conflict);

    TCouponListDecode list = DecodeCouponList(PostFields(RefreshCouponsFields()).body);
    ASSERT_TRUE(list.complete);
    ASSERT_EQ(list.rows.size(), 1u);
    EXPECT_EQ(list.rows[0].Id, "1");
    EXPECT_EQ(list.rows[0].Code, "ABCDEF");
    EXPECT_EQ(list.rows[0].Name, "Spring sale");
    EXPECT_EQ(list.rows[0].Expired, "False");

    std::string record;
    EXPECT_FALSE(JudgeFetch(PostFields(FetchCouponFields("9")).body, record));
    ASSERT_TRUE(JudgeFetch(PostFields(FetchCouponFields("1")).body, record));
    TFetchedCoupon c;
    std::string why;
    ASSERT_TRUE(DecodeFetchedCoupon(record, c, why)) << why;
    EXPECT_EQ(c.Id, "1");
    EXPECT_EQ(c.Kind, "1");
    EXPECT_EQ(c.Days, 1);
    EXPECT_EQ(c.Year, 2030);
    EXPECT_EQ(c.Month, 7);
    EXPECT_EQ(c.Day, 5);
    EXPECT_EQ(c.Comments, "first line\r\nsecond line");

    EXPECT_TRUE(ReplyIsOK(PostFields(DeleteCouponsFields("1")).body));
}

TEST_P(ServerProtocol, ALongListOfIdentifiersIsDeletedInOneRequest) {
    // Select All over a long list sends every identifier at once.
    ASSERT_EQ(PostFields(AddCouponFields(Coupon("KEEPME", "Kept"))).body, "OK");
    ASSERT_EQ(PostFields(AddCouponFields(Coupon("GONE", "Deleted"))).body, "OK");
    std::string ids = "2";
    for (int id = 3; id <= 20000; ++id)
        ids += "," + std::to_string(id);
    EXPECT_EQ(PostFields(DeleteCouponsFields(ids)).body, "OK");
    EXPECT_EQ(PostFields(RefreshCouponsFields()).body, "\"1\",\"KEEPME\",\"Kept\",\"0\"^OK");
}

TEST_P(ServerProtocol, TheGetBeforeAnAddGetsAShortHarmlessAnswer) {
    SiteReply reply = GetScript();
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "Coupon service");
    EXPECT_EQ(CouponCount(), 0);
}

struct OddValues {
    const char* what;
    std::string code, name, url, comments;
};

TEST_P(ServerProtocol, SqlLikeHtmlLikeAndOddBytesAreStoredAndReturnedUnchanged) {
    const std::vector<OddValues> cases = {
        {"SQL-like", "X' OR '1'='1", "Robert'); DROP TABLE couponsactions_coupons;--",
         "http://shop.example/?q=' UNION SELECT password FROM mysql.user --", "\\'; DELETE FROM couponsactions_uses; #"},
        {"SQL wildcards", "AB%_", "100% off _today_", "http://shop.example/%25%27", "LIKE '%' ESCAPE '\\\\'"},
        {"HTML-like", "<b>B</b>", "<script>alert(\"x\")</script>", "http://shop.example/order?a=1&b=<i>",
         "<!-- --> &amp; &lt; <img src=x onerror=alert(1)>"},
        {"quotes", "\"QUOTED\"", "say \"hi\"", "http://shop.example/\"a\"", "\"\" '' ` \"end\""},
        {"PHP-like", "$code", "{$name} ${x} \\n \\0 %s", "http://shop.example/?<?php echo 1; ?>",
         "<?php system('id'); ?>"},
        {"blanks", " SPACED ", "\ttab and  two blanks ", " http://shop.example/ ", "  \r\n\n\r  "},
        {"eight-bit bytes", "\xC9T\xC9", "Caf\xE9 cr\xE8me", "http://shop.example/\xE0", "na\xEFve \xA4 \xFF"},
        {"UTF-8 bytes", "\xC3\xA9t\xC3\xA9", "\xE2\x82\xAC 10 off", "http://shop.example/\xC3\xA0",
         "\xF0\x9F\x8E\x81 gift"},
        {"NUL and control bytes", "N\x01L", std::string("a\0b", 3), "http://shop.example/\x7F",
         std::string("c\0\x1B[31m", 7)},
    };
    int id = 0;
    for (const OddValues& v : cases) {
        TCouponRecord r = Coupon(v.code, v.name);
        r.couponorderurl = v.url;
        r.couponcomments = v.comments;
        ASSERT_EQ(PostFields(AddCouponFields(r)).body, "OK") << v.what;
        r.coupid = std::to_string(++id);
        EXPECT_EQ(PostFields(FetchCouponFields(r.coupid)).body, FetchReply(r)) << v.what;
        EXPECT_EQ(PostFields(CouponCodeExistsFields(v.code)).body, "EXIST RECORD") << v.what;

        // And the client reads them back as they were typed.
        std::string record;
        ASSERT_TRUE(JudgeFetch(PostFields(FetchCouponFields(r.coupid)).body, record)) << v.what;
        TFetchedCoupon c;
        std::string why;
        ASSERT_TRUE(DecodeFetchedCoupon(record, c, why)) << v.what << ": " << why;
        EXPECT_EQ(c.Code, v.code) << v.what;
        EXPECT_EQ(c.Name, v.name) << v.what;
        EXPECT_EQ(c.OrderURL, v.url) << v.what;
        EXPECT_EQ(c.Comments, v.comments) << v.what;
    }
    TCouponListDecode list = DecodeCouponList(PostFields(RefreshCouponsFields()).body);
    ASSERT_TRUE(list.complete);
    ASSERT_EQ(list.rows.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(list.rows[i].Code, cases[i].code) << cases[i].what;
        EXPECT_EQ(list.rows[i].Name, cases[i].name) << cases[i].what;
    }
    // Nothing was executed: both tables are still there, with every row.
    EXPECT_EQ(CouponCount(), static_cast<int>(cases.size()));
    EXPECT_EQ(PostFields(StatisticsFields()).body, "OK");
}

struct Malformed {
    const char* what;
    TFormFields fields;
    int status;
    std::string reply;
};

TEST_P(ServerProtocol, MalformedRequestsGetAPlainErrorTextAndChangeNothing) {
    ASSERT_EQ(PostFields(AddCouponFields(Coupon("KEEPME", "Kept"))).body, "OK");
    const TFormFields add = AddCouponFields(Coupon("NEWONE", "New"));
    const TFormFields update = UpdateCouponFields(WithId(Coupon("NEWONE", "New"), "1"));
    const std::string bad = "ERROR: bad value in field ";
    const std::string missing = "ERROR: missing field ";
    const std::vector<Malformed> cases = {
        {"no action", {{"end", ""}}, 400, missing + "action"},
        {"empty body", {}, 400, missing + "action"},
        {"action 0", {{"action", "0"}, {"end", ""}}, 400, "ERROR: unknown action"},
        {"action 10", {{"action", "10"}, {"end", ""}}, 400, "ERROR: unknown action"},
        {"action with a blank", {{"action", "1 "}, {"end", ""}}, 400, "ERROR: unknown action"},
        {"action with a leading zero", {{"action", "01"}, {"end", ""}}, 400, "ERROR: unknown action"},
        {"action as a word", {{"action", "list"}, {"end", ""}}, 400, "ERROR: unknown action"},
        {"action sent as a list", {{"action[]", "1"}, {"end", ""}}, 400, missing + "action"},
        // The form-data encoding leaves a line break on the last field's
        // value, which is why "end" comes last; without it another field
        // takes that place.
        {"no end", {{"action", "1"}, {"padding", ""}}, 400, missing + "end"},
        {"no end, the action last", Without(CheckServerFields(), "end"), 400, "ERROR: unknown action"},
        {"add without a name", Without(add, "coupname"), 400, missing + "coupname"},
        {"add with an identifier", Replace(add, "coupid", "5"), 400, bad + "coupid"},
        {"add with an empty code", Replace(add, "coupcode", ""), 400, bad + "coupcode"},
        {"add with an empty name", Replace(add, "coupname", ""), 400, bad + "coupname"},
        {"add with a code of 256 bytes", Replace(add, "coupcode", std::string(256, 'A')), 400, bad + "coupcode"},
        {"add with a comma in the name", Replace(add, "coupname", "a,b"), 400, bad + "coupname"},
        {"add with a caret in the code", Replace(add, "coupcode", "A^B"), 400, bad + "coupcode"},
        {"add with a line break in the name", Replace(add, "coupname", "a\r\nb"), 400, bad + "coupname"},
        {"add with a line break in the order page", Replace(add, "couponorderurl", "http://x/\n"), 400,
         bad + "couponorderurl"},
        {"add with a comma in the comments", Replace(add, "couponcomments", "a,b"), 400, bad + "couponcomments"},
        {"add with a caret in the comments", Replace(add, "couponcomments", "x^OK"), 400, bad + "couponcomments"},
        {"add with expired 2", Replace(add, "coupexpired", "2"), 400, bad + "coupexpired"},
        {"add with expired empty", Replace(add, "coupexpired", ""), 400, bad + "coupexpired"},
        {"add with kind 4", Replace(add, "coupexpirtype", "4"), 400, bad + "coupexpirtype"},
        {"add with days 1.5", Replace(add, "coupexpirdays", "1.5"), 400, bad + "coupexpirdays"},
        {"add with days empty", Replace(add, "coupexpirdays", ""), 400, bad + "coupexpirdays"},
        {"add with days past the integer range", Replace(add, "coupexpirdays", "99999999999"), 400,
         bad + "coupexpirdays"},
        {"add with month 13", Replace(add, "coupexpirdate", "2030-13-1"), 400, bad + "coupexpirdate"},
        {"add with 30 February", Replace(add, "coupexpirdate", "2030-2-30"), 400, bad + "coupexpirdate"},
        {"add with a date and time", Replace(add, "coupexpirdate", "2030-7-5 10:00"), 400, bad + "coupexpirdate"},
        {"add with a word for a date", Replace(add, "coupcreatedate", "today"), 400, bad + "coupcreatedate"},
        {"add with SQL for a date", Replace(add, "coupcreatedate", "NOW()"), 400, bad + "coupcreatedate"},
        {"update with a word for an identifier", Replace(update, "coupid", "abc"), 400, bad + "coupid"},
        {"update with identifier 0", Replace(update, "coupid", "0"), 400, bad + "coupid"},
        {"update with SQL for an identifier", Replace(update, "coupid", "1 OR 1=1"), 400, bad + "coupid"},
        {"update with an empty identifier", Replace(update, "coupid", ""), 400, bad + "coupid"},
        {"delete with nothing", DeleteCouponsFields(""), 400, bad + "coupdeleteids"},
        {"delete with an empty piece", DeleteCouponsFields("1,,2"), 400, bad + "coupdeleteids"},
        {"delete with a trailing comma", DeleteCouponsFields("1,"), 400, bad + "coupdeleteids"},
        {"delete with blanks", DeleteCouponsFields("1, 2"), 400, bad + "coupdeleteids"},
        {"delete with SQL", DeleteCouponsFields("1) OR (1=1"), 400, bad + "coupdeleteids"},
        {"delete with all and more", DeleteCouponsFields("all,1"), 400, bad + "coupdeleteids"},
        {"delete with ALL", DeleteCouponsFields("ALL"), 400, bad + "coupdeleteids"},
        {"delete without its field", {{"action", "4"}, {"end", ""}}, 400, missing + "coupdeleteids"},
        {"fetch with SQL", FetchCouponFields("1'--"), 400, bad + "coupid"},
        {"check without a code", {{"action", "8"}, {"end", ""}}, 400, missing + "coupcode"},
        {"check with the code sent as a list", {{"action", "8"}, {"coupcode[]", "A"}, {"end", ""}}, 400,
         missing + "coupcode"},
    };
    for (const Malformed& m : cases) {
        SiteReply reply = PostFields(m.fields);
        EXPECT_EQ(reply.status, m.status) << m.what;
        EXPECT_EQ(reply.body, m.reply) << m.what;
    }
    EXPECT_EQ(PostFields(RefreshCouponsFields()).body, "\"1\",\"KEEPME\",\"Kept\",\"0\"^OK");

    RawReply put = RawRequest("PUT", "text/plain", "x");
    EXPECT_EQ(put.status, 405);
    EXPECT_EQ(put.body, "ERROR: method not allowed");
}

TEST_P(ServerProtocol, FailuresOfTheSiteItselfGiveAPlainTextWithoutDetails) {
    struct Case {
        const char* what;
        std::string settings;  // empty: no settings file at all
        int status;
        std::string reply;
    };
    const std::vector<Case> cases = {
        {"no settings file", "", 500, "ERROR: the server settings file coupsettings.php is missing"},
        {"settings that are not PHP", "<?php\r\n  $hostname=\"x;\r\n?>\r\n", 500,
         "ERROR: the server settings file coupsettings.php cannot be read"},
        {"settings without a value", "<?php\r\n  $hostname=\"127.0.0.1\";\r\n?>\r\n", 500,
         "ERROR: the server settings file coupsettings.php is incomplete"},
        {"a wrong password",
         DemoSite::SettingsScript(site->DbHost(), site->Database(), site->DbUser(), "wrong", kInvalidPage), 503,
         "ERROR: cannot connect to the database"},
        {"a database that is not there",
         DemoSite::SettingsScript(site->DbHost(), "nosuchdb", site->DbUser(), site->DbPassword(), kInvalidPage), 503,
         "ERROR: cannot connect to the database"},
        {"a port where nothing listens",
         DemoSite::SettingsScript("127.0.0.1:1", site->Database(), site->DbUser(), site->DbPassword(), kInvalidPage),
         503, "ERROR: cannot connect to the database"},
    };
    for (const Case& c : cases) {
        if (c.settings.empty())
            site->RemoveFile("coupsettings.php");
        else
            site->PutFile("coupsettings.php", c.settings);
        for (const TFormFields& fields : {CheckServerFields(), RefreshCouponsFields()}) {
            SiteReply reply = PostFields(fields);
            EXPECT_EQ(reply.status, c.status) << c.what;
            EXPECT_EQ(reply.body, c.reply) << c.what;
        }
    }
}

TEST_P(ServerProtocol, SettingsAndAccessListsUploadedAgainAreUsedFromTheNextRequestOn) {
    // A host's PHP keeps compiled scripts and looks at their files only now
    // and then; a file written minutes ago is one it has cached.
    struct Upload {
        const char* what;
        std::string file, bytes, reply;
    };
    const std::string settings = "coupsettings.php", access = "coupaccess.php";
    auto withPassword = [&](const std::string& password) {
        return DemoSite::SettingsScript(site->DbHost(), site->Database(), site->DbUser(), password, kInvalidPage);
    };
    const std::string denied = "ERROR: access denied for this address";
    const std::vector<Upload> uploads = {
        {"settings with a wrong password", settings, withPassword("wrong"), "ERROR: cannot connect to the database"},
        {"the password mended", settings, withPassword(site->DbPassword()), "OK"},
        {"the password wrong again", settings, withPassword("wrong"), "ERROR: cannot connect to the database"},
        {"the right settings", settings, withPassword(site->DbPassword()), "OK"},
        {"an access list without this address", access, "<?php\n$allowedaddresses = array(\"192.0.2.7\");\n", denied},
        {"this address added", access, "<?php\n$allowedaddresses = array(\"192.0.2.7\", \"127.0.0.1\");\n", "OK"},
        {"this address removed", access, "<?php\n$allowedaddresses = array(\"192.0.2.8\");\n", denied},
    };
    int minutesAgo = 120;
    for (const Upload& u : uploads) {
        site->PutFile(u.file, u.bytes);
        std::filesystem::last_write_time(site->WebDir() + u.file, std::filesystem::file_time_type::clock::now() -
                                                                      std::chrono::minutes(minutesAgo -= 10));
        // Twice: the first request may be the one that caches the file.
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(PostFields(CheckServerFields()).body, u.reply) << u.what;
    }
    site->RemoveFile(access);
}

TEST_P(ServerProtocol, TheTablesAreMadeOnFirstUse) {
    site->Sql("DROP TABLE " + site->Database() + ".couponsactions_uses, " + site->Database() +
              ".couponsactions_coupons");
    EXPECT_EQ(PostFields(RefreshCouponsFields()).body, "OK");
    EXPECT_EQ(PostFields(AddCouponFields(Coupon("FIRST1", "First"))).body, "OK");
    EXPECT_EQ(PostFields(RefreshCouponsFields()).body, "\"1\",\"FIRST1\",\"First\",\"0\"^OK");
}

TEST_P(ServerProtocol, TheAccessListLimitsEveryActionButTheBuyers) {
    ASSERT_EQ(PostFields(AddCouponFields(Coupon("OPEN01", "Open"))).body, "OK");
    const std::string denied = "ERROR: access denied for this address";
    struct Case {
        const char* what;
        std::string file;
        bool allowed;
        std::string reply;
    };
    const std::vector<Case> cases = {
        {"another address only", "<?php\n$allowedaddresses = array(\"192.0.2.7\");\n", false, denied},
        {"an empty list", "<?php\n$allowedaddresses = array();\n", false, denied},
        {"this address", "<?php\n$allowedaddresses = array(\"192.0.2.7\", \"127.0.0.1\");\n", true, ""},
        {"a range holding this address", "<?php\n$allowedaddresses = array(\"127.0.0.0/8\");\n", true, ""},
        {"a list with names and words beside this address",
         "<?php\n$allowedaddresses = array(\"localhost\", \"not an address\", \"10.0.0.0/99\", 7, \" 127.0.0.1 \");\n", true,
         ""},
        {"a range beside it", "<?php\n$allowedaddresses = array(\"127.0.1.0/24\");\n", false, denied},
        {"a list that is not PHP", "<?php\n$allowedaddresses = array(\"127.0.0.1\"\n", false,
         "ERROR: the access list coupaccess.php cannot be read"},
        {"no list in the file", "<?php\n$other = 1;\n", false,
         "ERROR: the access list coupaccess.php cannot be read"},
    };
    for (const Case& c : cases) {
        site->PutFile("coupaccess.php", c.file);
        for (const TFormFields& fields : {CheckServerFields(), RefreshCouponsFields(), DeleteCouponsFields("all")}) {
            SiteReply reply = PostFields(fields);
            if (c.allowed) {
                EXPECT_EQ(reply.status, 200) << c.what;
                EXPECT_NE(reply.body.find("OK"), std::string::npos) << c.what;
            } else {
                EXPECT_EQ(reply.status, 403) << c.what;
                EXPECT_EQ(reply.body, c.reply) << c.what;
            }
        }
        if (!c.allowed) {
            EXPECT_EQ(GetScript().status, 403) << c.what;
            // A buyer is never turned away by the list.
            RawReply buyer = BuyerPost({{"coupcode", "NOSUCH"}, {"action", "7"}, {"send", "Submit"}});
            EXPECT_EQ(buyer.status, 303) << c.what;
            EXPECT_EQ(buyer.location, kInvalidPage) << c.what;
        }
    }
    site->RemoveFile("coupaccess.php");
}

} // namespace
