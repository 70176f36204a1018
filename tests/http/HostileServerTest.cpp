// SPDX-License-Identifier: GPL-3.0-or-later
// The HTTP client against servers that answer without end or beyond any
// sense: heads that never end, interim heads without end, bodies that never
// end, lengths far beyond what the client takes in, and responses setting
// cookies by the thousand. The cases that could eat memory run in a child
// process, which reports its failure and its peak memory.

#include "http/IdCookieManager.h"
#include "http/IdException.h"
#include "http/IdFileStream.h"
#include "http/IdHTTP.h"
#include "tests/http/HttpRequests.h"
#include "tests/http/TransportTestUtil.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace transport_test;
using namespace http_requests;
using Exchange = ScriptedServer::Exchange;
using Expect = ScriptedServer::Expect;
using Then = ScriptedServer::Then;

namespace {

// The most a child may take in all, test program included.
constexpr long kPeakKbBound = 100 * 1024;
// Sends until the client goes away.
constexpr std::uint64_t kEndless = std::uint64_t(1) << 40;

std::string Lines(std::size_t count, const std::string& line) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += line;
    return out;
}

// The body text, or "class: message" of the transport's failure, which
// must also have closed the connection.
std::string Outcome(const std::function<std::string()>& operation, TIdHTTP& http) {
    std::string failure;
    try {
        return "text: " + operation();
    } catch (const EIdResponseHeadTooLarge& e) {
        failure = std::string("EIdResponseHeadTooLarge: ") + e.what();
    } catch (const EIdResponseBodyTooLarge& e) {
        failure = std::string("EIdResponseBodyTooLarge: ") + e.what();
    }
    return failure + (http.Connected() ? " (still connected)" : "");
}

// Sends head, then repeated (the generated alphabet when empty) until the
// client goes away.
Exchange Endless(Expect expect, std::string head, std::string repeated = "") {
    Exchange e{std::move(expect), std::move(head)};
    e.generatedText = std::move(repeated);
    e.generatedBytes = kEndless;
    return e;
}

// The outcome of operation on a fresh client with that maximum body size,
// run in a child process.
ChildRun InChild(std::int64_t maxBodySize, const std::function<std::string(TIdHTTP&)>& operation) {
    return RunInChild([&] {
        TIdHTTP http;
        http.SetReadTimeout(kSafetyTimeout);
        http.SetMaxBodySize(maxBodySize);
        return Outcome([&] { return operation(http); }, http);
    });
}

struct Operation {
    const char* name;
    std::function<std::string(TIdHTTP&, const std::string& url)> run;
};

const Operation kGetText{"GetText", [](TIdHTTP& http, const std::string& url) { return http.GetText(url); }};

// ---------------------------------------------------------------------------
// Response heads

struct EndlessHead {
    const char* name;
    std::string response;  // sent first
    std::string repeated;  // then this, without end
};

class EndlessHeads : public ::testing::TestWithParam<EndlessHead> {};

TEST_P(EndlessHeads, FailWithinTheBoundsInLittleMemory) {
    ScriptedServer server({Endless(Expect::Exact(Get("/x")), GetParam().response, GetParam().repeated)});
    const ChildRun run =
        InChild(TIdHTTP::kDefaultMaxBodySize, [&](TIdHTTP& http) { return http.GetText(server.Url("/x")); });
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.outcome, "EIdResponseHeadTooLarge: Response head too large.");
    EXPECT_LT(run.peakKb, kPeakKbBound);
    EXPECT_TRUE(server.Check());
}

INSTANTIATE_TEST_SUITE_P(
    Heads, EndlessHeads,
    ::testing::Values(EndlessHead{"ShortHeaderLines", "HTTP/1.1 200 OK\r\n", "X-A: 1\r\n"},
                      EndlessHead{"LongHeaderLines", "HTTP/1.1 200 OK\r\n", "X-B: " + std::string(16000, 'b') + "\r\n"},
                      EndlessHead{"ContinuationLines", "HTTP/1.1 200 OK\r\nX-C: 1\r\n", " more\r\n"},
                      EndlessHead{"InterimHeads", "", "HTTP/1.1 100 Continue\r\n\r\n"},
                      EndlessHead{"InterimHeadsWithCookies", "",
                                  "HTTP/1.1 100 Continue\r\nSet-Cookie: a=1; path=/\r\n\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct HeadSize {
    const char* name;
    std::string response;
    bool fits;
};

// Status line, header lines of the given total size (line ends included),
// and the empty line; the body "OK".
std::string HeadOfBytes(std::size_t total) {
    const std::string status = "HTTP/1.1 200 OK\r\n";
    const std::string last = "Content-Length: 2\r\n";
    std::size_t left = total - status.size() - last.size() - 2;
    std::string lines;
    while (left > 0) {
        const std::size_t line = std::min<std::size_t>(left, 10000);
        lines += "X: " + std::string(line - 5, 'x') + "\r\n";
        left -= line;
    }
    return status + lines + last + "\r\n" + "OK";
}

class HeadBounds : public ::testing::TestWithParam<HeadSize> {};

TEST_P(HeadBounds, TakeUpToAMegabyteAndAThousandLines) {
    ScriptedServer server({{Expect::Exact(Get("/x")), GetParam().response}});
    TIdHTTP http;
    http.SetReadTimeout(kSafetyTimeout);
    EXPECT_EQ(Outcome([&] { return http.GetText(server.Url("/x")); }, http),
              GetParam().fits ? "text: OK" : "EIdResponseHeadTooLarge: Response head too large.");
}

const std::string kThousandLines = Lines(999, "X: 1\r\n") + "Content-Length: 2\r\n";
const std::string kInterim = "HTTP/1.1 100 Continue\r\n" + Lines(600, "X: 1\r\n") + "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Sizes, HeadBounds,
    ::testing::Values(
        HeadSize{"ThousandLines", "HTTP/1.1 200 OK\r\n" + kThousandLines + "\r\nOK", true},
        HeadSize{"ThousandAndOneLines", "HTTP/1.1 200 OK\r\nX: 1\r\n" + kThousandLines + "\r\nOK", false},
        HeadSize{"OneMegabyte", HeadOfBytes(1 << 20), true},
        HeadSize{"OneMegabyteAndOneByte", HeadOfBytes((1 << 20) + 1), false},
        HeadSize{"InterimHeadsCountInTheSameTotal",
                 kInterim + "HTTP/1.1 200 OK\r\n" + Lines(399, "X: 1\r\n") + "Content-Length: 2\r\n\r\nOK", true},
        HeadSize{"InterimHeadsPassingTheTotal",
                 kInterim + "HTTP/1.1 200 OK\r\n" + Lines(400, "X: 1\r\n") + "Content-Length: 2\r\n\r\nOK", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HeadBounds, OversizedHeadLeavesNothingOfItBehind) {
    ScriptedServer server({{Expect::Exact(Get("/x")), "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK"},
                           {Expect::Exact(Get("/x")), "HTTP/1.1 203 Big\r\nSet-Cookie: big=1; path=/\r\n" +
                                                      Lines(1000, "X: 1\r\n") + "\r\nOK"}});
    TIdHTTP http;
    http.SetReadTimeout(kSafetyTimeout);
    EXPECT_EQ(http.GetText(server.Url("/x")), "OK");
    EXPECT_THROW(http.GetText(server.Url("/x")), EIdResponseHeadTooLarge);
    EXPECT_FALSE(http.Connected());
    EXPECT_EQ(http.LastStatusLine(), "HTTP/1.1 200 OK");
    EXPECT_EQ(http.Response().Header("X"), "");
    ASSERT_NE(http.CookieManager(), nullptr);
    EXPECT_EQ(http.CookieManager()->Count(), 0u);
    EXPECT_TRUE(server.WaitDone());
}

// ---------------------------------------------------------------------------
// Response bodies

const Operation kPostForm{"PostForm",
                          [](TIdHTTP& http, const std::string& url) { return PostForm(http, url, "5"); }};

// The sink of a download: a file whose size after the operation is reported.
struct Download {
    TempDir dir;
    std::string path = dir.Path() + "/download";
};

const Operation kGetToStream{"GetToStream", [](TIdHTTP& http, const std::string& url) {
                                 Download file;
                                 TIdFileStream sink(file.path, TIdFileMode::fmCreate);
                                 http.GetToStream(url, sink);
                                 return "file of " + std::to_string(sink.Size());
                             }};

constexpr std::int64_t kSmallLimit = 16 << 20;

struct EndlessBody {
    const char* name;
    Operation operation;
    std::string head;
    std::string repeated;  // empty: the generated alphabet
};

class EndlessBodies : public ::testing::TestWithParam<EndlessBody> {};

TEST_P(EndlessBodies, FailAtTheMaximumBodySizeInLittleMemory) {
    ScriptedServer server({Endless(Expect::Any(), GetParam().head, GetParam().repeated)});
    const ChildRun run =
        InChild(kSmallLimit, [&](TIdHTTP& http) { return GetParam().operation.run(http, server.Url("/x")); });
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.outcome, "EIdResponseBodyTooLarge: Response body too large.");
    EXPECT_LT(run.peakKb, kPeakKbBound);
}

const std::string kUntilClose = "HTTP/1.0 200 OK\r\nConnection: keep-alive\r\n\r\n";
const std::string kChunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
const std::string kChunk = "1000\r\n" + std::string(4096, 'c') + "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Bodies, EndlessBodies,
    ::testing::Values(EndlessBody{"PostFormUntilClose", kPostForm, kUntilClose, ""},
                      EndlessBody{"GetTextUntilClose", kGetText, kUntilClose, ""},
                      EndlessBody{"GetTextChunked", kGetText, kChunked, kChunk},
                      EndlessBody{"GetToStreamUntilClose", kGetToStream, kUntilClose, ""},
                      EndlessBody{"GetToStreamChunked", kGetToStream, kChunked, kChunk},
                      EndlessBody{"ErrorStatusBody", kGetText, "HTTP/1.1 404 Not Found\r\n\r\n", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A length past the default maximum of 1 GiB fails at once: nothing of the
// body is read, nothing reaches the file.
TEST(BodyBounds, ContentLengthAboveTheMaximumFailsBeforeReading) {
    EXPECT_EQ(TIdHTTP().MaxBodySize(), 1 << 30);
    for (const char* length : {"1073741825", "99999999999999"}) {
        const Exchange e =
            Endless(Expect::Any(), std::string("HTTP/1.1 200 OK\r\nContent-Length: ") + length + "\r\n\r\n");
        ScriptedServer server({e, e});
        const ChildRun run =
            InChild(TIdHTTP::kDefaultMaxBodySize, [&](TIdHTTP& http) { return http.GetText(server.Url("/x")); });
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.outcome, "EIdResponseBodyTooLarge: Response body too large.") << length;
        EXPECT_LT(run.peakKb, kPeakKbBound);

        Download file;
        TIdFileStream sink(file.path, TIdFileMode::fmCreate);
        TIdHTTP http;
        http.SetReadTimeout(kSafetyTimeout);
        EXPECT_THROW(http.GetToStream(server.Url("/x"), sink), EIdResponseBodyTooLarge);
        EXPECT_EQ(sink.Size(), 0);
        EXPECT_FALSE(http.Connected());
    }
}

// The file of a download that would pass the maximum stops short of it, and
// holds the body as far as it came in whole blocks.
TEST(BodyBounds, DownloadNeverGrowsPastTheMaximum) {
    ScriptedServer server({Endless(Expect::Any(), kUntilClose)});
    Download file;
    TIdFileStream sink(file.path, TIdFileMode::fmCreate);
    sink.Write("pre", 3);
    TIdHTTP http;
    http.SetReadTimeout(kSafetyTimeout);
    http.SetMaxBodySize(1000000);
    EXPECT_THROW(http.GetToStream(server.Url("/x"), sink), EIdResponseBodyTooLarge);
    EXPECT_LE(sink.Size(), 3 + 1000000);
    EXPECT_GT(sink.Size(), 3 + 1000000 - 32768);
    EXPECT_EQ(sink.Position(), sink.Size());
}

// The maximum counts from where the body starts in the sink, not from the
// sink's first byte; a redirect's longer body is dropped on the way.
TEST(BodyBounds, DownloadFromTheSinksPositionTakesTheMaximumWhole) {
    ScriptedServer server(
        {{Expect::Exact(Get("/x")), "HTTP/1.1 302 Found\r\nLocation: /x\r\nContent-Length: 11\r\n\r\n0123456789a"},
         {Expect::Exact(Get("/x")), "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789"},
         {Expect::Exact(Get("/x")), "HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\n0123456789a"}});
    Download file;
    TIdFileStream sink(file.path, TIdFileMode::fmCreate);
    sink.Write("pre", 3);
    TIdHTTP http;
    http.SetReadTimeout(kSafetyTimeout);
    http.SetMaxBodySize(10);
    http.GetToStream(server.Url("/x"), sink);
    EXPECT_EQ(sink.Size(), 13);
    EXPECT_THROW(http.GetToStream(server.Url("/x"), sink), EIdResponseBodyTooLarge);
    EXPECT_EQ(sink.Size(), 13);
    EXPECT_TRUE(server.WaitDone());
    sink.Seek(0, TSeekOrigin::soBeginning);
    char bytes[13];
    ASSERT_EQ(sink.Read(bytes, sizeof bytes), sizeof bytes);
    EXPECT_EQ(std::string(bytes, sizeof bytes), "pre0123456789");
}

struct BodySize {
    const char* name;
    std::string response;
    Then then;
    std::string outcome;
};

class BodyBounds : public ::testing::TestWithParam<BodySize> {};

// With a maximum of 10 bytes.
TEST_P(BodyBounds, TakeUpToTheMaximum) {
    ScriptedServer server({{Expect::Exact(Get("/x")), GetParam().response, GetParam().then}});
    TIdHTTP http;
    http.SetReadTimeout(kSafetyTimeout);
    http.SetMaxBodySize(10);
    EXPECT_EQ(Outcome([&] { return http.GetText(server.Url("/x")); }, http), GetParam().outcome);
}

const std::string kTooLarge = "EIdResponseBodyTooLarge: Response body too large.";

INSTANTIATE_TEST_SUITE_P(
    Sizes, BodyBounds,
    ::testing::Values(
        BodySize{"LengthAtTheMaximum", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789", Then::KeepAlive,
                 "text: 0123456789"},
        BodySize{"LengthPastTheMaximum", "HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\n0123456789a", Then::KeepAlive,
                 kTooLarge},
        BodySize{"UntilCloseAtTheMaximum", "HTTP/1.0 200 OK\r\n\r\n0123456789", Then::Close, "text: 0123456789"},
        BodySize{"UntilClosePastTheMaximum", "HTTP/1.0 200 OK\r\n\r\n0123456789a", Then::Close, kTooLarge},
        BodySize{"ChunksAtTheMaximum", kChunked + "5\r\n01234\r\n5\r\n56789\r\n0\r\n\r\n", Then::KeepAlive,
                 "text: 0123456789"},
        BodySize{"ChunkPastTheMaximum", kChunked + "5\r\n01234\r\n6\r\n56789a\r\n0\r\n\r\n", Then::KeepAlive,
                 kTooLarge},
        BodySize{"ErrorBodyPastTheMaximum", "HTTP/1.1 500 Oops\r\nContent-Length: 11\r\n\r\n0123456789a",
                 Then::KeepAlive, kTooLarge}),
    [](const auto& info) { return std::string(info.param.name); });

// The body of a redirect is read and dropped; one past the maximum gives up
// on that connection and the redirect is followed on a new one.
TEST(BodyBounds, OversizedRedirectBodyIsDroppedWithItsConnection) {
    ScriptedServer server(
        {Endless(Expect::Exact(Get("/x")), "HTTP/1.0 302 Found\r\nConnection: keep-alive\r\nLocation: /x\r\n\r\n"),
         {Expect::Exact(Get("/x")), "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK"}});
    TIdHTTP http;
    http.SetReadTimeout(kSafetyTimeout);
    http.SetMaxBodySize(1 << 20);
    EXPECT_EQ(http.GetText(server.Url("/x")), "OK");
    EXPECT_TRUE(server.WaitDone());
    EXPECT_EQ(server.ConnectionOf(1), 1);
}

// ---------------------------------------------------------------------------
// Cookies by the thousand

// 40,000 Set-Cookie lines with distinct names, in 50 responses of 800 on one
// connection: the store keeps the first 180 of the host, in order, and the
// next request carries exactly those.
TEST(ManyCookies, ResponsesSettingFortyThousandKeepTheFirst180) {
    std::vector<Exchange> script;
    std::size_t name = 0;
    for (int response = 0; response < 50; ++response) {
        std::string head = "HTTP/1.1 200 OK\r\n";
        for (int line = 0; line < 800; ++line, ++name)
            head += "Set-Cookie: n" + std::to_string(name) + "=" + std::to_string(name) + "; path=/\r\n";
        script.push_back({Expect::Any(), head + "Content-Length: 2\r\n\r\nOK"});
    }
    std::string expected;
    for (std::size_t i = 180; i-- > 0;)
        expected += "n" + std::to_string(i) + "=" + std::to_string(i) + (i ? "; " : "");
    script.push_back({Expect::Where([expected](std::string request) {
                          // The long Cookie line comes folded.
                          for (std::size_t at; (at = request.find("\r\n ")) != std::string::npos;)
                              request.erase(at, 3);
                          return request.find("\r\nCookie: " + expected + "\r\n") != std::string::npos
                                     ? std::string()
                                     : "not the first 180 cookies, last first";
                      }),
                      "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK"});
    ScriptedServer server(script);
    TIdHTTP http;
    http.SetReadTimeout(kSafetyTimeout);
    for (std::size_t i = 0; i < script.size(); ++i)
        ASSERT_EQ(http.GetText(server.Url("/x")), "OK") << i;
    EXPECT_TRUE(server.WaitDone());
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_EQ(http.CookieManager()->Count(), 180u);
}

}  // namespace
