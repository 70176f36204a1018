// SPDX-License-Identifier: GPL-3.0-or-later
// The scripted server itself: how it matches requests, reports what went
// wrong, and counts connections. Other folders' tests rely on its reports.

#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Expect = ScriptedServer::Expect;
using Then = ScriptedServer::Then;

// A bare client: sends bytes and reads until the server closes or the
// expected number of bytes arrived.
class RawClient {
public:
    explicit RawClient(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(std::uint16_t(port));
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("connect failed");
    }
    ~RawClient() { ::close(fd_); }
    void Send(const std::string& bytes) { ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    std::string Receive(std::size_t count) {
        std::string got;
        char block[4096];
        while (got.size() < count) {
            ssize_t n = ::recv(fd_, block, sizeof block, 0);
            if (n <= 0)
                break;
            got.append(block, std::size_t(n));
        }
        return got;
    }

private:
    int fd_ = -1;
};

TEST(ScriptedServer, ServesExchangesInOrderAndRecordsThem) {
    ScriptedServer server({{Expect::Exact("GET /a HTTP/1.1\r\nHost: {HOST}\r\n\r\n"), "one"},
                           {Expect::Exact("POST /b HTTP/1.0\r\nContent-Length: 3\r\n\r\nxyz"), "two", Then::Close}});
    RawClient client(server.Port());
    client.Send("GET /a HTTP/1.1\r\nHost: " + server.HostPort() + "\r\n\r\n");
    EXPECT_EQ(client.Receive(3), "one");
    client.Send("POST /b HTTP/1.0\r\nContent-Length: 3\r\n\r\nx");
    client.Send("yz");
    EXPECT_EQ(client.Receive(100), "two");  // then the server's close
    EXPECT_TRUE(server.WaitDone());
    EXPECT_EQ(server.Received(1), "POST /b HTTP/1.0\r\nContent-Length: 3\r\n\r\nxyz");
    EXPECT_EQ(server.ConnectionOf(0), 0);
    EXPECT_EQ(server.ConnectionOf(1), 0);
    EXPECT_EQ(server.Connections(), 1);
}

TEST(ScriptedServer, MismatchIsReportedWithTheFirstDifferenceAndTheConnectionClosed) {
    ScriptedServer server({{Expect::Exact("GET /a HTTP/1.1\r\n\r\n"), "never sent"}});
    RawClient client(server.Port());
    client.Send("GET /b HTTP/1.1\r\n\r\n");
    EXPECT_EQ(client.Receive(100), "");
    const auto result = server.WaitDone();
    EXPECT_FALSE(result);
    EXPECT_NE(std::string(result.message()).find("request differs at byte 5"), std::string::npos)
        << result.message();
}

TEST(ScriptedServer, RequestAfterTheScriptIsReported) {
    ScriptedServer server({{Expect::Any(), "ok"}});
    RawClient client(server.Port());
    client.Send("GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(client.Receive(2), "ok");
    client.Send("GET /again HTTP/1.1\r\n\r\n");
    EXPECT_EQ(client.Receive(100), "");
    ASSERT_EQ(server.Failures().size(), 1u);
    EXPECT_NE(server.Failures()[0].find("unexpected request"), std::string::npos);
}

struct PatternCase {
    const char* pattern;
    const char* request;
    bool matches;
};

class ScriptedServerPattern : public ::testing::TestWithParam<PatternCase> {};

TEST_P(ScriptedServerPattern, PlaceholdersStandForDigitsOrAnything) {
    ScriptedServer server({{Expect::Pattern(GetParam().pattern), "ok"}});
    RawClient client(server.Port());
    client.Send(GetParam().request);
    EXPECT_EQ(client.Receive(GetParam().matches ? 2 : 100), GetParam().matches ? "ok" : "");
    EXPECT_EQ(bool(server.WaitDone()), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, ScriptedServerPattern,
    ::testing::Values(
        PatternCase{"GET /{DIGIT}{DIGIT} HTTP/1.1\r\n\r\n", "GET /42 HTTP/1.1\r\n\r\n", true},
        PatternCase{"GET /{DIGIT}{DIGIT} HTTP/1.1\r\n\r\n", "GET /4x HTTP/1.1\r\n\r\n", false},
        PatternCase{"GET /{DIGITS}-{DIGITS}-{DIGITS} HTTP/1.1\r\n\r\n", "GET /2008-7-5 HTTP/1.1\r\n\r\n", true},
        PatternCase{"GET /{DIGITS} HTTP/1.1\r\n\r\n", "GET / HTTP/1.1\r\n\r\n", false},
        PatternCase{"GET {ANY} HTTP/1.1\r\n{ANY}\r\n\r\n", "GET /x?y HTTP/1.1\r\nA: b\r\n\r\n", true},
        PatternCase{"POST / HTTP/1.0\r\nContent-Length: 25\r\n\r\n--{ANY}", "POST / HTTP/1.0\r\n\r\n", false}));

TEST(ScriptedServer, BoundaryPatternMatchesAFormBoundary) {
    ScriptedServer server({{Expect::Pattern("X: " + ScriptedServer::BoundaryPattern() + "\r\n\r\n"), "ok"}});
    RawClient client(server.Port());
    client.Send("X: --------051808143005123\r\n\r\n");
    EXPECT_EQ(client.Receive(2), "ok");
    EXPECT_TRUE(server.WaitDone());
}

TEST(ScriptedServer, HeldResponseWaitsForRelease) {
    ScriptedServer::Exchange held{Expect::Any(), "late"};
    held.held = true;
    ScriptedServer server({held});
    RawClient client(server.Port());
    client.Send("GET / HTTP/1.1\r\n\r\n");
    EXPECT_FALSE(server.Done());
    server.Release();
    EXPECT_EQ(client.Receive(4), "late");
    EXPECT_TRUE(server.WaitDone());
}

TEST(ScriptedServer, ConnectionExchangeAnswersOnAccept) {
    ScriptedServer server({{Expect::Connection(), "hello", Then::Close}});
    RawClient client(server.Port());
    EXPECT_EQ(client.Receive(100), "hello");
    EXPECT_TRUE(server.WaitDone());
}

}  // namespace
