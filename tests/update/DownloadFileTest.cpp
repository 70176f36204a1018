// SPDX-License-Identifier: GPL-3.0-or-later
// DownloadFile: one address into one local file over a real loopback
// connection. A success stores exactly the body; every failure leaves no
// file of that name, also when one was there before.

#include "http/IdAntiFreeze.h"
#include "http/IdHTTP.h"
#include "tests/support/ReadOnlyDir.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"
#include "tests/update/UpdateSupport.h"
#include "toolkit/SkinMessage.h"
#include "update/UpdateCheck.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <system_error>

namespace {

using Expect = ScriptedServer::Expect;
using Then = ScriptedServer::Then;

const std::string kPath = "/liveupdate/corvanta/mainappupdate.inf";
const std::string kStale = "[APPLICATION]\r\nVersion=9.99\r\nName=an older download, longer than the new one\r\n";

class DownloadFile : public ::testing::Test {
protected:
    bool Download(const std::string& url) {
        TUpdateCheck check(http, msg, [] { ADD_FAILURE() << "a download closed the window"; });
        return check.DownloadFile(url, dir.File("mainappupdate.inf"));
    }

    TempDir dir;
    TIdHTTP http;
    TbsSkinMessage msg;
};

struct Transfer {
    const char* name;
    std::vector<ScriptedServer::Exchange> script;
    bool stored;
    std::string body;  // the file's content after a success
};

void PrintTo(const Transfer& t, std::ostream* os) { *os << t.name; }

std::vector<ScriptedServer::Exchange> Redirects(int count, const std::string& last) {
    std::vector<ScriptedServer::Exchange> script;
    for (int i = 0; i < count; ++i)
        script.push_back({Expect::Any(), "HTTP/1.1 302 Found\r\nLocation: http://{HOST}" + kPath +
                                             "\r\nContent-Length: 0\r\n\r\n"});
    if (!last.empty())
        script.push_back({Expect::Any(), last});
    return script;
}

class Transfers : public DownloadFile, public ::testing::WithParamInterface<Transfer> {};

TEST_P(Transfers, StoreTheWholeBodyOrLeaveNoFile) {
    const Transfer& t = GetParam();
    ScriptedServer server(t.script);
    dir.Write("mainappupdate.inf", kStale);

    EXPECT_EQ(Download(server.Url(kPath)), t.stored);
    EXPECT_TRUE(server.WaitDone());
    if (t.stored)
        EXPECT_EQ(dir.Read("mainappupdate.inf"), t.body);
    else
        EXPECT_FALSE(dir.Exists("mainappupdate.inf"));
    // The connection is closed after the download either way.
    EXPECT_FALSE(http.Connected());
    EXPECT_TRUE(server.WaitClosedByClient(0));
}

const std::string kBody = DescriptorText("1.03");

INSTANTIATE_TEST_SUITE_P(
    Responses, Transfers,
    ::testing::Values(
        Transfer{"ContentLength", {{Expect::Any(), Ok(kBody)}}, true, kBody},
        Transfer{"Chunked",
                 {{Expect::Any(), "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\n[APPL\r\n" +
                                      [] {
                                          char size[16];
                                          std::snprintf(size, sizeof size, "%zx", kBody.size() - 5);
                                          return std::string(size);
                                      }() + "\r\n" + kBody.substr(5) + "\r\n0\r\n\r\n"}},
                 true,
                 kBody},
        Transfer{"UntilClose", {{Expect::Any(), "HTTP/1.0 200 OK\r\n\r\n" + kBody, Then::Close}}, true, kBody},
        Transfer{"EmptyBody", {{Expect::Any(), Ok("")}}, true, ""},
        Transfer{"RedirectsThenBody", Redirects(3, Ok(kBody)), true, kBody},
        Transfer{"NotFound",
                 {{Expect::Any(), "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"}},
                 false,
                 ""},
        Transfer{"ServerError",
                 {{Expect::Any(), "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n"}},
                 false,
                 ""},
        Transfer{"ContentLengthCutShort",
                 {{Expect::Any(),
                   "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kBody.size() + 100) + "\r\n\r\n" + kBody,
                   Then::Close}},
                 false,
                 ""},
        Transfer{"ChunksCutShort",
                 {{Expect::Any(), "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n40\r\n[APPLICATION]\r\n",
                   Then::Close}},
                 false,
                 ""},
        // The client's redirect maximum ends the chain without a failure and
        // without a body: nothing of the descriptor was stored.
        Transfer{"RedirectLoop", Redirects(15, ""), false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadFile, RefusedConnectionLeavesNoFile) {
    RefusedPort refused;
    dir.Write("mainappupdate.inf", kStale);
    EXPECT_FALSE(Download(refused.Url(kPath)));
    EXPECT_FALSE(dir.Exists("mainappupdate.inf"));
}

TEST_F(DownloadFile, ReservedNamesFailWithoutALookup) {
    // Names under example and invalid are never delegated: the download
    // fails at once, the way a lookup of them would end.
    for (const char* url : {"http://update.corvanta.example/liveupdate/corvanta/mainappupdate.inf",
                            "http://Updates.Corvanta.EXAMPLE./x", "http://host.invalid:8080/x", "http://invalid/x"}) {
        dir.Write("mainappupdate.inf", kStale);
        EXPECT_FALSE(Download(url)) << url;
        EXPECT_FALSE(dir.Exists("mainappupdate.inf")) << url;
    }
    EXPECT_EQ(http.LastConnectTimeout(), 0) << "no connect was tried";
}

TEST_F(DownloadFile, OldFileIsGoneBeforeTheTransferStarts) {
    ScriptedServer server;
    ScriptedServer::Exchange held{Expect::Any(), Ok(kBody)};
    held.held = true;
    server.Add(held);
    dir.Write("mainappupdate.inf", kStale);
    // The waits of the download process events, as under the main window;
    // once the request is in, the file must already be the new, empty one.
    http.SetReadTimeout(kWaitBoundMs);  // bounds the test if the pump never runs
    TIdAntiFreeze freeze;
    freeze.Pump = [] { QCoreApplication::processEvents(); };
    bool inspected = false;
    WhenReceived inspect(server, 0, [&] {
        struct stat st{};
        inspected = ::stat(dir.File("mainappupdate.inf").c_str(), &st) == 0 && st.st_size == 0;
        server.Release();
    });
    EXPECT_TRUE(Download(server.Url(kPath)));
    EXPECT_TRUE(inspect.Ran());
    EXPECT_TRUE(inspected);
    EXPECT_EQ(dir.Read("mainappupdate.inf"), kBody);
}

TEST_F(DownloadFile, FileThatCannotBeCreatedRaises) {
    RefusedPort refused;
    ReadOnlyDir guard(dir.Path());
    EXPECT_THROW(Download(refused.Url(kPath)), std::system_error);
    EXPECT_FALSE(dir.Exists("mainappupdate.inf"));
}

} // namespace
