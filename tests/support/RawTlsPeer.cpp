// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/RawTlsPeer.h"

#include "tests/support/Loopback.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace {
constexpr int kBoundMs = 10000;
}

RawTlsPeer::RawTlsPeer(TestCertificates::Kind certificate) {
    context_ = TestCertificates::Instance().NewServerContext(certificate);
    SSL_CTX_set_num_tickets(context_, 0);
    SSL_CTX_set_session_cache_mode(context_, SSL_SESS_CACHE_OFF);
    listener_ = ListenOnLoopback(8, port_);
    if (listener_ < 0)
        throw std::runtime_error("RawTlsPeer: cannot listen");
}

RawTlsPeer::~RawTlsPeer() {
    Close();
    if (listener_ >= 0)
        ::close(listener_);
    SSL_CTX_free(context_);
}

void RawTlsPeer::Accept() {
    Close();
    pollfd wait{listener_, POLLIN, 0};
    if (::poll(&wait, 1, kBoundMs) != 1)
        throw std::runtime_error("RawTlsPeer: no connection came");
    connection_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection_ < 0)
        throw std::runtime_error("RawTlsPeer: accept failed");
    // Every piece the test sends leaves at once, as it was cut.
    int on = 1;
    ::setsockopt(connection_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    timeval bound{kBoundMs / 1000, 0};
    ::setsockopt(connection_, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
    ::setsockopt(connection_, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
}

bool RawTlsPeer::Handshake() {
    ssl_ = SSL_new(context_);
    SSL_set_fd(ssl_, connection_);
    const bool done = SSL_accept(ssl_) == 1;
    ERR_clear_error();
    if (done) {
        // From here the records are made in memory, and the test sends them.
        records_ = BIO_new(BIO_s_mem());
        SSL_set0_wbio(ssl_, records_);
    }
    return done;
}

std::string RawTlsPeer::Seal(const std::string& text) {
    if (!records_ || SSL_write(ssl_, text.data(), int(text.size())) != int(text.size()))
        throw std::runtime_error("RawTlsPeer: cannot make the records");
    std::string bytes;
    char chunk[4096];
    int n;
    while ((n = BIO_read(records_, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, std::size_t(n));
    return bytes;
}

void RawTlsPeer::Discard() {
    char chunk[16384];
    for (int flags = 0; ::recv(connection_, chunk, sizeof chunk, flags) > 0; flags = MSG_DONTWAIT) {
    }
}

void RawTlsPeer::Send(const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t n = ::send(connection_, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (n <= 0)
            throw std::runtime_error("RawTlsPeer: send failed");
        at += std::size_t(n);
    }
}

void RawTlsPeer::Close() {
    if (ssl_) {
        SSL_free(ssl_);
        ERR_clear_error();
        ssl_ = nullptr;
        records_ = nullptr;
    }
    if (connection_ >= 0) {
        ::close(connection_);
        connection_ = -1;
    }
}
