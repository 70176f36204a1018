// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small TLS server on loopback in front of a plain one (OpenSSL): every
// TLS connection it accepts is relayed, byte for byte both ways, to a new
// connection to the backend port, opened only once the handshake has
// succeeded. So the tables of the scripted server run over TLS unchanged,
// with one backend connection per TLS connection, and a handshake the client
// refuses leaves the backend without any connection: no request byte can
// have passed.
//
//     ScriptedServer server({...});
//     TlsFront front(server.Port());
//     client.GetText(front.Url("/a"));
//
// When the backend closes, the front closes toward the client, with a TLS
// close_notify or (closeNotify off) by simply closing the socket; when the
// client closes, the front closes the backend connection, so the scripted
// server sees the client's close. With stallHandshake the front reads the
// client's first handshake bytes and never answers.

#include "tests/support/TestCertificates.h"

#include <memory>
#include <string>
#include <vector>

class TlsFront {
public:
    struct Options {
        TestCertificates::Kind certificate = TestCertificates::Kind::Good;
        bool closeNotify = true;
        bool stallHandshake = false;
        // The newest TLS version the front speaks (0: the newest there is).
        int maxVersion = 0;
    };

    explicit TlsFront(int backendPort) : TlsFront(backendPort, Options{}) {}
    TlsFront(int backendPort, Options options);
    ~TlsFront();
    TlsFront(const TlsFront&) = delete;
    TlsFront& operator=(const TlsFront&) = delete;

    int Port() const;
    // "https://127.0.0.1:<port>" followed by path.
    std::string Url(const std::string& path = "/") const;

    // TCP connections accepted and handshakes completed so far.
    int Accepted() const;
    int Handshakes() const;
    // Handshakes that resumed an earlier session instead of a full one.
    int Resumed() const;
    // The server name (SNI) each completed handshake carried, "" for none.
    std::vector<std::string> ServerNames() const;
    // Why handshakes failed on the front's side.
    std::vector<std::string> Failures() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
