// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/server/SiteRequests.h"

#include "http/IdException.h"
#include "http/IdHTTP.h"
#include "http/IdMultiPartFormDataStream.h"
#include "tests/support/DemoSiteEnvironment.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

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
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    timeval bound{60, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
    if (options.receiveBuffer > 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &options.receiveBuffer, sizeof options.receiveBuffer);
    if (!options.fromAddress.empty()) {
        sockaddr_in from{};
        from.sin_family = AF_INET;
        if (inet_pton(AF_INET, options.fromAddress.c_str(), &from.sin_addr) != 1 ||
            bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) {
            close(fd);
            throw std::runtime_error("cannot send from " + options.fromAddress);
        }
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        throw std::runtime_error("cannot connect to the demo site");
    }
    std::string request = method + " /couponsactions.php HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n";
    if (!contentType.empty())
        request += "Content-Type: " + contentType + "\r\n";
    if (method == "POST" || !body.empty())
        request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    request += "\r\n" + body;
    for (std::size_t sent = 0; sent < request.size();) {
        ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    std::string response;
    char buf[8192];
    ssize_t n;
    bool bodyStarted = false;
    while ((n = recv(fd, buf, sizeof buf, 0)) > 0) {
        response.append(buf, static_cast<std::size_t>(n));
        if (options.onFirstBody && !bodyStarted) {
            std::size_t head = response.find("\r\n\r\n");
            if (head != std::string::npos && response.size() > head + 4) {
                bodyStarted = true;
                options.onFirstBody();
            }
        }
    }
    close(fd);

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
