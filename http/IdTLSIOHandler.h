// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The secure I/O handler: the connection's socket carried through TLS
// (OpenSSL), for https. After the connect the handshake runs in steps on the
// non-blocking socket, so the connection can wait for each step in its
// pumped slices. The peer is verified the way a browser does it: TLS 1.2 or
// newer, the URL's host sent as SNI, the certificate chain checked against
// the system's trust store (SSL_CERT_FILE and SSL_CERT_DIR point elsewhere),
// and the host name or IP address checked against the certificate. Nothing
// turns verification off. A refused handshake raises EIdTLSError naming the
// reason.
//
// Reads and writes keep the plain socket's contract: Recv gives the bytes
// OpenSSL decrypted, 0 when the peer closed (with or without close_notify),
// -1 with EAGAIN when no whole record has arrived yet; bytes OpenSSL already
// holds decrypted count as readable, so no wait blocks on them.

#include "http/IdIOHandlerSocket.h"

#include <string>

typedef struct ssl_st SSL;

class TIdTLSIOHandler : public TIdIOHandlerSocket {
public:
    TIdTLSIOHandler() = default;
    ~TIdTLSIOHandler() override;

    // Sends close_notify when the session is whole, then closes the socket.
    void Close() override;
    bool Secure() const override { return true; }
    TIdHandshakeWait Handshake(const std::string& host) override;

    int WaitReadable(int ms) const override;
    ssize_t Recv(void* buffer, std::size_t count) override;
    ssize_t Send(const void* buffer, std::size_t count) override;

private:
    void Begin(const std::string& host);
    // Ends the session after a fatal TLS failure and raises it.
    [[noreturn]] void Fail(const std::string& message);

    SSL* ssl_ = nullptr;
    bool established_ = false;
    // "host:port", under which the session is kept for resumption.
    std::string site_;
};
