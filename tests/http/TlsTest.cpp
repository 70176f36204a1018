// SPDX-License-Identifier: GPL-3.0-or-later
// The HTTP client over TLS: the scripted server's tables behind a TLS front
// on loopback, with certificates made for this run. The requests must be
// those of plain HTTP byte for byte; the handshake verifies the way a
// browser does and refuses before a request byte leaves.

#include "http/IdCookieManager.h"
#include "http/IdException.h"
#include "http/IdHTTP.h"
#include "http/IdMemoryStream.h"
#include "http/IdTLSIOHandler.h"
#include "tests/http/HttpRequests.h"
#include "tests/http/TransportTestUtil.h"
#include "tests/support/RawTlsPeer.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestCertificates.h"
#include "tests/support/TlsFront.h"

#include <gtest/gtest.h>
#include <openssl/ssl.h>

#include <memory>
#include <thread>

using namespace transport_test;
using namespace http_requests;
using Exchange = ScriptedServer::Exchange;
using Expect = ScriptedServer::Expect;
using Then = ScriptedServer::Then;
using Kind = TestCertificates::Kind;

namespace {

// A client whose owner allows https.
struct SecureClient : Client {
    SecureClient() { http.SetAllowHttps(true); }
};

// An exchange as the client sends it through the front: {HOST} is the
// front's address, not the backend's.
Exchange Via(const TlsFront& front, Exchange e) {
    const std::string host = "127.0.0.1:" + std::to_string(front.Port());
    for (std::string* text : {&e.expect.bytes, &e.response})
        for (std::size_t at = text->find("{HOST}"); at != std::string::npos; at = text->find("{HOST}", at))
            text->replace(at, 6, host);
    return e;
}

// A backend with its front; exchanges are added through the front.
struct Site {
    explicit Site(TlsFront::Options options = {}) : front(server.Port(), options) {}
    void Add(Exchange e) { server.Add(Via(front, std::move(e))); }
    ScriptedServer server;
    TlsFront front;
};

std::string WithHost(std::string text, int port) {
    const std::string host = "127.0.0.1:" + std::to_string(port);
    for (std::size_t at = text.find(host); at != std::string::npos; at = text.find(host, at))
        text.replace(at, host.size(), "{HOST}");
    return text;
}

// ---------------------------------------------------------------------------
// The same requests as over plain HTTP

TEST(Https, FirstGetAndPostAreThoseOfPlainHttpByteForByte) {
    const Exchange script[] = {
        {Expect::Exact(Get("/couponsactions.php")), Ok("got")},
        {Expect::Exact(Post("/couponsactions.php")), Ok("OK", "Connection: keep-alive\r\n")},
    };
    ScriptedServer plain;
    Site secure;
    for (const Exchange& e : script) {
        plain.Add(e);
        secure.Add(e);
    }
    TIdHTTP plainClient;
    plainClient.SetReadTimeout(kSafetyTimeout);
    SecureClient secureClient;
    EXPECT_EQ(plainClient.GetText(plain.Url("/couponsactions.php")), "got");
    EXPECT_EQ(secureClient.http.GetText(secure.front.Url("/couponsactions.php")), "got");
    EXPECT_EQ(PostForm(plainClient, plain.Url("/couponsactions.php")), "OK");
    EXPECT_EQ(PostForm(secureClient.http, secure.front.Url("/couponsactions.php")), "OK");
    ASSERT_TRUE(plain.WaitDone());
    ASSERT_TRUE(secure.server.WaitDone());
    for (std::size_t i = 0; i < 2; ++i)
        EXPECT_EQ(WithHost(secure.server.Received(i), secure.front.Port()), WithHost(plain.Received(i), plain.Port()));
    // The POST went out on a fresh connection, over a fresh handshake.
    EXPECT_EQ(secure.server.Connections(), 2);
    EXPECT_EQ(secure.front.Handshakes(), 2);
    EXPECT_EQ(secureClient.http.URL().Protocol, "https");
}

TEST(Https, GetAfterAPostAnsweredKeepAliveReusesTheSecureConnection) {
    Site site;
    site.Add({Expect::Exact(Post("/a.php")), Ok("OK", "Connection: keep-alive\r\n")});
    site.Add({Expect::Exact(Get("/b.php", "Connection: keep-alive\r\nContent-Type: " + kMultipart + "\r\n")),
              Ok("B")});
    SecureClient c;
    EXPECT_EQ(PostForm(c.http, site.front.Url("/a.php")), "OK");
    EXPECT_TRUE(c.http.Connected());
    EXPECT_EQ(c.http.GetText(site.front.Url("/b.php")), "B");
    EXPECT_TRUE(site.server.WaitDone());
    EXPECT_EQ(site.server.Connections(), 1);
    EXPECT_EQ(site.front.Handshakes(), 1);
}

TEST(Https, LargeBodiesTravelWholeBothWays) {
    const std::size_t size = 2 * 1024 * 1024;
    Site site;
    Exchange download{Expect::Exact(Get("/big.bin")),
                      "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n"};
    download.generatedBytes = size;
    site.Add(download);
    const std::string value(size, 'v');
    site.Add({Expect::Where([&](const std::string& request) -> std::string {
                  return request.find("\r\n\r\n" + value + "\r\n") == std::string::npos ? "the value is not whole"
                                                                                         : "";
              }),
              Ok("OK")});
    SecureClient c;
    const std::string body = c.http.GetText(site.front.Url("/big.bin"));
    ASSERT_EQ(body.size(), size);
    for (std::size_t i = 0; i < size; i += 4099)
        ASSERT_EQ(body[i], ScriptedServer::GeneratedByte(i)) << i;
    TIdMultiPartFormDataStream form;
    form.AddField("comments", value);
    EXPECT_EQ(c.http.PostForm(site.front.Url("/big.php"), form), "OK");
    EXPECT_TRUE(site.server.WaitDone());
}

TEST(Https, TheNextConnectionToTheSameSiteResumesTheSession) {
    Site site;
    for (int i = 0; i < 3; ++i)
        site.Add({Expect::Any(), Ok("OK", "Connection: close\r\n")});
    SecureClient c;
    EXPECT_EQ(PostForm(c.http, site.front.Url("/a.php")), "OK");
    EXPECT_EQ(PostForm(c.http, site.front.Url("/a.php")), "OK");
    // Another host name is another site, even on the same address and port.
    EXPECT_EQ(PostForm(c.http, "https://localhost:" + std::to_string(site.front.Port()) + "/a.php"), "OK");
    EXPECT_TRUE(site.server.WaitDone());
    EXPECT_EQ(site.front.Handshakes(), 3);
    EXPECT_EQ(site.front.Resumed(), 1);
}

struct CloseCase {
    const char* name;
    bool closeNotify;
};

class HttpsPeerClose : public ::testing::TestWithParam<CloseCase> {};

TEST_P(HttpsPeerClose, IsTheCloseOfPlainHttp) {
    TlsFront::Options options;
    options.closeNotify = GetParam().closeNotify;
    Site site(options);
    site.Add({Expect::Exact(Get("/all")), "HTTP/1.0 200 OK\r\n\r\nall of it", Then::Close});
    site.Add({Expect::Exact(Get("/cut")), "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly part", Then::Close});
    SecureClient c;
    EXPECT_EQ(c.http.GetText(site.front.Url("/all")), "all of it");
    EXPECT_FALSE(c.http.Connected());
    try {
        c.http.GetText(site.front.Url("/cut"));
        FAIL() << "a truncated body passed as complete";
    } catch (const EIdConnClosedGracefully& e) {
        EXPECT_STREQ(e.what(), "Connection Closed Gracefully.");
    }
    EXPECT_TRUE(site.server.WaitDone());
}

INSTANTIATE_TEST_SUITE_P(Closes, HttpsPeerClose,
                         ::testing::Values(CloseCase{"WithCloseNotify", true}, CloseCase{"WithoutCloseNotify", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Changes of scheme

TEST(Https, RedirectsBetweenHttpAndHttpsSwitchTheConnection) {
    ScriptedServer plain;
    Site site;
    plain.Add({Expect::Exact(Get("/start")), Redirect(site.front.Url("/secure"))});
    site.Add({Expect::Exact(Get("/secure")), Redirect(plain.Url("/back"))});
    plain.Add({Expect::Exact(Get("/back")), Ok("back")});
    SecureClient c;
    EXPECT_EQ(c.http.GetText(plain.Url("/start")), "back");
    EXPECT_TRUE(plain.WaitDone());
    EXPECT_TRUE(site.server.WaitDone());
    EXPECT_EQ(site.front.Handshakes(), 1);
    // Each switch closed the connection it left.
    EXPECT_EQ(plain.Connections(), 2);
    EXPECT_TRUE(plain.WaitClosedByClient(0));
    EXPECT_TRUE(site.server.WaitClosedByClient(0));
    EXPECT_FALSE(c.http.IOHandler().Secure());
}

// A Location without a scheme names a place on the same site: it is
// followed over TLS on the same connection, never in plain text.
TEST(Https, RelativeRedirectsStayOnTheSecureConnection) {
    Site site;
    site.Add({Expect::Exact(Get("/a/start")), Redirect("/b/next")});
    site.Add({Expect::Exact(Get("/b/next")), Redirect("last.php?x=1")});
    site.Add({Expect::Exact(Get("/b/last.php?x=1")), Ok("here")});
    SecureClient c;
    EXPECT_EQ(c.http.GetText(site.front.Url("/a/start")), "here");
    EXPECT_TRUE(site.server.WaitDone());
    EXPECT_EQ(site.front.Accepted(), 1);
    EXPECT_EQ(site.server.Connections(), 1);
    EXPECT_EQ(c.http.URL().Protocol, "https");
    EXPECT_TRUE(c.http.IOHandler().Secure());
}

TEST(Https, SameHostAndPortWithTheOtherSchemeIsAnotherConnection) {
    // One port, first spoken to over TLS, then (a server that is not there
    // for plain HTTP) over plain HTTP: the secure connection is not reused.
    Site site;
    site.Add({Expect::Exact(Get("/a")), Ok("A")});
    SecureClient c;
    EXPECT_EQ(c.http.GetText(site.front.Url("/a")), "A");
    EXPECT_TRUE(c.http.Connected());
    EXPECT_ANY_THROW(c.http.GetText("http://127.0.0.1:" + std::to_string(site.front.Port()) + "/b"));
    EXPECT_EQ(site.front.Accepted(), 2);
    EXPECT_TRUE(site.server.WaitClosedByClient(0));
}

TEST(Https, RefusedAsBeforeWhenNotAllowed) {
    Site site;
    TIdHTTP http;
    http.SetReadTimeout(kSafetyTimeout);
    EXPECT_FALSE(http.AllowHttps());
    try {
        http.GetText(site.front.Url("/x"));
        FAIL() << "https went through";
    } catch (const EIdIOHandlerPropInvalid& e) {
        EXPECT_STREQ(e.what(), "IOHandler value is not valid");
    }
    EXPECT_EQ(site.front.Accepted(), 0);
    EXPECT_FALSE(http.IOHandler().Secure());
    // Turned off after a secure exchange, the handler is the plain one again.
    SecureClient c;
    site.Add({Expect::Exact(Get("/y")), Ok("Y")});
    EXPECT_EQ(c.http.GetText(site.front.Url("/y")), "Y");
    c.http.SetAllowHttps(false);
    EXPECT_THROW(c.http.GetText(site.front.Url("/z")), EIdIOHandlerPropInvalid);
    ScriptedServer plain({{Expect::Exact(Get("/w")), Ok("W")}});
    EXPECT_EQ(c.http.GetText(plain.Url("/w")), "W");
    EXPECT_FALSE(c.http.IOHandler().Secure());
    EXPECT_TRUE(plain.WaitDone());
}

TEST(Https, SecureCookiesAreSentOverTlsOnly) {
    ScriptedServer plain;
    Site site;
    site.Add({Expect::Exact(Get("/set")), Ok("set", "Set-Cookie: s=1; path=/; secure\r\nSet-Cookie: p=2; path=/a\r\n")});
    site.Add({Expect::Exact(Get("/a/x", "Content-Type: text/html\r\n", "Cookie: p=2; s=1\r\n")), Ok("tls")});
    plain.Add({Expect::Exact(Get("/a/y", "Content-Type: text/html\r\n", "Cookie: p=2\r\n")), Ok("plain")});
    SecureClient c;
    EXPECT_EQ(c.http.GetText(site.front.Url("/set")), "set");
    EXPECT_EQ(c.http.GetText(site.front.Url("/a/x")), "tls");
    EXPECT_EQ(c.http.GetText(plain.Url("/a/y")), "plain");
    EXPECT_TRUE(site.server.WaitDone());
    EXPECT_TRUE(plain.WaitDone());
}

// ---------------------------------------------------------------------------
// Verification

TEST(HttpsVerification, SendsTheHostAsServerNameButNoAddress) {
    Site site;
    site.Add({Expect::Exact(Get("/n")), Ok("n")});
    site.Add({Expect::Where([](const std::string& r) -> std::string {
                  return r.find("\r\nHost: localhost:") == std::string::npos ? "no Host localhost" : "";
              }),
              Ok("m")});
    SecureClient c;
    EXPECT_EQ(c.http.GetText(site.front.Url("/n")), "n");
    EXPECT_EQ(c.http.GetText("https://localhost:" + std::to_string(site.front.Port()) + "/m"), "m");
    EXPECT_EQ(site.front.ServerNames(), (std::vector<std::string>{"", "localhost"}));
}

struct RefusalCase {
    const char* name;
    Kind certificate;
    const char* host;
    const char* message;
};

class HttpsRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(HttpsRefusal, NamesTheReasonAndSendsNoRequestByte) {
    TlsFront::Options options;
    options.certificate = GetParam().certificate;
    Site site(options);
    site.Add({Expect::Any(), Ok("must not be asked")});
    SecureClient c;
    try {
        c.http.GetText("https://" + std::string(GetParam().host) + ":" + std::to_string(site.front.Port()) + "/x");
        FAIL() << "the certificate was accepted";
    } catch (const EIdTLSError& e) {
        EXPECT_STREQ(e.what(), GetParam().message);
    }
    EXPECT_FALSE(c.http.Connected());
    EXPECT_EQ(site.front.Handshakes(), 0);
    // The front opens its backend connection only after a handshake.
    EXPECT_EQ(site.server.Connections(), 0);
    EXPECT_EQ(site.server.ServedCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Certificates, HttpsRefusal,
    ::testing::Values(
        RefusalCase{"UntrustedCA", Kind::UntrustedCA, "127.0.0.1",
                    "Certificate refused: unable to get local issuer certificate"},
        RefusalCase{"Expired", Kind::Expired, "127.0.0.1", "Certificate refused: certificate has expired"},
        RefusalCase{"WrongAddress", Kind::WrongHost, "127.0.0.1", "Certificate refused: IP address mismatch"},
        RefusalCase{"WrongHostName", Kind::WrongHost, "localhost", "Certificate refused: hostname mismatch"},
        RefusalCase{"SelfSigned", Kind::SelfSigned, "127.0.0.1", "Certificate refused: self-signed certificate"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HttpsVerification, OlderThanTls12IsRefused) {
    TlsFront::Options options;
    options.maxVersion = TLS1_1_VERSION;
    Site site(options);
    SecureClient c;
    try {
        c.http.GetText(site.front.Url("/x"));
        FAIL() << "TLS 1.1 was accepted";
    } catch (const EIdTLSError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("TLS handshake failed: ", 0), 0u) << e.what();
    }
    EXPECT_EQ(site.server.Connections(), 0);
}

TEST(HttpsVerification, AServerThatSpeaksNoTlsIsAFailedHandshake) {
    ScriptedServer plain({{Expect::Connection(), "HTTP/1.0 400 Bad Request\r\n\r\n", Then::Close}});
    SecureClient c;
    try {
        c.http.GetText("https://127.0.0.1:" + std::to_string(plain.Port()) + "/x");
        FAIL() << "went through";
    } catch (const EIdTLSError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("TLS handshake failed: ", 0), 0u) << e.what();
    }
    EXPECT_FALSE(c.http.Connected());
}

// ---------------------------------------------------------------------------
// Waiting

TEST(HttpsWaiting, StalledHandshakeEndsAtTheConnectTimeOutPumpingEverySlice) {
    TlsFront::Options options;
    options.stallHandshake = true;
    Site site(options);
    RecordingPump pump;
    SecureClient c;
    c.http.SetReadTimeout(600);
    pump.Reset();
    try {
        c.http.GetText(site.front.Url("/x"));
        FAIL() << "no time-out";
    } catch (const EIdConnectTimeout& e) {
        EXPECT_STREQ(e.what(), "Connect timed out.");
    }
    // The connect itself took no step: the handshake had the rest of 600 ms.
    ExpectSlices(pump, {100, 250, 250});
    EXPECT_FALSE(c.http.Connected());
    EXPECT_EQ(site.server.Connections(), 0);
}

TEST(HttpsWaiting, StalledBodyTimesOutPumpingEverySlice) {
    Site site;
    site.Add({Expect::Exact(Get("/x")), "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"});
    RecordingPump pump;
    SecureClient c;
    // 500 ms: the connect and the handshake each finish inside their first
    // (whole) slice, so every pump is one of the body's wait.
    c.http.SetReadTimeout(500);
    pump.Reset();
    try {
        c.http.GetText(site.front.Url("/x"));
        FAIL() << "no time-out";
    } catch (const EIdReadTimeout& e) {
        EXPECT_STREQ(e.what(), "Read Timeout");
    }
    ExpectSlices(pump, {250, 250});
    EXPECT_FALSE(c.http.Connected());
}

TEST(HttpsWaiting, ClosingFromAPumpDuringTheHandshakeEndsTheConnect) {
    TlsFront::Options options;
    options.stallHandshake = true;
    Site site(options);
    RecordingPump pump;
    SecureClient c;
    c.http.SetReadTimeout(0);
    pump.OnCall = [&](int) { c.http.CloseConnection(); };
    EXPECT_THROW(c.http.GetText(site.front.Url("/x")), EIdConnClosedGracefully);
    EXPECT_EQ(pump.Calls().size(), 1u);
    EXPECT_FALSE(c.http.Connected());
    EXPECT_FALSE(c.http.Busy());
}

TEST(HttpsWaiting, HeldResponseIsWaitedForWithoutLimitPumpingEverySlice) {
    Site site;
    Exchange held{Expect::Exact(Get("/late")), Ok("late")};
    held.held = true;
    site.Add(held);
    RecordingPump pump;
    SecureClient c;
    c.http.SetReadTimeout(0);
    pump.OnCall = [&](int calls) {
        if (calls == 3)
            site.server.Release();
    };
    EXPECT_EQ(c.http.GetText(site.front.Url("/late")), "late");
    EXPECT_EQ(pump.Calls().size(), 3u);
}

TEST(HttpsWaiting, DecryptedBytesCountAsReadableWithoutWaiting) {
    ScriptedServer server({{Expect::Connection(), "hello\n"}});
    TlsFront front(server.Port());
    TIdTCPClient client;
    client.SetIOHandler(std::make_unique<TIdTLSIOHandler>());
    client.SetHost("127.0.0.1");
    client.SetPort(front.Port());
    client.SetReadTimeout(kSafetyTimeout);
    client.Connect(kSafetyTimeout);
    ASSERT_TRUE(client.IOHandler().Secure());
    // Take one byte of the record; the other five are held decrypted, with
    // nothing left on the socket.
    char first = 0;
    ssize_t n;
    while ((n = client.IOHandler().Recv(&first, 1)) < 0 && errno == EAGAIN)
        ASSERT_EQ(client.IOHandler().WaitReadable(kSafetyTimeout), 1);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(first, 'h');
    EXPECT_EQ(client.IOHandler().WaitReadable(0), 1);
    EXPECT_EQ(client.ReadLine(), "ello");
    client.CloseConnection();
}

// A connection to a peer that has completed the handshake and then sent
// the first 8 bytes of the record carrying "hello\n".
struct PartRecord {
    RawTlsPeer peer;
    TIdTCPClient client;
    PartRecord() {
        std::thread serve([&] {
            try {
                peer.Accept();
                if (peer.Handshake())
                    peer.Send(peer.Seal("hello\n").substr(0, 8));
            } catch (const std::exception&) {
                // The client's connect reports what went wrong.
            }
        });
        client.SetIOHandler(std::make_unique<TIdTLSIOHandler>());
        client.SetHost("127.0.0.1");
        client.SetPort(peer.Port());
        try {
            client.Connect(kSafetyTimeout);
        } catch (...) {
            serve.join();
            throw;
        }
        serve.join();
    }
};

// Part of a record is no data: the wait for the rest keeps its time-out and
// its slices, as on a plain socket.
TEST(HttpsWaiting, PartOfARecordThenNothingTimesOutPumpingEverySlice) {
    PartRecord c;
    RecordingPump pump;
    c.client.SetReadTimeout(600);
    pump.Reset();
    EXPECT_THROW(c.client.ReadLine(), EIdReadTimeout);
    ExpectSlices(pump, {100, 250, 250});
    EXPECT_TRUE(c.client.Connected());
    EXPECT_TRUE(c.client.ReceiveBuffer().Empty());
}

// A peer that closes in the middle of a record, while the client waits for
// the rest of it, has closed: the read ends as a close does. (Run in a child,
// so that a client spinning on the socket's end cannot hang the suite.)
TEST(HttpsWaiting, PeerClosingMidRecordIsAClose) {
    TestCertificates::Instance();
    const ChildRun run = RunInChild(
        [] {
            PartRecord c;
            c.client.SetReadTimeout(5000);
            RecordingPump pump;
            // The first idle slice: the client holds part of the record and
            // waits for the rest.
            pump.OnCall = [&](int) { c.peer.Close(); };
            try {
                return "line " + c.client.ReadLine();
            } catch (const EIdException& e) {
                return std::string(e.what()) + (c.client.Connected() ? " (still connected)" : "");
            }
        },
        2LL << 30, 20000);
    ASSERT_TRUE(run.ended) << "the read did not end";
    EXPECT_EQ(run.outcome, "Connection Closed Gracefully.");
}

// A server that reads the client's hello and closes the connection without
// an answer is named as such.
TEST(HttpsVerification, AServerClosingDuringTheHandshakeIsNamed) {
    RawTlsPeer peer;
    RecordingPump pump;
    pump.OnCall = [&](int) {
        peer.Accept();
        peer.Discard();
        peer.Close();
    };
    SecureClient c;
    try {
        c.http.GetText("https://127.0.0.1:" + std::to_string(peer.Port()) + "/x");
        FAIL() << "went through";
    } catch (const EIdTLSError& e) {
        EXPECT_STREQ(e.what(), "TLS handshake failed: the server closed the connection");
    }
    EXPECT_EQ(pump.Calls().size(), 1u);
    EXPECT_FALSE(c.http.Connected());
}

}  // namespace
