// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Requests to the demo site's script: the client's own form-data posts
// through TIdHTTP, and raw HTTP exchanges for what a browser sends (the
// buyer's url-encoded action 7, other methods), where the test must see the
// status and the Location header rather than follow them.

#include "service/CouponProtocol.h"
#include "tests/support/DemoSiteEnvironment.h"

#include <functional>
#include <string>

// The invalid page the tests' site settings name.
inline constexpr char kInvalidPage[] = "http://shop.example/invalid-code.html";

// Each test starts on the shared demo site with its settings in place, no
// access list, and empty tables (made by the first request if missing),
// talking to the site's web server of the given stack.
class FreshSiteTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Tables or triggers of the test's own: drop runs first, in case a test
    // program that died left them, then make; drop runs again when the test
    // ends.
    void MakeScratch(const std::string& make, const std::string& drop);

    DemoSite* site = nullptr;
    WebStack stack = WebStack::Apache;

private:
    std::string dropScratch_;
};

// The test site of the server tests: the script under Apache, and under
// PHP's built-in web server, which the demo site of scripts/run uses.
DemoSiteOptions ServerTestSite();

// A FreshSiteTest that runs under each web server of ServerTestSite().
class EachStackTest : public FreshSiteTest, public ::testing::WithParamInterface<WebStack> {
protected:
    void SetUp() override {
        stack = GetParam();
        FreshSiteTest::SetUp();
    }
};

// The TEST_Ps of a suite of EachStackTest, once per web server, named by it.
#define INSTANTIATE_FOR_EACH_STACK(Suite)                                                 \
    INSTANTIATE_TEST_SUITE_P(Stacks, Suite, ::testing::ValuesIn(ServerTestSite().stacks), \
                             [](const auto& info) { return std::string(WebStackName(info.param)); })

struct SiteReply {
    int status = 0;
    std::string body;
};

// Posts the fields as the client does; an error status still gives its body.
SiteReply PostFields(const TFormFields& fields);
// GETs the script URL as the client does before an add.
SiteReply GetScript();

struct RawReply {
    int status = 0;
    std::string location;  // the Location header, empty when none
    std::string body;
};

struct RawOptions {
    // A loopback address (127.x.y.z) to send from, so the script sees each
    // of several buyers at an address of its own.
    std::string fromAddress;
    // A small receive buffer holds the server back as soon as this side
    // stops reading.
    int receiveBuffer = 0;
    // Called once the first bytes of the body are in; reading waits for it.
    std::function<void()> onFirstBody;
};

// One HTTP/1.0 request on a fresh loopback connection, read to the end.
RawReply RawRequest(const std::string& method, const std::string& contentType, const std::string& body,
                    const RawOptions& options = {});
// A buyer's form post: the fields url-encoded, in order.
RawReply BuyerPost(const TFormFields& fields, const std::string& fromAddress = {});

// application/x-www-form-urlencoded encoding of one value, as browsers do it.
std::string FormEncode(const std::string& value);

// What a query of one value gives, without the line break.
std::string SqlValue(const std::string& query);

// The database's today and yesterday, "yyyy-m-d": the script judges
// validity by the database's clock.
std::string DbToday();
std::string DbYesterday();

// Rows in the coupons table.
int CouponCount();
