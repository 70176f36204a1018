// SPDX-License-Identifier: GPL-3.0-or-later
// The HTTP client against the scripted loopback server: each case is the
// exact request the client must send next to the raw response the server
// gives, with keep-alive or close.

#include "http/IdCookieManager.h"
#include "http/IdException.h"
#include "http/IdFileStream.h"
#include "http/IdHTTP.h"
#include "http/IdMemoryStream.h"
#include "http/IdMultiPartFormDataStream.h"
#include "tests/http/HttpRequests.h"
#include "tests/http/TransportTestUtil.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

using namespace transport_test;
using namespace http_requests;
using Exchange = ScriptedServer::Exchange;
using Expect = ScriptedServer::Expect;
using Then = ScriptedServer::Then;

namespace {

// ---------------------------------------------------------------------------
// Configuration and first requests

TEST(HttpClient, StartsAsTheMainWindowConfiguresIt) {
    TIdHTTP http;
    EXPECT_TRUE(http.HandleRedirects());
    EXPECT_EQ(http.RedirectMaximum(), 15);
    EXPECT_TRUE(http.AllowCookies());
    EXPECT_EQ(http.AuthRetries(), 3);
    EXPECT_EQ(http.ReadTimeout(), 0);
    EXPECT_EQ(http.ProtocolVersion(), TIdHTTPProtocolVersion::pv1_1);
    EXPECT_EQ(http.HTTPOptions(), unsigned(hoForceEncodeParams));
    EXPECT_EQ(http.Port(), 80);
    EXPECT_EQ(http.MaxLineAction(), TIdMaxLineAction::maException);
    EXPECT_EQ(http.URL().Port, "80");
    EXPECT_EQ(http.URL().Host, "");
    EXPECT_EQ(http.Request().Accept, "text/html, */*");
    EXPECT_EQ(http.Request().UserAgent, "Mozilla/4.5 [ja] (WinNT; I)");
    EXPECT_EQ(http.Request().ContentType, "text/html");
    EXPECT_EQ(http.Request().ContentLength, -1);
    EXPECT_EQ(http.Request().Connection, "");
    EXPECT_FALSE(http.Request().BasicAuthentication);
    EXPECT_EQ(http.LastStatusLine(), "");
    EXPECT_EQ(http.CookieManager(), nullptr);
    EXPECT_FALSE(http.Busy());
    EXPECT_FALSE(http.Connected());
}

TEST(HttpClient, FirstGetCarriesContentTypeHostAcceptUserAgentOnly) {
    ScriptedServer server({{Expect::Exact("GET /mainappupdate.inf HTTP/1.1\r\n"
                                          "Content-Type: text/html\r\n"
                                          "Host: {HOST}\r\n"
                                          "Accept: text/html, */*\r\n"
                                          "User-Agent: Mozilla/4.5 [ja] (WinNT; I)\r\n"
                                          "\r\n"),
                            "HTTP/1.1 200 OK\r\nSet-Cookie: id=7; path=/\r\nContent-Length: 5\r\n\r\nhello"}});
    TIdHTTP http;  // ReadTimeout 0: the connect uses 120000 ms
    EXPECT_EQ(http.GetText(server.Url("/mainappupdate.inf")), "hello");
    EXPECT_TRUE(server.WaitDone());
    EXPECT_EQ(http.LastStatusLine(), "HTTP/1.1 200 OK");
    EXPECT_EQ(http.LastConnectTimeout(), 120000);
    EXPECT_NE(http.CookieManager(), nullptr);
}

TEST(HttpClient, FirstPostIsHttp10WithKeepAliveOnAFreshConnection) {
    const std::string body = ActionBodyBytes();
    ASSERT_EQ(body.size(), 185u);
    ScriptedServer server({{Expect::Exact("POST /couponsactions.php HTTP/1.0\r\n"
                                          "Connection: keep-alive\r\n"
                                          "Content-Type: multipart/form-data; boundary=--------051808143005123\r\n"
                                          "Content-Length: 185\r\n"
                                          "Host: {HOST}\r\n"
                                          "Accept: text/html, */*\r\n"
                                          "User-Agent: Mozilla/4.5 [ja] (WinNT; I)\r\n"
                                          "\r\n" +
                                          body),
                            "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK"}});
    Client c;
    EXPECT_EQ(PostForm(c.http, server.Url("/couponsactions.php")), "OK");
    EXPECT_TRUE(server.WaitDone());
    EXPECT_EQ(c.http.ProtocolVersion(), TIdHTTPProtocolVersion::pv1_1);
    // HTTP/1.0 keeps a connection only when the server said keep-alive.
    EXPECT_FALSE(c.http.Connected());
    EXPECT_TRUE(server.WaitClosedByClient(0));
}

TEST(HttpClient, PostBodyTravelsByteForByte) {
    const std::string value = "%s %d \"q\" \r\n\\ \xe9";
    auto body = ActionBody(value);
    ScriptedServer server({{Expect::Exact(Post("/a.php", value)), Ok("OK")}});
    Client c;
    EXPECT_EQ(c.http.PostForm(server.Url("/a.php"), *body), "OK");
    EXPECT_TRUE(server.WaitDone());
}

enum class PostOutcome { Answered, FailedStatus, Refused };

class GetAfterPost : public ::testing::TestWithParam<PostOutcome> {};

TEST_P(GetAfterPost, CarriesKeepAliveAndThePostsContentTypeAsHttp11) {
    ScriptedServer server;
    if (GetParam() == PostOutcome::Answered)
        server.Add({Expect::Exact(Post("/couponsactions.php")), Ok("OK")});
    if (GetParam() == PostOutcome::FailedStatus)
        server.Add({Expect::Exact(Post("/couponsactions.php")),
                    "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 4\r\n\r\noops"});
    server.Add({Expect::Exact("GET /next.php HTTP/1.1\r\n"
                              "Connection: keep-alive\r\n"
                              "Content-Type: multipart/form-data; boundary=--------051808143005123\r\n"
                              "Host: {HOST}\r\n"
                              "Accept: text/html, */*\r\n"
                              "User-Agent: Mozilla/4.5 [ja] (WinNT; I)\r\n"
                              "\r\n"),
                Ok("next")});
    Client c;
    const std::string postUrl = GetParam() == PostOutcome::Refused
                                    ? "http://127.0.0.1:" + std::to_string(RefusingPort()) + "/couponsactions.php"
                                    : server.Url("/couponsactions.php");
    if (GetParam() == PostOutcome::Answered)
        EXPECT_EQ(PostForm(c.http, postUrl), "OK");
    else
        EXPECT_ANY_THROW(PostForm(c.http, postUrl));
    EXPECT_EQ(c.http.ProtocolVersion(), TIdHTTPProtocolVersion::pv1_1);
    EXPECT_EQ(c.http.GetText(server.Url("/next.php")), "next");
    EXPECT_TRUE(server.WaitDone());
}

INSTANTIATE_TEST_SUITE_P(Outcomes, GetAfterPost,
                         ::testing::Values(PostOutcome::Answered, PostOutcome::FailedStatus, PostOutcome::Refused));

// ---------------------------------------------------------------------------
// Connections

TEST(HttpConnection, EveryPostOpensAFreshConnection) {
    const std::string keepAlive = "HTTP/1.1 200 OK\r\nConnection: keep-alive\r\nContent-Length: 2\r\n\r\nOK";
    ScriptedServer server({{Expect::Exact(Post("/a.php")), keepAlive}, {Expect::Exact(Post("/a.php", "2")), keepAlive}});
    Client c;
    EXPECT_EQ(PostForm(c.http, server.Url("/a.php")), "OK");
    EXPECT_TRUE(c.http.Connected());
    EXPECT_EQ(PostForm(c.http, server.Url("/a.php"), "2"), "OK");
    EXPECT_TRUE(server.WaitDone());
    EXPECT_EQ(server.Connections(), 2);
    EXPECT_EQ(server.ConnectionOf(0), 0);
    EXPECT_EQ(server.ConnectionOf(1), 1);
    EXPECT_TRUE(server.WaitClosedByClient(0));
}

TEST(HttpConnection, GetReusesTheConnectionAPostWasAnsweredWithKeepAlive) {
    ScriptedServer server(
        {{Expect::Exact(Post("/a.php")), "HTTP/1.1 200 OK\r\nConnection: keep-alive\r\nContent-Length: 2\r\n\r\nOK"},
         {Expect::Exact(Get("/b.php", "Connection: keep-alive\r\nContent-Type: " + kMultipart + "\r\n")), Ok("B")}});
    Client c;
    EXPECT_EQ(PostForm(c.http, server.Url("/a.php")), "OK");
    EXPECT_EQ(c.http.GetText(server.Url("/b.php")), "B");
    EXPECT_TRUE(server.WaitDone());
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_EQ(server.ConnectionOf(1), 0);
}

TEST(HttpConnection, ConnectionTheServerClosedMeanwhileIsReplaced) {
    ScriptedServer server({{Expect::Exact(Get("/a")), Ok("A"), Then::Close}, {Expect::Exact(Get("/b")), Ok("B")}});
    Client c;
    EXPECT_EQ(c.http.GetText(server.Url("/a")), "A");
    EXPECT_EQ(c.http.GetText(server.Url("/b")), "B");
    EXPECT_TRUE(server.WaitDone());
    EXPECT_EQ(server.ConnectionOf(1), 1);
}

struct KeepAliveCase {
    const char* connectionHeader;
    bool kept;
};

class Http11KeepAlive : public ::testing::TestWithParam<KeepAliveCase> {};

TEST_P(Http11KeepAlive, KeptUnlessTheServerSaysClose) {
    ScriptedServer server({{Expect::Exact(Get("/a")), Ok("A", GetParam().connectionHeader)}});
    Client c;
    EXPECT_EQ(c.http.GetText(server.Url("/a")), "A");
    EXPECT_EQ(c.http.Connected(), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(Headers, Http11KeepAlive,
                         ::testing::Values(KeepAliveCase{"", true}, KeepAliveCase{"Connection: close\r\n", false},
                                           KeepAliveCase{"Connection:  CLOSE \r\n", false},
                                           KeepAliveCase{"Proxy-Connection: Close\r\n", false},
                                           KeepAliveCase{"Connection: keep-alive\r\n", true},
                                           KeepAliveCase{"Connection: closed\r\n", true}));

TEST(HttpConnection, ChangeOfPortClosesTheOldConnection) {
    ScriptedServer one({{Expect::Exact(Get("/a")), Ok("A")}});
    ScriptedServer two({{Expect::Exact(Get("/b")), Ok("B")}});
    Client c;
    EXPECT_EQ(c.http.GetText(one.Url("/a")), "A");
    EXPECT_EQ(c.http.GetText(two.Url("/b")), "B");
    EXPECT_TRUE(one.WaitClosedByClient(0));
    EXPECT_TRUE(two.WaitDone());
}

// ---------------------------------------------------------------------------
// URLs

TEST(HttpUrl, RelativeUrlGoesToThePreviousHostRelativeToThePreviousPath) {
    ScriptedServer server({{Expect::Exact(Get("/dir/a.php")), Ok("A")},
                           {Expect::Exact(Get("/dir/b.php?x=1")), Ok("B")},
                           {Expect::Exact(Get("/dir/sub/c.txt")), Ok("C")},
                           {Expect::Exact(Get("/dir/d.txt")), Ok("D")}});
    Client c;
    EXPECT_EQ(c.http.GetText(server.Url("/dir/a.php")), "A");
    EXPECT_EQ(c.http.GetText("b.php?x=1"), "B");
    EXPECT_EQ(c.http.GetText("sub/c.txt"), "C");
    EXPECT_EQ(c.http.GetText("../d.txt"), "D");
    EXPECT_TRUE(server.WaitDone());
}

TEST(HttpUrl, UserInformationIsKeptButNeverSent) {
    ScriptedServer server({{Expect::Exact(Get("/x")), Ok("x")}});
    Client c;
    EXPECT_EQ(c.http.GetText("http://user:secret@" + server.HostPort() + "/x"), "x");
    EXPECT_TRUE(server.WaitDone());
    EXPECT_EQ(c.http.Request().Username, "user");
    EXPECT_EQ(c.http.Request().Password, "secret");
}

TEST(HttpUrl, RelativeUrlBeforeAnyHostGoesToTheResolverWithAnEmptyName) {
    Client c;
    EXPECT_THROW(c.http.GetText("couponsactions.php"), EIdSocketError);
    EXPECT_EQ(c.http.Request().Host, "");
}

TEST(HttpUrl, HttpsFailsBeforeAnyConnection) {
    ScriptedServer server({{Expect::Exact(Get("/after")), Ok("ok")}});
    Client c;
    try {
        c.http.GetText("https://127.0.0.1:" + std::to_string(server.Port()) + "/x");
        FAIL() << "https went through";
    } catch (const EIdIOHandlerPropInvalid& e) {
        EXPECT_STREQ(e.what(), "IOHandler value is not valid");
    }
    // The first connection the server ever sees is the next request's.
    EXPECT_EQ(c.http.GetText(server.Url("/after")), "ok");
    EXPECT_TRUE(server.WaitDone());
    EXPECT_EQ(server.ConnectionOf(0), 0);
}

TEST(HttpUrl, UnknownProtocolWithoutPortFailsWithEmptyMessage) {
    Client c;
    try {
        c.http.GetText("ftp://127.0.0.1/x");
        FAIL() << "went through";
    } catch (const EIdUnknownProtocol& e) {
        EXPECT_STREQ(e.what(), "");
    }
    EXPECT_FALSE(c.http.Connected());
}

TEST(HttpUrl, HostNameWithoutPortMeansTheDefaultPortNotThePreviousOne) {
    ScriptedServer server({{Expect::Exact(Get("/a")), Ok("A")}});
    Client c;
    EXPECT_EQ(c.http.GetText(server.Url("/a")), "A");
    c.http.SetReadTimeout(2000);
    try {
        c.http.GetText("http://127.0.0.2/b");
    } catch (const std::exception&) {
        // Whatever port 80 of that address does is not the point.
    }
    EXPECT_EQ(c.http.URL().Port, "80");
    EXPECT_EQ(c.http.Port(), 80);
    EXPECT_EQ(c.http.Request().Host, "127.0.0.2");
}

// The same host named again without a port stays on its port, whatever the
// scheme; only another host goes to the scheme's default port.
TEST(HttpUrl, SameHostWithoutPortKeepsTheCurrentPort) {
    ScriptedServer server({{Expect::Exact(Get("/a")), Ok("A")}, {Expect::Exact(Get("/b")), Ok("B")}});
    Client c;
    const std::string port = std::to_string(server.Port());
    EXPECT_EQ(c.http.GetText(server.Url("/a")), "A");
    EXPECT_EQ(c.http.GetText("http://127.0.0.1/b"), "B");
    EXPECT_TRUE(server.WaitDone());
    EXPECT_EQ(server.ConnectionOf(1), 0);

    try {
        c.http.GetText("HTTPS://127.0.0.1/c");
    } catch (const std::exception&) {
        // Whether https can go out is not the point here.
    }
    EXPECT_EQ(c.http.URL().Port, port);
    EXPECT_EQ(c.http.Request().Host, "127.0.0.1:" + port);
}

TEST(HttpUrl, HostFieldCarriesThePortUnlessItIs80) {
    Client c;
    EXPECT_ANY_THROW(c.http.GetText("https://example.invalid/"));
    EXPECT_EQ(c.http.Request().Host, "example.invalid:443");
    EXPECT_ANY_THROW(c.http.GetText("https://example.invalid:80/"));
    EXPECT_EQ(c.http.Request().Host, "example.invalid");
}

// ---------------------------------------------------------------------------
// Redirects

void AddRedirectChain(ScriptedServer& server, const std::string& prefix, int redirects, const std::string& last) {
    for (int i = 1; i <= redirects; ++i)
        server.Add({Expect::Exact(Get("/" + prefix + std::to_string(i))),
                    Redirect("/" + prefix + std::to_string(i + 1))});
    if (!last.empty())
        server.Add({Expect::Exact(Get("/" + prefix + std::to_string(redirects + 1))), Ok(last)});
}

TEST(HttpRedirect, FourteenRedirectsAreFollowedToTheEnd) {
    ScriptedServer server;
    AddRedirectChain(server, "r", 14, "done");
    Client c;
    EXPECT_EQ(c.http.GetText(server.Url("/r1")), "done");
    EXPECT_TRUE(server.WaitDone());
    EXPECT_EQ(server.ServedCount(), 15);
    EXPECT_EQ(server.Connections(), 1);
}

TEST(HttpRedirect, FifteenthRedirectEndsWithEmptyTextAndTheNextOperationCountsAgain) {
    ScriptedServer server;
    AddRedirectChain(server, "r", 15, "");
    AddRedirectChain(server, "s", 14, "done");
    Client c;
    EXPECT_EQ(c.http.GetText(server.Url("/r1")), "");
    EXPECT_EQ(c.http.LastStatusLine(), "HTTP/1.1 302 Found");
    EXPECT_EQ(c.http.Response().Location(), "/r16");
    EXPECT_EQ(c.http.GetText(server.Url("/s1")), "done");
    EXPECT_TRUE(server.WaitDone());
}

TEST(HttpRedirect, CountingStartsAgainAfterAFailedOperation) {
    ScriptedServer server;
    AddRedirectChain(server, "f", 3, "");
    server.Add({Expect::Exact(Get("/f4")), "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"});
    AddRedirectChain(server, "s", 14, "done");
    Client c;
    EXPECT_THROW(c.http.GetText(server.Url("/f1")), EIdHTTPProtocolException);
    EXPECT_EQ(c.http.GetText(server.Url("/s1")), "done");
    EXPECT_TRUE(server.WaitDone());
}

TEST(HttpRedirect, PostIsSentAgainWithTheSameBodyToTheLocation) {
    ScriptedServer server({{Expect::Exact(Post("/a.php")),
                            "HTTP/1.1 302 Found\r\nLocation: http://{HOST}/b.php\r\nContent-Length: 0\r\n\r\n"},
                           {Expect::Exact(Post("/b.php")), Ok("OK")}});
    Client c;
    EXPECT_EQ(PostForm(c.http, server.Url("/a.php")), "OK");
    EXPECT_TRUE(server.WaitDone());
}

TEST(HttpRedirect, SuccessWithLocationIsARedirectAndItsBodyIsDropped) {
    ScriptedServer server({{Expect::Exact(Get("/a")), Ok("discarded", "Location: /other\r\n")},
                           {Expect::Exact(Get("/other")), Ok("real")}});
    Client c;
    EXPECT_EQ(c.http.GetText(server.Url("/a")), "real");
    EXPECT_TRUE(server.WaitDone());
}

TEST(HttpRedirect, RedirectBodiesNeverReachTheSink) {
    ScriptedServer server({{Expect::Exact(Get("/a")), Redirect("/b")}, {Expect::Exact(Get("/b")), Ok("final")}});
    Client c;
    TIdMemoryStream sink(std::string("keep:"));
    sink.Seek(0, TSeekOrigin::soEnd);
    c.http.GetToStream(server.Url("/a"), sink);
    EXPECT_EQ(sink.DataString(), "keep:final");
}

TEST(HttpRedirect, WithRedirectsOffTheStatusFails) {
    ScriptedServer server({{Expect::Exact(Get("/a")), Redirect("/b")}});
    Client c;
    c.http.SetHandleRedirects(false);
    try {
        c.http.GetText(server.Url("/a"));
        FAIL() << "no failure";
    } catch (const EIdHTTPProtocolException& e) {
        EXPECT_EQ(e.ErrorCode(), 302);
        EXPECT_EQ(e.ErrorMessage(), "moved");
    }
}

TEST(HttpRedirect, BrokenRedirectBodyDoesNotPoisonTheConnection) {
    // The redirect promises ten bytes and sends three: after the discard
    // gives up, the rest could still arrive, so the next pass connects anew.
    Exchange broken{Expect::Exact(Get("/a")), "HTTP/1.1 302 Found\r\nLocation: /b\r\nContent-Length: 10\r\n\r\nabc",
                    Then::Close};
    ScriptedServer server({broken, {Expect::Exact(Get("/b")), Ok("B")}});
    Client c;
    EXPECT_EQ(c.http.GetText(server.Url("/a")), "B");
    EXPECT_TRUE(server.WaitDone());
    EXPECT_EQ(server.ConnectionOf(1), 1);
}

// ---------------------------------------------------------------------------
// Response bodies

struct BodyCase {
    const char* name;
    std::string response;
    Then then;
    std::string text;
};

class ResponseBody : public ::testing::TestWithParam<BodyCase> {};

TEST_P(ResponseBody, IsReadByItsFraming) {
    ScriptedServer server({{Expect::Exact(Get("/x")), GetParam().response, GetParam().then}});
    Client c;
    EXPECT_EQ(c.http.GetText(server.Url("/x")), GetParam().text);
    EXPECT_TRUE(server.WaitDone());
}

INSTANTIATE_TEST_SUITE_P(
    Framing, ResponseBody,
    ::testing::Values(
        BodyCase{"ContentLength", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", Then::KeepAlive, "hello"},
        BodyCase{"ContentLengthWinsOverChunked",
                 "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\nhello", Then::KeepAlive,
                 "hello"},
        BodyCase{"Chunked",
                 "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6 ext\r\n world\r\n0\r\n\r\n",
                 Then::KeepAlive, "hello world"},
        BodyCase{"ChunkedUpperCaseHex",
                 "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nA\r\n0123456789\r\n0\r\n\r\n", Then::KeepAlive,
                 "0123456789"},
        BodyCase{"ChunkExtensionWithoutBlankIsSizeZero",
                 "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1a;ext=1\r\nabcdefghijklmnopqrstuvwxyz\r\n0\r\n\r\n",
                 Then::KeepAlive, ""},
        BodyCase{"ChunkedWithContentLengthZero",
                 "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab\r\n0\r\n\r\n",
                 Then::KeepAlive, "ab"},
        BodyCase{"ChunkedOnlyInLowerCase", "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n2\r\nab\r\n0\r\n\r\n",
                 Then::Close, "2\r\nab\r\n0\r\n\r\n"},
        BodyCase{"UntilClose", "HTTP/1.0 200 OK\r\n\r\nall of it", Then::Close, "all of it"},
        BodyCase{"InvalidLengthReadsUntilClose", "HTTP/1.1 200 OK\r\nContent-Length: 5x\r\n\r\nabcdefg", Then::Close,
                 "abcdefg"},
        BodyCase{"LengthZeroReadsNothing", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", Then::KeepAlive, ""},
        BodyCase{"NoContentReadsNothing", "HTTP/1.1 204 No Content\r\n\r\n", Then::KeepAlive, ""},
        BodyCase{"ContinueIsSkipped",
                 "HTTP/1.1 100 Continue\r\nX-A: 1\r\n\r\nHTTP/1.1 100 Continue\r\n\r\n"
                 "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK",
                 Then::KeepAlive, "OK"},
        BodyCase{"FoldedHeaderValue", "HTTP/1.1 200 OK\r\nContent-Length:\r\n 3\r\n\r\nabc", Then::KeepAlive, "abc"},
        BodyCase{"LineEndsWithoutCr", "HTTP/1.1 200 OK\nContent-Length: 3\n\nabc", Then::KeepAlive, "abc"},
        BodyCase{"BinaryBytesUnchanged", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n" + std::string("\0\r\n\xff", 4),
                 Then::KeepAlive, std::string("\0\r\n\xff", 4)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HttpBody, ContinueResponsesLeaveTheFinalStatusLine) {
    ScriptedServer server(
        {{Expect::Exact(Get("/x")), "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK"}});
    Client c;
    EXPECT_EQ(c.http.GetText(server.Url("/x")), "OK");
    EXPECT_EQ(c.http.LastStatusLine(), "HTTP/1.1 200 OK");
}

TEST(HttpBody, BodyShorterThanItsContentLengthIsAFailure) {
    ScriptedServer server(
        {{Expect::Exact(Get("/list")), "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly part", Then::Close}});
    Client c;
    try {
        c.http.GetText(server.Url("/list"));
        FAIL() << "a truncated body passed as complete";
    } catch (const EIdConnClosedGracefully& e) {
        EXPECT_STREQ(e.what(), "Connection Closed Gracefully.");
    }
    EXPECT_FALSE(c.http.Connected());
}

TEST(HttpBody, LargeBodyIntoAFileFromTheSinksPosition) {
    const std::uint64_t size = 3 * 1024 * 1024 + 17;
    Exchange big{Expect::Exact(Get("/big.bin")),
                 "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n"};
    big.generatedBytes = size;
    ScriptedServer server({big});
    TempDir dir;
    Client c;
    {
        TIdFileStream file(dir.File("big.bin"), TIdFileMode::fmCreate);
        file.Write("head", 4);
        c.http.GetToStream(server.Url("/big.bin"), file);
        EXPECT_EQ(file.Size(), std::int64_t(size + 4));
    }
    const std::string content = dir.Read("big.bin");
    ASSERT_EQ(content.size(), size + 4);
    EXPECT_EQ(content.substr(0, 4), "head");
    for (std::uint64_t i = 0; i < size; i += 4099)
        ASSERT_EQ(content[4 + i], ScriptedServer::GeneratedByte(i)) << i;
}

TEST(HttpBody, UntilCloseWithAServerThatStaysOpenTimesOut) {
    ScriptedServer server({{Expect::Exact(Get("/x")), "HTTP/1.0 200 OK\r\n\r\npartial"}});
    Client c;
    c.http.SetReadTimeout(300);
    try {
        c.http.GetText(server.Url("/x"));
        FAIL() << "no time-out";
    } catch (const EIdReadTimeout& e) {
        EXPECT_STREQ(e.what(), "Read Timeout");
    }
    // The rest of that response may still come: the connection is dropped.
    EXPECT_FALSE(c.http.Connected());
}

TEST(HttpBody, NoAnswerTimesOut) {
    ScriptedServer server({{Expect::Exact(Get("/x")), ""}});
    Client c;
    c.http.SetReadTimeout(300);
    EXPECT_THROW(c.http.GetText(server.Url("/x")), EIdReadTimeout);
    EXPECT_EQ(c.http.LastConnectTimeout(), 300);
    EXPECT_EQ(c.http.LastStatusLine(), "");
}

TEST(HttpBody, OverlongStatusLineFails) {
    ScriptedServer server({{Expect::Exact(Get("/x")), "HTTP/1.1 200 " + std::string(16400, 'x') + "\r\n\r\n"}});
    Client c;
    EXPECT_THROW(c.http.GetText(server.Url("/x")), EIdReadLnMaxLineLengthExceeded);
}

// ---------------------------------------------------------------------------
// Status handling

TEST(HttpStatus, NotFoundRaisesWithTheStatusLineAndBody) {
    ScriptedServer server(
        {{Expect::Exact(Get("/missing")), "HTTP/1.1 404 Not Found\r\nContent-Length: 12\r\n\r\nno such page"}});
    Client c;
    try {
        c.http.GetText(server.Url("/missing"));
        FAIL() << "no failure";
    } catch (const EIdHTTPProtocolException& e) {
        EXPECT_EQ(e.ErrorCode(), 404);
        EXPECT_STREQ(e.what(), "HTTP/1.1 404 Not Found");
        EXPECT_EQ(e.ErrorMessage(), "no such page");
    }
    EXPECT_EQ(c.http.LastStatusLine(), "HTTP/1.1 404 Not Found");
    EXPECT_TRUE(c.http.Connected());  // its body was read whole
}

TEST(HttpStatus, FailedStatusBodyNeverReachesTheSink) {
    ScriptedServer server({{Expect::Exact(Get("/x")), "HTTP/1.1 500 Oops\r\nContent-Length: 4\r\n\r\nbody"}});
    Client c;
    TIdMemoryStream sink;
    EXPECT_THROW(c.http.GetToStream(server.Url("/x"), sink), EIdHTTPProtocolException);
    EXPECT_EQ(sink.Size(), 0);
}

TEST(HttpStatus, StatusLineWithoutNumberFails) {
    ScriptedServer server({{Expect::Exact(Get("/x")), "HTTP/1.1 abc\r\nContent-Length: 0\r\n\r\n"}});
    Client c;
    try {
        c.http.GetText(server.Url("/x"));
        FAIL() << "no failure";
    } catch (const EIdHTTPProtocolException& e) {
        EXPECT_EQ(e.ErrorCode(), -1);
        EXPECT_STREQ(e.what(), "HTTP/1.1 abc");
    }
}

TEST(HttpStatus, ServerClosingDuringTheHeadOfASuccessIsUndefined) {
    ScriptedServer server({{Expect::Exact(Get("/x")), "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n", Then::Close}});
    Client c;
    try {
        c.http.GetText(server.Url("/x"));
        FAIL() << "no failure";
    } catch (const EIdHTTPProtocolException&) {
        FAIL() << "wrong failure";
    } catch (const EIdException& e) {
        EXPECT_STREQ(e.what(), "Undefined situation");
    }
}

TEST(HttpStatus, ServerClosingBeforeTheStatusLineFails) {
    ScriptedServer server({{Expect::Exact(Get("/x")), "", Then::Close}});
    Client c;
    EXPECT_THROW(c.http.GetText(server.Url("/x")), EIdConnClosedGracefully);
}

TEST(HttpStatus, LastStatusLineKeepsTheLastOneReceived) {
    ScriptedServer server({{Expect::Exact(Get("/a")), "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"},
                           {Expect::Exact(Get("/b")), "", Then::Close}});
    Client c;
    EXPECT_THROW(c.http.GetText(server.Url("/a")), EIdHTTPProtocolException);
    EXPECT_THROW(c.http.GetText(server.Url("/b")), EIdConnClosedGracefully);
    EXPECT_EQ(c.http.LastStatusLine(), "HTTP/1.1 404 Not Found");
}

struct AuthCase {
    const char* challenge;
    bool attached;
};

class HttpAuthentication : public ::testing::TestWithParam<AuthCase> {};

TEST_P(HttpAuthentication, BasicOfferAttachesAnEmptyBasicSchemeToLaterRequests) {
    const std::string authorization = GetParam().attached ? "Authorization: Basic Og==\r\n" : "";
    ScriptedServer server({{Expect::Exact(Get("/secret")),
                            std::string("HTTP/1.1 401 Unauthorized\r\n") + GetParam().challenge +
                                "Content-Length: 6\r\n\r\ndenied"},
                           {Expect::Exact(Get("/next", "Content-Type: text/html\r\n", authorization)), Ok("n")},
                           {Expect::Exact(Get("/again", "Content-Type: text/html\r\n", authorization)), Ok("a")}});
    Client c;
    try {
        c.http.GetText(server.Url("/secret"));
        FAIL() << "no failure";
    } catch (const EIdHTTPProtocolException& e) {
        EXPECT_EQ(e.ErrorCode(), 401);
        EXPECT_STREQ(e.what(), "HTTP/1.1 401 Unauthorized");
        EXPECT_EQ(e.ErrorMessage(), "denied");
    }
    EXPECT_EQ(c.http.GetText(server.Url("/next")), "n");
    EXPECT_EQ(c.http.GetText(server.Url("/again")), "a");
    EXPECT_TRUE(server.WaitDone());
}

INSTANTIATE_TEST_SUITE_P(Challenges, HttpAuthentication,
                         ::testing::Values(AuthCase{"WWW-Authenticate: Basic realm=\"coupons\"\r\n", true},
                                           AuthCase{"WWW-Authenticate: Digest realm=\"x\"\r\n"
                                                    "WWW-Authenticate: basic\r\n",
                                                    true},
                                           AuthCase{"WWW-Authenticate: Digest realm=\"x\"\r\n", false},
                                           AuthCase{"", false}));

TEST(HttpStatus, ProxyAuthenticationRequiredFailsWithoutAttachingAnything) {
    ScriptedServer server({{Expect::Exact(Get("/x")),
                            "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic\r\n"
                            "Content-Length: 0\r\n\r\n"},
                           {Expect::Exact(Get("/y")), Ok("y")}});
    Client c;
    EXPECT_THROW(c.http.GetText(server.Url("/x")), EIdHTTPProtocolException);
    EXPECT_EQ(c.http.GetText(server.Url("/y")), "y");
    EXPECT_TRUE(server.WaitDone());
}

struct StatusCodeCase {
    const char* line;
    int code;
};

class StatusCode : public ::testing::TestWithParam<StatusCodeCase> {};

TEST_P(StatusCode, IsTheSecondWordReadAsADecimalNumber) {
    EXPECT_EQ(TIdHTTPResponse::ParseStatusCode(GetParam().line), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Lines, StatusCode,
                         ::testing::Values(StatusCodeCase{"HTTP/1.1 200 OK", 200},
                                           StatusCodeCase{"HTTP/1.0 404 Not Found", 404},
                                           StatusCodeCase{"HTTP/1.1  301  Moved", 301},
                                           StatusCodeCase{"HTTP/1.1 200", 200}, StatusCodeCase{"HTTP/1.1 abc", -1},
                                           StatusCodeCase{"HTTP/1.1 20x OK", -1}, StatusCodeCase{"HTTP/1.1", -1},
                                           StatusCodeCase{"", -1}, StatusCodeCase{"HTTP/1.1 -5 x", -1},
                                           StatusCodeCase{"HTTP/1.1 99999999999 x", -1}));

struct ChunkSizeCase {
    const char* line;
    std::int64_t size;
};

class ChunkSize : public ::testing::TestWithParam<ChunkSizeCase> {};

TEST_P(ChunkSize, IsHexBeforeTheFirstBlankElseZero) {
    EXPECT_EQ(TIdHTTPResponse::ParseChunkSize(GetParam().line), GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(Lines, ChunkSize,
                         ::testing::Values(ChunkSizeCase{"1a", 26}, ChunkSizeCase{"1a;ext=1", 0},
                                           ChunkSizeCase{"1a ;ext=1", 26}, ChunkSizeCase{"FF", 255},
                                           ChunkSizeCase{"0", 0}, ChunkSizeCase{"", 0}, ChunkSizeCase{" 5", 0},
                                           ChunkSizeCase{"g", 0},
                                           ChunkSizeCase{"fffffffffffffff", 0xfffffffffffffff},
                                           ChunkSizeCase{"00000000000000000001a", 26},
                                           ChunkSizeCase{"1000000000000000g", 0}));

// A size that does not fit 60 bits is no size at all; before, 16 digits or
// more read as 0 and ended the body as if it were complete.
TEST(ChunkSize, BeyondSixtyBitsIsABrokenResponse) {
    for (const char* line : {"1000000000000000", "fffffffffffffffffff", "FFFFFFFFFFFFFFFF ext"}) {
        try {
            TIdHTTPResponse::ParseChunkSize(line);
            FAIL() << line;
        } catch (const EIdBrokenResponse& e) {
            EXPECT_STREQ(e.what(), "Chunk size too large.");
        }
    }
}

TEST(HttpBody, ChunkSizeOfSixteenDigitsFailsTheRequest) {
    ScriptedServer server({{Expect::Exact(Get("/x")),
                            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab\r\n"
                            "1000000000000000\r\ncd\r\n0\r\n\r\n"}});
    Client c;
    EXPECT_THROW(c.http.GetText(server.Url("/x")), EIdBrokenResponse);
    EXPECT_FALSE(c.http.Connected());
}

// ---------------------------------------------------------------------------
// Cookies

TEST(HttpCookies, SetByOneResponseAndSentFromTheNextRequestOn) {
    ScriptedServer server({{Expect::Exact(Get("/a")), Ok("A", "Set-Cookie: id=7; path=/\r\n")},
                           {Expect::Exact(Get("/dir/b", "Content-Type: text/html\r\n", "Cookie: id=7\r\n")), Ok("B")},
                           {Expect::Exact(Get("/c", "Content-Type: text/html\r\n", "Cookie: id=7\r\n")), Ok("C")}});
    Client c;
    EXPECT_EQ(c.http.GetText(server.Url("/a")), "A");
    EXPECT_EQ(c.http.GetText(server.Url("/dir/b")), "B");
    EXPECT_EQ(c.http.GetText(server.Url("/c")), "C");
    EXPECT_TRUE(server.WaitDone());
}

TEST(HttpCookies, CookiesOfRedirectAndContinueResponsesAreKept) {
    ScriptedServer server(
        {{Expect::Exact(Get("/a")),
          "HTTP/1.1 100 Continue\r\nSet-Cookie: c=1; path=/\r\n\r\n"
          "HTTP/1.1 302 Found\r\nSet-Cookie: r=2; path=/\r\nLocation: /b\r\nContent-Length: 0\r\n\r\n"},
         {Expect::Exact(Get("/b", "Content-Type: text/html\r\n", "Cookie: r=2; c=1\r\n")), Ok("B")}});
    Client c;
    EXPECT_EQ(c.http.GetText(server.Url("/a")), "B");
    EXPECT_TRUE(server.WaitDone());
}

TEST(HttpCookies, NotKeptWhenCookiesAreOff) {
    ScriptedServer server({{Expect::Exact(Get("/a")), Ok("A", "Set-Cookie: id=7; path=/\r\n")},
                           {Expect::Exact(Get("/b")), Ok("B")}});
    Client c;
    c.http.SetAllowCookies(false);
    EXPECT_EQ(c.http.GetText(server.Url("/a")), "A");
    EXPECT_EQ(c.http.GetText(server.Url("/b")), "B");
    EXPECT_TRUE(server.WaitDone());
    EXPECT_EQ(c.http.CookieManager(), nullptr);
}

TEST(HttpCookies, BadSetCookie2PortFailsTheRequest) {
    ScriptedServer server({{Expect::Exact(Get("/a")), Ok("A", "Set-Cookie2: id=7; Port=\"80,x\"\r\n")}});
    Client c;
    EXPECT_THROW(c.http.GetText(server.Url("/a")), EConvertError);
}

TEST(HttpCookies, LongCookieLineIsFolded) {
    const std::string a(300, 'a'), b(300, 'b'), c(300, 'c'), d(300, 'd');
    const std::string unfolded = "Cookie: d=" + d + "; c=" + c + "; b=" + b + "; a=" + a;
    auto check = [&](const std::string& request) -> std::string {
        const std::size_t start = request.find("Cookie: ");
        const std::size_t end = request.find("\r\n\r\n");
        if (start == std::string::npos)
            return "no Cookie line";
        const std::string lines = request.substr(start, end - start + 2);
        std::string joined;
        std::size_t at = 0, count = 0;
        while (at < lines.size()) {
            const std::size_t eol = lines.find("\r\n", at);
            const std::string line = lines.substr(at, eol - at);
            if (line.size() > 1024)
                return "a line is longer than 1024 characters";
            if (count > 0 && (line.size() < 2 || line[0] != ' ' || line[1] == ' '))
                return "a continuation does not begin with one space";
            joined += count > 0 ? line.substr(1) : line;
            at = eol + 2;
            ++count;
        }
        if (count < 2)
            return "the line was not folded";
        if (joined != unfolded)
            return "the folded lines do not join to the Cookie line";
        return "";
    };
    ScriptedServer server({{Expect::Exact(Get("/a")), Ok("A", "Set-Cookie: a=" + a + "; path=/\r\nSet-Cookie: b=" + b +
                                                               "; path=/\r\nSet-Cookie: c=" + c +
                                                               "; path=/\r\nSet-Cookie: d=" + d + "; path=/\r\n")},
                           {Expect::Where(check), Ok("B")}});
    Client client;
    EXPECT_EQ(client.http.GetText(server.Url("/a")), "A");
    EXPECT_EQ(client.http.GetText(server.Url("/b")), "B");
    EXPECT_TRUE(server.WaitDone());
}

struct FoldCase {
    std::string line;
    std::string folded;
};

class HeaderFolding : public ::testing::TestWithParam<FoldCase> {};

TEST_P(HeaderFolding, BreaksAfterBlankTabOrCommaOutsideQuotes) {
    EXPECT_EQ(TIdHTTP::FoldHeaderLine(GetParam().line, 10), GetParam().folded);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HeaderFolding,
    ::testing::Values(FoldCase{"X: short", "X: short\r\n"}, FoldCase{"X: 0123456789", "X: \r\n 0123456789\r\n"},
                      FoldCase{"X: aa,bb,cc,dd", "X: aa,bb,\r\n cc,dd\r\n"},
                      FoldCase{"X: \"a,b,c,d,e\",f", "X: \r\n \"a,b,c,d,e\",\r\n f\r\n"},
                      FoldCase{"X:0123456789abc", "X:0123456789abc\r\n"},
                      FoldCase{"X: a\tb\tc\td\te", "X: a\tb\tc\t\r\n d\te\r\n"}));

// ---------------------------------------------------------------------------
// Failures before and around the connection

TEST(HttpFailure, RefusedConnectCarriesTheSocketErrorText) {
    Client c;
    try {
        c.http.GetText("http://127.0.0.1:" + std::to_string(RefusingPort()) + "/x");
        FAIL() << "connected";
    } catch (const EIdConnectException& e) {
        EXPECT_STREQ(e.what(), "Socket Error # 10061\r\nConnection refused.");
    }
}

TEST(HttpFailure, ConnectTimeOutIsTheReadTimeOut) {
    FullBacklogListener listener;
    Client c;
    c.http.SetReadTimeout(300);
    const auto start = Clock::now();
    try {
        c.http.GetText("http://127.0.0.1:" + std::to_string(listener.Port()) + "/x");
        FAIL() << "connected";
    } catch (const EIdConnectTimeout& e) {
        EXPECT_STREQ(e.what(), "Connect timed out.");
    }
    EXPECT_GE(MsSince(start), 295);
    EXPECT_EQ(c.http.LastConnectTimeout(), 300);
}

// A body that claims ten bytes more than it yields.
class ShortBody : public TIdMultiPartFormDataStream {
public:
    std::int64_t Size() override { return TIdMultiPartFormDataStream::Size() + 10; }
};

TEST(HttpFailure, SmallBodyShorterThanItsSizeFailsBeforeAnythingIsSent) {
    ScriptedServer server({{Expect::Any(), Ok("never")}});
    Client c;
    ShortBody body;
    body.AddField("action", "1");
    try {
        c.http.PostForm(server.Url("/a.php"), body);
        FAIL() << "sent";
    } catch (const EIdNoDataToRead& e) {
        EXPECT_STREQ(e.what(), "No data to read.");
    }
    EXPECT_EQ(c.http.ProtocolVersion(), TIdHTTPProtocolVersion::pv1_1);
    EXPECT_FALSE(c.http.Connected());
    // Head and small body leave in one send, so nothing went out.
    EXPECT_TRUE(server.WaitClosedByClient(0));
    EXPECT_TRUE(server.Check());
    EXPECT_EQ(server.ServedCount(), 0);
}

TEST(HttpFailure, LargeBodyShorterThanItsSizeFailsAfterTheHead) {
    ScriptedServer server({{Expect::Any(), Ok("never")}});
    Client c;
    ShortBody body;
    body.AddField("comments", std::string(100000, 'c'));
    EXPECT_THROW(c.http.PostForm(server.Url("/a.php"), body), EIdNoDataToRead);
    EXPECT_FALSE(c.http.Connected());
    // The server saw a request cut short.
    EXPECT_TRUE(server.WaitClosedByClient(0));
    EXPECT_FALSE(server.Check());
}

TEST(HttpBody, LargePostBodyTravelsWhole) {
    auto body = std::make_unique<TIdMultiPartFormDataStream>([] { return TIdDateTime{2008, 5, 18, 14, 30, 5, 123}; });
    const std::string value(100000, 'v');
    body->AddField("comments", value);
    const std::string bytes = "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"comments\"\r\n\r\n" + value +
                              "\r\n\r\n--" + kBoundary + "--\r\n";
    ScriptedServer server({{Expect::Exact("POST /big.php HTTP/1.0\r\nConnection: keep-alive\r\nContent-Type: " +
                                          kMultipart + "\r\nContent-Length: " + std::to_string(bytes.size()) +
                                          "\r\nHost: {HOST}\r\n" + kAcceptAndAgent + "\r\n" + bytes),
                            Ok("OK")}});
    Client c;
    EXPECT_EQ(c.http.PostForm(server.Url("/big.php"), *body), "OK");
    EXPECT_TRUE(server.WaitDone());
}

TEST(HttpFailure, SecondOperationWhileOneIsInProgressIsRefused) {
    Exchange slow{Expect::Exact(Get("/slow")), Ok("slow")};
    slow.held = true;
    ScriptedServer server({slow});
    RecordingPump pump;
    Client c;
    bool busyInPump = false;
    std::string refusal;
    pump.OnCall = [&](int calls) {
        if (calls > 1)
            return;
        busyInPump = c.http.Busy();
        try {
            c.http.GetText(server.Url("/other"));
        } catch (const EIdException& e) {
            refusal = e.what();
        }
        server.Release();
    };
    EXPECT_EQ(c.http.GetText(server.Url("/slow")), "slow");
    EXPECT_TRUE(busyInPump);
    EXPECT_EQ(refusal, "Another request is in progress.");
    EXPECT_FALSE(c.http.Busy());
    EXPECT_TRUE(server.WaitDone());
}

TEST(HttpFailure, CloseConnectionFromAPumpEndsTheOperation) {
    Exchange never{Expect::Exact(Get("/x")), ""};
    ScriptedServer server({never});
    RecordingPump pump;
    Client c;
    pump.OnCall = [&](int) { c.http.CloseConnection(); };
    EXPECT_THROW(c.http.GetText(server.Url("/x")), EIdConnClosedGracefully);
    EXPECT_FALSE(c.http.Busy());
    EXPECT_FALSE(c.http.Connected());
}

TEST(HttpFailure, CloseConnectionWithoutConnectionDoesNothing) {
    TIdHTTP http;
    http.CloseConnection();
    EXPECT_FALSE(http.Connected());
}

}  // namespace
