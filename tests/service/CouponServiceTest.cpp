// SPDX-License-Identifier: GPL-3.0-or-later
// The service operations against the scripted loopback server: the exact
// form fields each action sends, the GET before an add, the judgement of
// each reply, and the substitutes after failures.

#include "http/IdHTTP.h"
#include "service/CouponService.h"
#include "tests/support/RefusedPort.h"
#include "tests/support/ServiceScript.h"

#include <gtest/gtest.h>

namespace {

using Then = ScriptedServer::Then;

TCouponRecord Sample(const std::string& id = "") {
    return {id, "ABCDEF", "Spring sale", "0", "2", "30", "2008-7-5", "http://shop.example/order?x=1",
            "line 1\r\nline 2", TodayOnTheWire()};
}

class Service : public ::testing::Test {
protected:
    void Serve(std::vector<ScriptedServer::Exchange> script) {
        server = std::make_unique<ScriptedServer>(std::move(script));
        settings.WebServer = "http://" + server->HostPort();
    }
    void Unreachable() { settings.WebServer = refused.Url(); }
    void TearDown() override {
        if (server) {
            EXPECT_TRUE(server->WaitDone());
        }
    }

    TIdHTTP http;
    TServerSettings settings{.ScriptName = "couponsactions.php"};
    TCouponService service{http, settings};
    std::unique_ptr<ScriptedServer> server;
    RefusedPort refused;
};

TEST_F(Service, CheckServerIsReadyOnlyOnExactlyOK) {
    const std::pair<std::string, bool> replies[] = {
        {"OK", true}, {"OK\n", false}, {"OK\r\n", false}, {"ok", false}, {"BAD", false}, {"", false}};
    for (const auto& [body, ready] : replies) {
        Serve({Action({{"action", "1"}, {"end", ""}}, body)});
        EXPECT_EQ(service.CheckServer(), ready) << body;
        EXPECT_TRUE(server->WaitDone());
    }
}

TEST_F(Service, FailuresBecomeResultsWithoutRaising) {
    // An error status, and a refused connection.
    Serve({{ActionPost({{"action", "1"}, {"end", ""}}), StatusReply("500 Internal Server Error", "OK"), Then::Close}});
    EXPECT_FALSE(service.CheckServer());
    ASSERT_TRUE(server->WaitDone());
    Unreachable();
    server.reset();
    EXPECT_FALSE(service.CheckServer());
    EXPECT_FALSE(service.DeleteCoupons("1"));
    EXPECT_FALSE(service.CouponCodeExists("ABCDEF"));  // a failed check counts as free
    EXPECT_EQ(service.UpdateCoupon(Sample("7")), SaveOutcome::Trouble);
    std::string record = "left over";
    EXPECT_FALSE(service.FetchCoupon("7", record));
    EXPECT_EQ(record, "");
    bool filled = false;
    EXPECT_FALSE(service.RefreshCoupons([&](std::vector<TCouponRow>) { filled = true; }));
    EXPECT_FALSE(filled);
}

TEST_F(Service, AddFetchesTheScriptThenPostsTheTenFields) {
    const std::pair<std::string, SaveOutcome> replies[] = {
        {"OK", SaveOutcome::Done}, {"EXIST RECORD", SaveOutcome::Conflict},
        {"DON'T EXIST RECORD", SaveOutcome::Trouble}, {"Warning: mysqli", SaveOutcome::Trouble}};
    for (const auto& [body, outcome] : replies) {
        Serve({{PlainGet(), Reply("<html>whatever</html>"), Then::Close},
               Action(SaveFields("2", Sample()), body)});
        EXPECT_EQ(service.AddCoupon(Sample()), outcome) << body;
        EXPECT_TRUE(server->WaitDone());
    }
}

TEST_F(Service, AddSendsNoPostWhenTheFetchBeforeItFails) {
    Serve({{PlainGet(), StatusReply("404 Not Found"), Then::Close}});
    EXPECT_EQ(service.AddCoupon(Sample()), SaveOutcome::Trouble);
    EXPECT_TRUE(server->WaitDone());
    EXPECT_EQ(server->ServedCount(), 1);
    server.reset();
    Unreachable();
    EXPECT_EQ(service.AddCoupon(Sample()), SaveOutcome::Trouble);
}

TEST_F(Service, UpdateSendsTheIdentifierAndJudgesItsOwnConflict) {
    const std::pair<std::string, SaveOutcome> replies[] = {
        {"OK", SaveOutcome::Done}, {"DON'T EXIST RECORD", SaveOutcome::Conflict},
        {"EXIST RECORD", SaveOutcome::Trouble}, {"OK ", SaveOutcome::Trouble}};
    for (const auto& [body, outcome] : replies) {
        Serve({Action(SaveFields("3", Sample("12")), body)});
        EXPECT_EQ(service.UpdateCoupon(Sample("12")), outcome) << body;
        EXPECT_TRUE(server->WaitDone());
    }
}

TEST_F(Service, DeleteSendsTheIdentifiersOrAll) {
    for (const std::string ids : {"4,9,12", "all"}) {
        Serve({Action({{"action", "4"}, {"coupdeleteids", ids}, {"end", ""}}, "OK")});
        EXPECT_TRUE(service.DeleteCoupons(ids));
        EXPECT_TRUE(server->WaitDone());
    }
    Serve({Action({{"action", "4"}, {"coupdeleteids", "1"}, {"end", ""}}, "DON'T EXIST RECORD")});
    EXPECT_FALSE(service.DeleteCoupons("1"));
}

TEST_F(Service, RefreshFillsOnlyOnAReplyHoldingOK) {
    const Fields list{{"action", "5"}, {"end", ""}};
    std::vector<TCouponRow> rows;
    auto fill = [&](std::vector<TCouponRow> r) { rows = std::move(r); };

    Serve({Action(list, "\"7\",\"ABCDEF\",\"Spring sale\",\"0\"^OK")});
    EXPECT_TRUE(service.RefreshCoupons(fill));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Id, "7");
    ASSERT_TRUE(server->WaitDone());

    // No "OK": nothing is handed over, the list keeps its rows.
    Serve({Action(list, "<html>Service Unavailable</html>")});
    EXPECT_FALSE(service.RefreshCoupons(fill));
    EXPECT_EQ(rows.size(), 1u);
    ASSERT_TRUE(server->WaitDone());

    // "OK" alone empties the list and succeeds.
    Serve({Action(list, "OK")});
    EXPECT_TRUE(service.RefreshCoupons(fill));
    EXPECT_TRUE(rows.empty());
    ASSERT_TRUE(server->WaitDone());

    // A short line: the rows before it are handed over and the refresh fails.
    Serve({Action(list, "\"1\",\"A\",\"N\",\"0\"^\"2\",\"B\"^OK")});
    EXPECT_FALSE(service.RefreshCoupons(fill));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Id, "1");
}

TEST_F(Service, CodeIsTakenOnlyOnExactlyExistRecord) {
    const std::pair<std::string, bool> replies[] = {
        {"EXIST RECORD", true}, {"DON'T EXIST RECORD", false}, {"EXIST RECORD\n", false}, {"OK", false}};
    for (const auto& [body, taken] : replies) {
        Serve({Action({{"action", "8"}, {"coupcode", "QWERTY"}, {"end", ""}}, body)});
        EXPECT_EQ(service.CouponCodeExists("QWERTY"), taken) << body;
        EXPECT_TRUE(server->WaitDone());
    }
}

TEST_F(Service, FetchReturnsTheRecordTextOrNothing) {
    const Fields fetch{{"action", "9"}, {"coupid", "7"}, {"end", ""}};
    const std::string record = "\"7\",\"ABCDEF\",\"Spring sale\",\"0\",\"2\",\"30\",\"2012-11-30\",\"u\",\"c\",\"2012-1-1\"";
    const std::tuple<std::string, bool, std::string> replies[] = {
        {record + "^OK", true, record}, {"OK", false, "OK"}, {"^OK", false, ""}, {"BAD", false, "BAD"}};
    for (const auto& [body, found, text] : replies) {
        Serve({Action(fetch, body)});
        std::string got;
        EXPECT_EQ(service.FetchCoupon("7", got), found) << body;
        EXPECT_EQ(got, text);
        EXPECT_TRUE(server->WaitDone());
    }
}

TEST_F(Service, EveryOperationLeavesTheSixtySecondReadTimeOut) {
    EXPECT_EQ(http.ReadTimeout(), 0);
    Serve({Action({{"action", "1"}, {"end", ""}}, "OK")});
    service.CheckServer();
    EXPECT_EQ(http.ReadTimeout(), 60000);
    EXPECT_EQ(http.LastConnectTimeout(), 60000);
}

TEST_F(Service, DoubledSlashGoesOutUnchanged) {
    server = std::make_unique<ScriptedServer>(
        std::vector<ScriptedServer::Exchange>{Action({{"action", "1"}, {"end", ""}}, "OK", "//couponsactions.php")});
    settings.WebServer = "http://" + server->HostPort() + "/";
    EXPECT_TRUE(service.CheckServer());
}

} // namespace
