// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/server/SiteRequests.h"

#include "http/IdException.h"
#include "http/IdHTTP.h"
#include "http/IdMultiPartFormDataStream.h"
#include "tests/support/DemoSiteEnvironment.h"
#include "tests/support/LoopbackExchange.h"

SiteReply PostFields(const TFormFields& fields) {
    TIdHTTP http;
    http.SetReadTimeout(60000);
    TIdMultiPartFormDataStream body;
    for (const auto& [name, value] : fields)
        body.AddField(name, value);
    try {
        return {200, http.PostForm(DemoSiteEnvironment::Site()->ScriptURL(), body)};
    } catch (const EIdHTTPProtocolException& e) {
        return {e.ErrorCode(), e.ErrorMessage()};
    }
}

SiteReply GetScript() {
    TIdHTTP http;
    http.SetReadTimeout(60000);
    try {
        return {200, http.GetText(DemoSiteEnvironment::Site()->ScriptURL())};
    } catch (const EIdHTTPProtocolException& e) {
        return {e.ErrorCode(), e.ErrorMessage()};
    }
}

RawReply RawRequest(const std::string& method, const std::string& contentType, const std::string& body,
                    const RawOptions& options) {
    const int port = DemoSiteEnvironment::Site()->WebPort();
    std::string request = method + " /couponsactions.php HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n";
    if (!contentType.empty())
        request += "Content-Type: " + contentType + "\r\n";
    if (method == "POST" || !body.empty())
        request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    request += "\r\n" + body;
    LoopbackOptions exchange;
    exchange.fromAddress = options.fromAddress;
    exchange.receiveBuffer = options.receiveBuffer;
    bool bodyStarted = false;
    if (options.onFirstBody)
        exchange.onReceived = [&](const std::string& received) {
            std::size_t head = received.find("\r\n\r\n");
            if (!bodyStarted && head != std::string::npos && received.size() > head + 4) {
                bodyStarted = true;
                options.onFirstBody();
            }
        };
    const std::string response = LoopbackExchange(port, request, exchange);

    RawReply reply;
    std::size_t headEnd = response.find("\r\n\r\n");
    std::string head = response.substr(0, headEnd);
    reply.body = headEnd == std::string::npos ? "" : response.substr(headEnd + 4);
    if (head.size() > 12)
        reply.status = std::stoi(head.substr(9, 3));
    std::size_t at = 0;
    while ((at = head.find("\r\n", at)) != std::string::npos) {
        at += 2;
        std::size_t end = head.find("\r\n", at);
        std::string line = head.substr(at, end == std::string::npos ? std::string::npos : end - at);
        std::string name = line.substr(0, line.find(':'));
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name == "location")
            reply.location = line.substr(line.find(':') + 2);
    }
    return reply;
}

std::string FormEncode(const std::string& value) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : value) {
        if (std::isalnum(c) || c == '*' || c == '-' || c == '.' || c == '_')
            out += static_cast<char>(c);
        else if (c == ' ')
            out += '+';
        else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

RawReply BuyerPost(const TFormFields& fields, const std::string& fromAddress) {
    std::string body;
    for (const auto& [name, value] : fields)
        body += (body.empty() ? "" : "&") + FormEncode(name) + "=" + FormEncode(value);
    RawOptions options;
    options.fromAddress = fromAddress;
    return RawRequest("POST", "application/x-www-form-urlencoded", body, options);
}

std::string SqlValue(const std::string& query) {
    std::string text = DemoSiteEnvironment::Site()->Sql(query);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

std::string DbToday() { return SqlValue("SELECT DATE_FORMAT(CURDATE(), '%Y-%c-%e')"); }

std::string DbYesterday() { return SqlValue("SELECT DATE_FORMAT(CURDATE() - INTERVAL 1 DAY, '%Y-%c-%e')"); }

int CouponCount() {
    DemoSite* site = DemoSiteEnvironment::Site();
    return std::stoi(SqlValue("SELECT COUNT(*) FROM " + site->Database() + ".couponsactions_coupons"));
}

DemoSiteOptions ServerTestSite() {
    DemoSiteOptions options;
    options.stacks = {WebStack::Apache, WebStack::PhpBuiltIn};
    return options;
}

void FreshSiteTest::SetUp() {
    REQUIRE_DEMO_SITE();
    site = DemoSiteEnvironment::Site();
    site->Use(stack);
    site->RemoveFile("coupaccess.php");
    site->InstallSettings(kInvalidPage);
    ASSERT_EQ(PostFields(CheckServerFields()).body, "OK");
    site->ResetData();
}

void FreshSiteTest::TearDown() {
    if (site && !dropScratch_.empty())
        site->Sql(dropScratch_);
}

void FreshSiteTest::MakeScratch(const std::string& make, const std::string& drop) {
    dropScratch_ = drop;
    site->Sql(drop);
    site->Sql(make);
}
