// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A scripted HTTP server on loopback for testing clients against real sockets.
//
// A case is data: a list of exchanges, each saying what the server waits for
// (the exact request bytes, a pattern, or a check) and the raw response bytes
// it then sends, and whether it closes the connection afterwards or keeps it
// open for the next exchange. The server records what it received, on which
// connection, and every mismatch, and counts the connections it accepted.
//
//     ScriptedServer server({
//         {ScriptedServer::Expect::Exact("GET /a HTTP/1.1\r\nHost: {HOST}\r\n\r\n"),
//          "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK"},
//         {ScriptedServer::Expect::Pattern("POST / HTTP/1.0\r\n...boundary=" +
//                                          ScriptedServer::BoundaryPattern() + "..."),
//          "HTTP/1.0 200 OK\r\n\r\nOK", ScriptedServer::Then::Close},
//     });
//     client.GetText(server.Url("/a"));
//     EXPECT_TRUE(server.WaitDone());   // all exchanges served, no mismatch
//
// In expected bytes, patterns and responses, {HOST} stands for
// "127.0.0.1:<port>" and {PORT} for the port, so a table can spell the Host
// header and absolute Location URLs before the port is known.
//
// Requests are framed as HTTP requests: the head up to the empty line, then
// as many body bytes as its Content-Length says. Exchanges are served in
// order, on whichever connection the next request arrives (a new connection
// per exchange, or one kept open, as the client chooses); ConnectionOf tells
// which. A request that does not match, or one that arrives after the script
// has ended, is recorded as a failure and its connection closed, so the
// client fails at once instead of waiting.
//
// Special behaviour per exchange: an empty response sent with KeepAlive never
// answers (the client's read time-out is then tested); Expect::Connection
// answers as soon as a connection is accepted, without reading (raw byte
// tests); a response cut short plus Close is a peer closing after partial
// bytes; dripBytes/dripMs send the response slowly; held keeps the response
// back until Release() is called (a test decides, from inside the client's
// wait, when data arrives); generatedBytes appends that many generated body
// bytes after the response without keeping them in memory; readPaceBytes/
// readPaceMs read the request slowly. Close shuts the sending side and then
// drains the connection until the client closes it, so a client that writes
// on a connection the server closed is reported instead of reset.
//
// The server runs on its own thread, so it also serves clients that run on a
// GUI thread inside nested event loops: poll Done() from a QTRY-style wait, or
// call WaitDone with a bound. Nothing in it waits a fixed time except the
// drip pacing asked for.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ScriptedServer {
public:
    // What the server waits for before it sends an exchange's response.
    class Expect {
    public:
        // The request is exactly these bytes (head and body).
        static Expect Exact(std::string bytes);
        // The request matches the pattern: literal bytes, where {DIGIT}
        // stands for one decimal digit, {DIGITS} for one or more, and {ANY}
        // for any bytes.
        static Expect Pattern(std::string pattern);
        // The check returns an empty text when the request is right, else
        // what is wrong with it.
        static Expect Where(std::function<std::string(const std::string& request)> check);
        // Any one request.
        static Expect Any();
        // Nothing: the response goes out as soon as a new connection is
        // accepted, before anything is read.
        static Expect Connection();
        // Exactly count raw bytes, not framed as HTTP, compared with nothing.
        static Expect Bytes(std::size_t count);

        enum class Kind { Exact, Pattern, Where, Any, Connection, Bytes };
        Kind kind = Kind::Any;
        std::string bytes;
        std::size_t count = 0;
        std::function<std::string(const std::string&)> check;
    };

    enum class Then {
        KeepAlive,  // keep the connection open for later exchanges
        Close,      // close it after the response
    };

    struct Exchange {
        Expect expect;
        std::string response;
        Then then = Then::KeepAlive;
        // Send the response in pieces of DripBytes, DripMs apart.
        std::size_t dripBytes = 0;
        int dripMs = 0;
        // Keep the response back until Release() is called.
        bool held = false;
        // After the response, send this many bytes of GeneratedByte(i), or
        // of generatedText repeated when that is not empty (endless header
        // lines or interim heads).
        std::uint64_t generatedBytes = 0;
        std::string generatedText{};
        // Read the request at most ReadPaceBytes at a time, ReadPaceMs apart
        // (a slow reader, so that the client's sends block).
        std::size_t readPaceBytes = 0;
        int readPaceMs = 0;
    };

    explicit ScriptedServer(std::vector<Exchange> script = {});
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    // Appends exchanges to the script, also while it runs.
    void Add(Exchange exchange);

    int Port() const { return port_; }
    // "127.0.0.1:<port>", the Host header value a client sends for Url().
    std::string HostPort() const;
    // "http://127.0.0.1:<port>" followed by path.
    std::string Url(const std::string& path = "/") const;

    // Every exchange served and no failure so far.
    bool Done() const;
    // Waits for Done() at most bound; the result explains what is missing.
    ::testing::AssertionResult WaitDone(std::chrono::milliseconds bound = std::chrono::seconds(10)) const;
    // No failure so far (exchanges may still be pending).
    ::testing::AssertionResult Check() const;
    // Waits at most bound until n connections were accepted.
    bool WaitConnections(int n, std::chrono::milliseconds bound = std::chrono::seconds(10)) const;
    // Waits at most bound until the client closed connection id.
    bool WaitClosedByClient(int id, std::chrono::milliseconds bound = std::chrono::seconds(10)) const;

    // Lets the next held response go out.
    void Release();

    int Connections() const;
    int ServedCount() const;
    // The bytes received for exchange i, and the connection (0, 1, ... in
    // order of acceptance) it was served on; -1 when not served yet.
    std::string Received(std::size_t i) const;
    int ConnectionOf(std::size_t i) const;
    bool ClosedByClient(int id) const;
    std::vector<std::string> Failures() const;

    // The pattern of a multipart boundary: eight hyphens and fifteen digits.
    static std::string BoundaryPattern();
    static char GeneratedByte(std::uint64_t index) { return char('a' + index % 26); }

    // text with {HOST} and {PORT} filled in.
    std::string Fill(std::string text) const;

    // Stops serving and closes every connection; the destructor does it too.
    void Stop();

private:
    struct State;
    void Run();

    std::unique_ptr<State> state_;
    int port_ = 0;
    std::thread thread_;
};
