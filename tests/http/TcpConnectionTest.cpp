// SPDX-License-Identifier: GPL-3.0-or-later
// The TCP connection against real loopback sockets: connect (refused, timed
// out, pumped, quick), line and exact-length reads, reading until close,
// read time-outs with their pumping slices, sending, and the socket failure
// texts.

#include "http/IdAntiFreeze.h"
#include "http/IdException.h"
#include "http/IdMemoryStream.h"
#include "http/IdStack.h"
#include "http/IdTCPClient.h"
#include "tests/http/TransportTestUtil.h"
#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <cerrno>
#include <thread>

using namespace transport_test;
using Exchange = ScriptedServer::Exchange;
using Expect = ScriptedServer::Expect;
using Then = ScriptedServer::Then;

namespace {

// Generous bound for reads that must not hang when the code is wrong.
constexpr int kSafetyTimeout = 10000;

void ConnectTo(TIdTCPClient& client, const ScriptedServer& server, int timeout = 5000) {
    client.SetHost("127.0.0.1");
    client.SetPort(server.Port());
    client.SetReadTimeout(kSafetyTimeout);
    client.Connect(timeout);
}

// A server that sends bytes as soon as the client connects.
Exchange Sends(std::string bytes, Then then = Then::KeepAlive) {
    return {Expect::Connection(), std::move(bytes), then};
}

std::string Generated(std::size_t count) {
    std::string bytes(count, 0);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = ScriptedServer::GeneratedByte(i);
    return bytes;
}

// ---------------------------------------------------------------------------
// Socket failure texts

struct ErrnoCase {
    int err;
    int number;
    const char* message;
};

class SocketErrorMapping : public ::testing::TestWithParam<ErrnoCase> {};

TEST_P(SocketErrorMapping, PosixErrorReadsAsWindowsSocketsError) {
    const ErrnoCase& c = GetParam();
    EXPECT_EQ(TIdStack::WSErrorFromErrno(c.err), c.number);
    EXPECT_EQ(TIdStack::SocketErrorMessage(c.number), c.message);
    errno = c.err;
    try {
        TIdStack::RaiseLastSocketError();
        FAIL() << "no failure raised";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.LastError(), c.number);
        EXPECT_STREQ(e.what(), c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Errors, SocketErrorMapping,
    ::testing::Values(ErrnoCase{ECONNREFUSED, 10061, "Socket Error # 10061\r\nConnection refused."},
                      ErrnoCase{ECONNRESET, 10054, "Socket Error # 10054\r\nConnection reset by peer."},
                      ErrnoCase{ECONNABORTED, 10053, "Socket Error # 10053\r\nSoftware caused connection abort."},
                      ErrnoCase{ETIMEDOUT, 10060, "Socket Error # 10060\r\nConnection timed out."},
                      ErrnoCase{EHOSTUNREACH, 10065, "Socket Error # 10065\r\nNo route to host."},
                      ErrnoCase{ENETUNREACH, 10051, "Socket Error # 10051\r\nNetwork is unreachable."},
                      ErrnoCase{EADDRINUSE, 10048, "Socket Error # 10048\r\nAddress already in use."},
                      ErrnoCase{EWOULDBLOCK, 10035, "Socket Error # 10035\r\nOperation would block. "},
                      ErrnoCase{EPIPE, 10058, "Socket Error # 10058\r\nCannot send or receive after socket is closed."},
                      ErrnoCase{ENOTEMPTY, 10066, "Socket Error # 10066\r\nDirectory not empty"},
                      ErrnoCase{EBADF, 10009, "Socket Error # 10009\r\nBad file number."},
                      ErrnoCase{ENOTSOCK, 10038, "Socket Error # 10038\r\nSocket operation on non-socket."}));

TEST(SocketErrorText, EveryListedNumberHasItsText) {
    const std::pair<int, const char*> table[] = {
        {10004, "Interrupted system call."}, {10009, "Bad file number."}, {10013, "Access denied."},
        {10014, "Bad address."}, {10022, "Invalid argument."}, {10024, "Too many open files."},
        {10035, "Operation would block. "}, {10036, "Operation now in progress."},
        {10037, "Operation already in progress."}, {10038, "Socket operation on non-socket."},
        {10039, "Destination address required."}, {10040, "Message too long."},
        {10041, "Protocol wrong type for socket."}, {10042, "Bad protocol option."},
        {10043, "Protocol not supported."}, {10044, "Socket type not supported."},
        {10045, "Operation not supported on socket."}, {10046, "Protocol family not supported."},
        {10047, "Address family not supported by protocol family."}, {10048, "Address already in use."},
        {10049, "Cannot assign requested address."}, {10050, "Network is down."},
        {10051, "Network is unreachable."}, {10052, "Net dropped connection or reset."},
        {10053, "Software caused connection abort."}, {10054, "Connection reset by peer."},
        {10055, "No buffer space available."}, {10056, "Socket is already connected."},
        {10057, "Socket is not connected."}, {10058, "Cannot send or receive after socket is closed."},
        {10059, "Too many references, cannot splice."}, {10060, "Connection timed out."},
        {10061, "Connection refused."}, {10062, "Too many levels of symbolic links."},
        {10063, "File name too long."}, {10064, "Host is down."}, {10065, "No route to host."},
        {10066, "Directory not empty"},
    };
    for (const auto& [number, text] : table)
        EXPECT_EQ(TIdStack::WSTranslateSocketErrorMsg(number), text) << number;
}

TEST(SocketErrorText, UnlistedNumberHasEmptyText) {
    EXPECT_EQ(TIdStack::SocketErrorMessage(11001), "Socket Error # 11001\r\n");
    EXPECT_EQ(TIdStack::SocketErrorMessage(10005), "Socket Error # 10005\r\n");
}

// ---------------------------------------------------------------------------
// Host names

struct LiteralCase {
    const char* host;
    const char* address;  // nullptr: goes to the platform's lookup
};

class HostLiteral : public ::testing::TestWithParam<LiteralCase> {};

TEST_P(HostLiteral, UsedWithoutLookupOnlyWhenLiteral) {
    in_addr address{};
    const bool literal = TIdStack::ParseIPv4Literal(GetParam().host, address);
    ASSERT_EQ(literal, GetParam().address != nullptr);
    if (literal) {
        char text[INET_ADDRSTRLEN];
        EXPECT_STREQ(inet_ntop(AF_INET, &address, text, sizeof text), GetParam().address);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, HostLiteral,
    ::testing::Values(LiteralCase{"localhost", "127.0.0.1"}, LiteralCase{"LOCALHOST", "127.0.0.1"},
                      LiteralCase{"LocalHost", "127.0.0.1"}, LiteralCase{"10.0.0.1", "10.0.0.1"},
                      LiteralCase{"0.0.0.0", "0.0.0.0"}, LiteralCase{"255.255.255.255", "255.255.255.255"},
                      LiteralCase{"010.001.0.9", "10.1.0.9"}, LiteralCase{"256.1.1.1", nullptr},
                      LiteralCase{"1.2.3", nullptr}, LiteralCase{"1.2.3.4.5", nullptr},
                      LiteralCase{"1..2.3", nullptr}, LiteralCase{"1.2.3.", nullptr},
                      LiteralCase{"-1.2.3.4", nullptr}, LiteralCase{" 1.2.3.4", nullptr},
                      LiteralCase{"localhost.", nullptr}, LiteralCase{"", nullptr},
                      LiteralCase{"example.com", nullptr}));

TEST(HostLookup, NonLiteralGoesToPlatformLookupAndItsFailureIsASocketError) {
    // 256.1.1.1 is no address, so the platform resolver is asked and has no
    // answer for it.
    try {
        TIdStack::ResolveHost("256.1.1.1");
        FAIL() << "resolved";
    } catch (const EIdSocketError& e) {
        EXPECT_GE(e.LastError(), 11001);
        EXPECT_LE(e.LastError(), 11004);
        EXPECT_EQ(std::string(e.what()), "Socket Error # " + std::to_string(e.LastError()) + "\r\n");
    }
}

TEST(HostLookup, LookupNeverPumps) {
    RecordingPump pump;
    TIdTCPClient client;
    client.SetHost("256.1.1.1");
    EXPECT_THROW(client.Connect(5000), EIdSocketError);
    EXPECT_TRUE(pump.Calls().empty());
    EXPECT_FALSE(client.Connected());
}

TEST(HostLookup, LowerCaseLocalhostConnects) {
    ScriptedServer server({Sends("hi\n")});
    TIdTCPClient client;
    client.SetHost("localhost");
    client.SetPort(server.Port());
    client.SetReadTimeout(kSafetyTimeout);
    client.Connect(5000);
    EXPECT_EQ(client.ReadLine(), "hi");
}

// ---------------------------------------------------------------------------
// Connect

TEST(Connect, StartsWithPort80AndNoConnection) {
    TIdTCPClient client;
    EXPECT_EQ(client.Port(), 80);
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(client.ReadTimeout(), 0);
    EXPECT_EQ(client.RecvBufferSize(), 32768);
    EXPECT_EQ(client.SendBufferSize(), 32768);
    EXPECT_EQ(client.LineLimit(), 16384);
    EXPECT_EQ(client.MaxLineAction(), TIdMaxLineAction::maException);
    EXPECT_TRUE(client.UseNagle());
}

TEST(Connect, RefusedOnWorkerCarriesSocketErrorText) {
    TIdTCPClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(RefusingPort());
    try {
        client.Connect(5000);
        FAIL() << "connected";
    } catch (const EIdConnectException& e) {
        EXPECT_STREQ(e.what(), "Socket Error # 10061\r\nConnection refused.");
    }
    EXPECT_FALSE(client.Connected());
}

TEST(Connect, RefusedWithoutWorkerIsSocketError) {
    TIdTCPClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(RefusingPort());
    try {
        client.Connect(0);
        FAIL() << "connected";
    } catch (const EIdSocketError& e) {
        EXPECT_EQ(e.LastError(), 10061);
        EXPECT_STREQ(e.what(), "Socket Error # 10061\r\nConnection refused.");
    }
}

TEST(Connect, NeverAnsweredConnectTimesOutAndIsAbandonedWithinAStep) {
    FullBacklogListener listener;
    TIdTCPClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(listener.Port());
    const auto start = Clock::now();
    try {
        client.Connect(300);
        FAIL() << "connected";
    } catch (const EIdConnectTimeout& e) {
        EXPECT_STREQ(e.what(), "Connect timed out.");
    }
    const long elapsed = MsSince(start);
    EXPECT_GE(elapsed, 295);
    EXPECT_LT(elapsed, 300 + 125 + 2000);
    EXPECT_FALSE(client.Connected());
    // The abandoned attempt leaves the client ready for the next connect.
    ScriptedServer server({Sends("again\n")});
    ConnectTo(client, server);
    EXPECT_EQ(client.ReadLine(), "again");
}

struct PumpedConnectCase {
    int idleTimeOut;
    int timeout;
    int pumps;  // one after each full step while more than a step remains
};

class PumpedConnect : public ::testing::TestWithParam<PumpedConnectCase> {};

TEST_P(PumpedConnect, PumpsAfterEachStepUntilTimeOut) {
    FullBacklogListener listener;
    RecordingPump pump;
    pump.AntiFreeze().IdleTimeOut = GetParam().idleTimeOut;
    TIdTCPClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(listener.Port());
    pump.Reset();
    EXPECT_THROW(client.Connect(GetParam().timeout), EIdConnectTimeout);
    EXPECT_EQ(int(pump.Calls().size()), GetParam().pumps);
    const int step = std::min(GetParam().idleTimeOut, 125);
    for (long gap : pump.Gaps())
        EXPECT_GE(gap, step - 5);
}

INSTANTIATE_TEST_SUITE_P(Steps, PumpedConnect,
                         ::testing::Values(PumpedConnectCase{250, 600, 4},  // steps of 125 ms
                                           PumpedConnectCase{100, 600, 5},  // IdleTimeOut is smaller
                                           PumpedConnectCase{250, 125, 0}));

TEST(Connect, QuickConnectPaysNoWaitingStep) {
    // The waiting side is woken when the worker ends: a loopback connect
    // completes well inside the first 125 ms step, and no pump runs.
    RecordingPump pump;
    ScriptedServer server;
    long fastest = 1000000;
    for (int i = 0; i < 5; ++i) {
        TIdTCPClient client;
        client.SetHost("127.0.0.1");
        client.SetPort(server.Port());
        const auto start = Clock::now();
        client.Connect(60000);
        fastest = std::min(fastest, MsSince(start));
        EXPECT_TRUE(client.Connected());
    }
    EXPECT_LT(fastest, 125);
    EXPECT_TRUE(pump.Calls().empty());
}

TEST(Connect, WithoutTimeOutWhilePumpingUsesTheWorker) {
    // Time-out 0 with pumping in force waits on the worker (120000 ms), so a
    // never-answered connect pumps; the pump gives up by closing.
    FullBacklogListener listener;
    RecordingPump pump;
    TIdTCPClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(listener.Port());
    pump.OnCall = [&](int calls) {
        if (calls == 2)
            client.CloseConnection();
    };
    EXPECT_THROW(client.Connect(0), EIdConnClosedGracefully);
    EXPECT_EQ(pump.Calls().size(), 2u);
    EXPECT_FALSE(client.Connected());
}

TEST(Connect, SecondConnectWhileOpenFails) {
    ScriptedServer server({Sends("")});
    TIdTCPClient client;
    ConnectTo(client, server);
    try {
        client.Connect(5000);
        FAIL() << "connected twice";
    } catch (const EIdAlreadyConnected& e) {
        EXPECT_STREQ(e.what(), "Already connected.");
    }
    EXPECT_TRUE(client.Connected());
}

TEST(Connect, ClearsReceiveBufferAndClosedFlag) {
    ScriptedServer server({Sends("abc", Then::Close), Sends("x\n")});
    TIdTCPClient client;
    ConnectTo(client, server);
    EXPECT_THROW(client.ReadLine(), EIdConnClosedGracefully);
    EXPECT_EQ(client.ReceiveBuffer().View(), "abc");
    EXPECT_TRUE(client.ClosedGracefully());
    client.CloseConnection();
    EXPECT_EQ(client.ReceiveBuffer().View(), "abc");
    ConnectTo(client, server);
    EXPECT_FALSE(client.ClosedGracefully());
    EXPECT_EQ(client.ReadLine(), "x");
}

// ---------------------------------------------------------------------------
// Lines

struct LineCase {
    const char* sent;
    std::vector<std::string> lines;
};

class ReadLineCase : public ::testing::TestWithParam<LineCase> {};

TEST_P(ReadLineCase, LineEndsAtLfWithoutCrBeforeIt) {
    ScriptedServer server({Sends(GetParam().sent)});
    TIdTCPClient client;
    ConnectTo(client, server);
    for (const auto& line : GetParam().lines)
        EXPECT_EQ(client.ReadLine(), line);
}

INSTANTIATE_TEST_SUITE_P(Lines, ReadLineCase,
                         ::testing::Values(LineCase{"abc\n", {"abc"}}, LineCase{"abc\r\n", {"abc"}},
                                           LineCase{"a\rb\r\n", {"a\rb"}}, LineCase{"abc\r\r\n", {"abc\r"}},
                                           LineCase{"\r\n\n", {"", ""}}, LineCase{"\rx\n", {"\rx"}},
                                           LineCase{"one\ntwo\r\nthree\n", {"one", "two", "three"}}));

TEST(ReadLine, LineOfExactlyTheLimitIsAccepted) {
    const std::string line(16384, 'x');
    ScriptedServer server({Sends(line + "\nnext\n")});
    TIdTCPClient client;
    ConnectTo(client, server);
    EXPECT_EQ(client.ReadLine(), line);
    EXPECT_EQ(client.ReadLine(), "next");
}

TEST(ReadLine, LineOverTheLimitFails) {
    ScriptedServer server({Sends(std::string(16385, 'x') + "\n")});
    TIdTCPClient client;
    ConnectTo(client, server);
    try {
        client.ReadLine();
        FAIL() << "accepted";
    } catch (const EIdReadLnMaxLineLengthExceeded& e) {
        EXPECT_STREQ(e.what(), "Max line length exceeded.");
    }
}

TEST(ReadLine, UnterminatedLineOverTheLimitFailsWithoutWaitingForItsEnd) {
    // The connection stays open and no LF ever comes.
    ScriptedServer server({Sends(std::string(20000, 'x'))});
    TIdTCPClient client;
    ConnectTo(client, server);
    EXPECT_THROW(client.ReadLine(), EIdReadLnMaxLineLengthExceeded);
}

TEST(ReadLine, PeerClosingAfterUnterminatedBytesFailsAndKeepsThem) {
    ScriptedServer server({Sends("abc", Then::Close)});
    TIdTCPClient client;
    ConnectTo(client, server);
    try {
        client.ReadLine();
        FAIL() << "a line was read";
    } catch (const EIdConnClosedGracefully& e) {
        EXPECT_STREQ(e.what(), "Connection Closed Gracefully.");
    }
    EXPECT_EQ(client.ReceiveBuffer().View(), "abc");
    EXPECT_FALSE(client.Connected());
}

TEST(ReadLine, ManyLinesArrivingByteByByte) {
    std::string sent;
    for (int i = 0; i < 30; ++i)
        sent += "line " + std::to_string(i) + "\r\n";
    Exchange drip = Sends(sent);
    drip.dripBytes = 3;
    drip.dripMs = 1;
    ScriptedServer server({drip});
    TIdTCPClient client;
    ConnectTo(client, server);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(client.ReadLine(), "line " + std::to_string(i));
}

// ---------------------------------------------------------------------------
// Exact-length reads and reading until close

TEST(ReadBytes, TakesExactlyTheCountAndLeavesTheRest) {
    ScriptedServer server({Sends("helloworld\n")});
    TIdTCPClient client;
    ConnectTo(client, server);
    TIdMemoryStream sink;
    client.ReadBytes(5, sink);
    EXPECT_EQ(sink.DataString(), "hello");
    EXPECT_EQ(client.ReadLine(), "world");
}

TEST(ReadBytes, ManyBlocksArriveWhole) {
    const std::size_t count = 1000000;
    Exchange big = Sends("");
    big.generatedBytes = count + 10;
    ScriptedServer server({big});
    TIdTCPClient client;
    ConnectTo(client, server);
    TIdMemoryStream sink;
    sink.Write("pre", 3);
    client.ReadBytes(std::int64_t(count), sink);
    EXPECT_EQ(sink.DataString(), "pre" + Generated(count));
    EXPECT_EQ(sink.Position(), sink.Size());
}

TEST(ReadBytes, PeerClosingEarlyFailsAndTheSinkHoldsOnlyWholeBlocks) {
    Exchange cut = Sends("", Then::Close);
    cut.generatedBytes = 100000;  // three whole blocks of 32768 and a piece
    ScriptedServer server({cut});
    TIdTCPClient client;
    ConnectTo(client, server);
    TIdMemoryStream sink;
    EXPECT_THROW(client.ReadBytes(200000, sink), EIdConnClosedGracefully);
    // What was buffered when the read began, then whole blocks only.
    const std::string got = sink.DataString();
    EXPECT_LT(got.size(), 100000u);
    EXPECT_EQ(got, Generated(got.size()));
    EXPECT_EQ(sink.Position(), sink.Size());
    EXPECT_EQ(got.size() + client.ReceiveBuffer().Size(), 100000u);
}

TEST(ReadBytes, SinkLargerThanItsPositionIsCutBack) {
    ScriptedServer server({Sends("abcdef")});
    TIdTCPClient client;
    ConnectTo(client, server);
    TIdMemoryStream sink(std::string("0123456789"));
    sink.Seek(2, TSeekOrigin::soBeginning);
    client.ReadBytes(3, sink);
    EXPECT_EQ(sink.DataString(), "01abc");
}

struct CutCase {
    std::size_t total;
    std::size_t piece;  // 0: all in one send
};

class ReadUntilCloseCase : public ::testing::TestWithParam<CutCase> {};

TEST_P(ReadUntilCloseCase, ReturnsEveryByteHoweverItWasCut) {
    const std::string content = Generated(GetParam().total);
    Exchange e = Sends(content, Then::Close);
    e.dripBytes = GetParam().piece;
    e.dripMs = GetParam().piece ? 1 : 0;
    ScriptedServer server({e});
    TIdTCPClient client;
    ConnectTo(client, server);
    TIdMemoryStream sink;
    client.ReadUntilClose(sink);
    EXPECT_EQ(sink.DataString().size(), content.size());
    EXPECT_EQ(sink.DataString(), content);
}

INSTANTIATE_TEST_SUITE_P(Cuts, ReadUntilCloseCase,
                         ::testing::Values(CutCase{0, 0}, CutCase{150, 1}, CutCase{1000, 7},
                                           CutCase{100000, 4096}, CutCase{100000, 32769},
                                           CutCase{300000, 0}));

// A read time-out ends reading until close the way it ends an exact-length
// read: whole blocks are in the sink, the incomplete one stays behind.
TEST(ReadUntilClose, TimeOutWritesOnlyWholeBlocks) {
    Exchange open = Sends("");
    open.generatedBytes = 100000;  // three whole blocks of 32768 and a piece
    ScriptedServer server({open});
    TIdTCPClient client;
    ConnectTo(client, server);
    client.SetReadTimeout(300);
    TIdMemoryStream sink;
    EXPECT_THROW(client.ReadUntilClose(sink), EIdReadTimeout);
    ASSERT_EQ(sink.DataString().size(), 3u * 32768);
    EXPECT_TRUE(sink.DataString() == Generated(3 * 32768));
    EXPECT_EQ(sink.Position(), sink.Size());
    EXPECT_EQ(client.ReceiveBuffer().Size(), 100000u - 3 * 32768);
}

TEST(ReadUntilClose, AfterALineReadsTheRest) {
    ScriptedServer server({Sends("head\nbody bytes", Then::Close)});
    TIdTCPClient client;
    ConnectTo(client, server);
    EXPECT_EQ(client.ReadLine(), "head");
    TIdMemoryStream sink;
    client.ReadUntilClose(sink);
    EXPECT_EQ(sink.DataString(), "body bytes");
}

// ---------------------------------------------------------------------------
// Read time-outs and pumping

TEST(ReadTimeout, NoDataWithinTheTimeOutFails) {
    ScriptedServer server({Sends("")});
    TIdTCPClient client;
    ConnectTo(client, server);
    client.SetReadTimeout(200);
    const auto start = Clock::now();
    try {
        client.ReadLine();
        FAIL() << "read a line";
    } catch (const EIdReadTimeout& e) {
        EXPECT_STREQ(e.what(), "Read Timeout");
    }
    EXPECT_GE(MsSince(start), 195);
}

struct SliceCase {
    int timeout;
    std::vector<long> slices;
};

class PumpedReadTimeout : public ::testing::TestWithParam<SliceCase> {};

TEST_P(PumpedReadTimeout, WaitsInSlicesCutFromTheEndAndPumpsAfterEach) {
    ScriptedServer server({Sends("")});
    RecordingPump pump;
    TIdTCPClient client;
    ConnectTo(client, server);
    client.SetReadTimeout(GetParam().timeout);
    pump.Reset();
    EXPECT_THROW(client.ReadLine(), EIdReadTimeout);
    ExpectSlices(pump, GetParam().slices);
}

INSTANTIATE_TEST_SUITE_P(Slices, PumpedReadTimeout,
                         ::testing::Values(SliceCase{600, {100, 250, 250}}, SliceCase{500, {250, 250}},
                                           SliceCase{260, {10, 250}}, SliceCase{120, {120}}));

TEST(Pumping, WithoutLimitPumpsEveryIdleSliceUntilDataArrives) {
    Exchange held = Sends("late\n");
    held.held = true;
    ScriptedServer server({held});
    RecordingPump pump;
    TIdTCPClient client;
    ConnectTo(client, server);
    client.SetReadTimeout(0);
    pump.OnCall = [&](int calls) {
        if (calls == 3)
            server.Release();
    };
    pump.Reset();
    EXPECT_EQ(client.ReadLine(), "late");
    ASSERT_EQ(pump.Calls().size(), 3u);
    for (long gap : pump.Gaps()) {
        EXPECT_GE(gap, 245);
        EXPECT_LT(gap, 450);
    }
}

TEST(Pumping, NoPumpWhileDataKeepsArriving) {
    Exchange drip = Sends(std::string(40, 'd') + "\n");
    drip.dripBytes = 1;
    drip.dripMs = 15;  // data well inside every 250 ms slice
    ScriptedServer server({drip});
    RecordingPump pump;
    TIdTCPClient client;
    ConnectTo(client, server);
    client.SetReadTimeout(0);
    pump.Reset();
    EXPECT_EQ(client.ReadLine(), std::string(40, 'd'));
    EXPECT_TRUE(pump.Calls().empty()) << pump.Calls().size() << " pumps";
}

TEST(Pumping, OnlyOnTheThreadThatCreatedTheAntiFreeze) {
    ScriptedServer server({Sends("")});
    RecordingPump pump;
    bool timedOut = false;
    std::thread other([&] {
        TIdTCPClient client;
        ConnectTo(client, server);
        client.SetReadTimeout(300);
        try {
            client.ReadLine();
        } catch (const EIdReadTimeout&) {
            timedOut = true;
        }
    });
    other.join();
    EXPECT_TRUE(timedOut);
    EXPECT_TRUE(pump.Calls().empty());
}

TEST(Pumping, InactiveAntiFreezeDoesNotPump) {
    ScriptedServer server({Sends("")});
    RecordingPump pump;
    pump.AntiFreeze().Active = false;
    TIdTCPClient client;
    ConnectTo(client, server);
    client.SetReadTimeout(300);
    EXPECT_THROW(client.ReadLine(), EIdReadTimeout);
    EXPECT_TRUE(pump.Calls().empty());
}

TEST(Pumping, OneAntiFreezePerProcess) {
    TIdAntiFreeze first;
    EXPECT_EQ(TIdAntiFreeze::Instance(), &first);
    EXPECT_THROW(TIdAntiFreeze second, EIdException);
    EXPECT_EQ(TIdAntiFreeze::Instance(), &first);
}

TEST(Pumping, HandlerClosingTheConnectionEndsTheWait) {
    ScriptedServer server({Sends("")});
    RecordingPump pump;
    TIdTCPClient client;
    ConnectTo(client, server);
    client.SetReadTimeout(0);
    pump.OnCall = [&](int) { client.CloseConnection(); };
    EXPECT_THROW(client.ReadLine(), EIdConnClosedGracefully);
    EXPECT_EQ(pump.Calls().size(), 1u);
}

TEST(Poll, NoticesThePeersCloseAndPumpsWhenIdle) {
    ScriptedServer server({Sends(""), Sends("", Then::Close)});
    RecordingPump pump;
    TIdTCPClient open;
    ConnectTo(open, server);
    open.CheckForDataOnSource(1);
    EXPECT_TRUE(open.Connected());
    EXPECT_EQ(pump.Calls().size(), 1u);

    TIdTCPClient closed;
    ConnectTo(closed, server);
    ASSERT_TRUE(server.WaitDone());
    // The close may take a moment to arrive; the poll is what notices it.
    for (int i = 0; i < 5000 && closed.Connected(); ++i)
        closed.CheckForDataOnSource(1);
    EXPECT_FALSE(closed.Connected());
}

// ---------------------------------------------------------------------------
// Sending

TEST(Write, HeadCollectedAndSentInOneWriteThenBody) {
    ScriptedServer server({{Expect::Bytes(14), "ok\n"}});
    TIdTCPClient client;
    ConnectTo(client, server);
    client.OpenWriteBuffer();
    client.Write("GET / ");
    client.Write("HTTP\r\n");
    client.CloseWriteBuffer();
    TIdMemoryStream body(std::string("ab"));
    body.Seek(0, TSeekOrigin::soEnd);  // sent from its first byte all the same
    client.WriteStream(body);
    EXPECT_EQ(client.ReadLine(), "ok");
    EXPECT_EQ(server.Received(0), "GET / HTTP\r\nab");
}

// A source that claims more bytes than it yields.
class ShortSource : public TIdMemoryStream {
public:
    using TIdMemoryStream::TIdMemoryStream;
    std::int64_t Size() override { return TIdMemoryStream::Size() + 10; }
};

TEST(Write, SourceShorterThanItsSizeFails) {
    ScriptedServer server({Sends("")});
    TIdTCPClient client;
    ConnectTo(client, server);
    ShortSource source(std::string("abc"));
    try {
        client.WriteStream(source);
        FAIL() << "sent";
    } catch (const EIdNoDataToRead& e) {
        EXPECT_STREQ(e.what(), "No data to read.");
    }
}

TEST(Write, AfterThePeersCloseWasNoticedFailsNotConnected) {
    ScriptedServer server({Sends("bye", Then::Close)});
    TIdTCPClient client;
    ConnectTo(client, server);
    EXPECT_THROW(client.ReadLine(), EIdConnClosedGracefully);
    try {
        client.Write("x");
        FAIL() << "written";
    } catch (const EIdNotConnected& e) {
        EXPECT_STREQ(e.what(), "Not Connected");
    }
}

TEST(Write, AfterCloseConnectionFailsNotConnected) {
    ScriptedServer server({Sends("")});
    TIdTCPClient client;
    ConnectTo(client, server);
    client.CloseConnection();
    client.CloseConnection();  // nothing when none is open
    EXPECT_FALSE(client.Connected());
    EXPECT_THROW(client.Write("x"), EIdNotConnected);
    EXPECT_TRUE(server.WaitClosedByClient(0));
}

TEST(Write, SendingNeverPumps) {
    // A slow reader makes the sends block longer than a pumping slice (the
    // socket buffers on loopback take a few megabytes before that).
    const std::size_t size = 8 << 20;
    Exchange slow{Expect::Bytes(size), "done\n"};
    slow.readPaceBytes = 128 << 10;
    slow.readPaceMs = 10;
    ScriptedServer server({slow});
    RecordingPump pump;
    TIdTCPClient client;
    ConnectTo(client, server);
    const std::string data = Generated(size);
    pump.Reset();
    const auto start = Clock::now();
    client.Write(data);
    const long sendMs = MsSince(start);
    EXPECT_TRUE(pump.Calls().empty()) << pump.Calls().size() << " pumps during " << sendMs << " ms of sending";
    EXPECT_EQ(client.ReadLine(), "done");
    EXPECT_EQ(server.Received(0), data);
}

}  // namespace
