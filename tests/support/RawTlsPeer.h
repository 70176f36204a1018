// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One TLS connection on loopback served step by step by the test, for what
// a relaying front cannot do: after the handshake the test chooses exactly
// which bytes of which records go out (part of a record, a record cut
// short) and when the connection ends, without close_notify.
//
//     RawTlsPeer peer;                       // listening
//     // the client connects to peer.Port() ...
//     peer.Accept();
//     peer.Handshake();
//     peer.Send(peer.Seal("hello\n").substr(0, 8));   // part of a record
//     peer.Close();
//
// The server sends no session tickets, so nothing but what the test sends
// follows the handshake.

#include "tests/support/TestCertificates.h"

#include <string>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;
typedef struct bio_st BIO;

class RawTlsPeer {
public:
    explicit RawTlsPeer(TestCertificates::Kind certificate = TestCertificates::Kind::Good);
    ~RawTlsPeer();
    RawTlsPeer(const RawTlsPeer&) = delete;
    RawTlsPeer& operator=(const RawTlsPeer&) = delete;

    int Port() const { return port_; }
    // Accepts the next connection; waits at most 10 s.
    void Accept();
    // Completes the handshake on it (at most 10 s); false when it failed.
    bool Handshake();
    // The record bytes that carry text, made but not sent.
    std::string Seal(const std::string& text);
    // Reads and drops what has arrived on the connection (a client's hello),
    // waiting at most 10 s for the first byte.
    void Discard();
    // Sends bytes on the connection as they are.
    void Send(const std::string& bytes);
    // Closes the connection at once, without close_notify.
    void Close();

private:
    int listener_ = -1;
    int port_ = 0;
    int connection_ = -1;
    SSL_CTX* context_ = nullptr;
    SSL* ssl_ = nullptr;
    BIO* records_ = nullptr;  // where Seal's records go, owned by ssl_
};
