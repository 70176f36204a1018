// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdTLSIOHandler.h"

#include "http/IdException.h"
#include "http/IdStack.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace {

int HandleOf(BIO* bio) {
    return int(reinterpret_cast<std::intptr_t>(BIO_get_data(bio)));
}

// The socket BIO of OpenSSL writes with write(), and a write to a peer that
// has gone would end the program with SIGPIPE; this one sends as the plain
// handler does, without SIGPIPE, and reports EAGAIN of the non-blocking
// socket as a retry.
int SocketWrite(BIO* bio, const char* data, int length) {
    BIO_clear_retry_flags(bio);
    const ssize_t n = TIdIOHandlerSocket::SendOn(HandleOf(bio), data, std::size_t(length));
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        BIO_set_retry_write(bio);
    return int(n);
}

int SocketRead(BIO* bio, char* data, int length) {
    BIO_clear_retry_flags(bio);
    const ssize_t n = TIdIOHandlerSocket::RecvOn(HandleOf(bio), data, std::size_t(length));
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        BIO_set_retry_read(bio);
    return int(n);
}

long SocketCtrl(BIO* bio, int command, long, void*) {
    switch (command) {
    case BIO_CTRL_FLUSH:
        return 1;
    case BIO_C_GET_FD:
        return HandleOf(bio);
    default:
        return 0;
    }
}

int SocketCreate(BIO* bio) {
    BIO_set_init(bio, 1);
    return 1;
}

BIO_METHOD* SocketMethod() {
    static BIO_METHOD* const method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "corvanta socket");
        if (m) {
            BIO_meth_set_write(m, SocketWrite);
            BIO_meth_set_read(m, SocketRead);
            BIO_meth_set_ctrl(m, SocketCtrl);
            BIO_meth_set_create(m, SocketCreate);
        }
        return m;
    }();
    return method;
}

// The reason OpenSSL gives for the last failure, and its queue emptied.
std::string LastReason() {
    const unsigned long code = ERR_peek_last_error();
    ERR_clear_error();
    const char* reason = code ? ERR_reason_error_string(code) : nullptr;
    return reason ? reason : "unknown error";
}

// The last session of each site ("host:port"), as browsers keep them: the
// next connection to the same site resumes it and is spared the full
// handshake. A session is only ever made by a handshake that verified the
// site, and only offered to the same host name and port again.
class SessionCache {
public:
    static SessionCache& Instance() {
        static SessionCache cache;
        return cache;
    }
    // Takes over the reference to session.
    void Keep(const std::string& site, SSL_SESSION* session) {
        std::lock_guard lock(mutex_);
        SSL_SESSION*& slot = sessions_[site];
        if (slot)
            SSL_SESSION_free(slot);
        slot = session;
    }
    void Offer(const std::string& site, SSL* ssl) {
        std::lock_guard lock(mutex_);
        auto found = sessions_.find(site);
        if (found != sessions_.end())
            SSL_set_session(ssl, found->second);
    }
    void Forget(const std::string& site) {
        std::lock_guard lock(mutex_);
        auto found = sessions_.find(site);
        if (found != sessions_.end()) {
            SSL_SESSION_free(found->second);
            sessions_.erase(found);
        }
    }

private:
    ~SessionCache() {
        for (auto& entry : sessions_)
            SSL_SESSION_free(entry.second);
    }
    std::mutex mutex_;
    std::map<std::string, SSL_SESSION*> sessions_;
};

int SiteIndex() {
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

// The site a session belongs to travels with its SSL object.
const std::string* SiteOf(SSL* ssl) {
    return static_cast<const std::string*>(SSL_get_ex_data(ssl, SiteIndex()));
}

int KeepSession(SSL* ssl, SSL_SESSION* session) {
    const std::string* site = SiteOf(ssl);
    if (!site || !SSL_SESSION_is_resumable(session))
        return 0;
    SessionCache::Instance().Keep(*site, session);
    return 1;
}

struct ContextDeleter {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};

// One client context for the process: the trust store is read once, at the
// first secure connect.
SSL_CTX* ClientContext() {
    static const std::unique_ptr<SSL_CTX, ContextDeleter> context = [] {
        std::unique_ptr<SSL_CTX, ContextDeleter> made(SSL_CTX_new(TLS_client_method()));
        if (!made || !SocketMethod() || !SSL_CTX_set_min_proto_version(made.get(), TLS1_2_VERSION) ||
            !SSL_CTX_set_default_verify_paths(made.get()))
            throw EIdTLSError("TLS is not available: " + LastReason());
        SSL_CTX_set_verify(made.get(), SSL_VERIFY_PEER, nullptr);
        // A peer that closes without close_notify has closed all the same;
        // the HTTP framing tells whether a body is whole. Our socket BIO does
        // not answer OpenSSL's end-of-file query, so that close arrives as
        // SSL_ERROR_SYSCALL with errno 0, which Recv reads as the close; the
        // option only keeps OpenSSL's own socket BIO, were it ever used, alike.
        SSL_CTX_set_options(made.get(), SSL_OP_IGNORE_UNEXPECTED_EOF | SSL_OP_NO_RENEGOTIATION);
        SSL_CTX_set_mode(made.get(), SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
        SSL_CTX_set_session_cache_mode(made.get(), SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
        SSL_CTX_sess_set_new_cb(made.get(), KeepSession);
        return made;
    }();
    return context.get();
}

// An address written as four decimal numbers is checked against the
// certificate's IP addresses, anything else as a DNS name.
bool IsAddressLiteral(const std::string& host, in_addr& address) {
    return !host.empty() && host.find_first_not_of("0123456789.") == std::string::npos &&
           TIdStack::ParseIPv4Literal(host, address);
}

}  // namespace

TIdTLSIOHandler::~TIdTLSIOHandler() {
    Close();
}

void TIdTLSIOHandler::Close() {
    if (ssl_) {
        // One close_notify, without waiting for the peer's answer to it.
        if (established_ && IsOpen()) {
            ERR_clear_error();
            SSL_shutdown(ssl_);
        }
        SSL_free(ssl_);
        ERR_clear_error();
        ssl_ = nullptr;
        established_ = false;
    }
    TIdIOHandlerSocket::Close();
}

void TIdTLSIOHandler::Fail(const std::string& message) {
    // A site that refused (or was refused) starts afresh next time.
    if (!site_.empty())
        SessionCache::Instance().Forget(site_);
    established_ = false;
    Close();
    throw EIdTLSError(message);
}

void TIdTLSIOHandler::Begin(const std::string& host) {
    // Without a name nothing could be checked against the certificate.
    if (host.empty())
        Fail("TLS handshake failed: no host name to verify");
    ERR_clear_error();
    ssl_ = SSL_new(ClientContext());
    BIO* bio = ssl_ ? BIO_new(SocketMethod()) : nullptr;
    if (!bio)
        Fail("TLS handshake failed: " + LastReason());
    BIO_set_data(bio, reinterpret_cast<void*>(std::intptr_t(Handle())));
    SSL_set_bio(ssl_, bio, bio);
    // The handshake and every read run on the non-blocking socket, so that
    // a record that arrives in parts never blocks a wait with its limit.
    const int flags = ::fcntl(Handle(), F_GETFL);
    if (flags < 0 || ::fcntl(Handle(), F_SETFL, flags | O_NONBLOCK) < 0)
        TIdStack::RaiseLastSocketError();
    in_addr address;
    bool named;
    if (IsAddressLiteral(host, address)) {
        named = X509_VERIFY_PARAM_set1_ip(SSL_get0_param(ssl_), reinterpret_cast<const unsigned char*>(&address.s_addr),
                                          sizeof address.s_addr) == 1;
    } else {
        SSL_set_hostflags(ssl_, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        named = SSL_set_tlsext_host_name(ssl_, host.c_str()) == 1 && SSL_set1_host(ssl_, host.c_str()) == 1;
    }
    if (!named)
        Fail("TLS handshake failed: " + LastReason());
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    site_ = host;
    if (::getpeername(Handle(), reinterpret_cast<sockaddr*>(&peer), &length) == 0)
        site_ += ":" + std::to_string(ntohs(peer.sin_port));
    SSL_set_ex_data(ssl_, SiteIndex(), &site_);
    SessionCache::Instance().Offer(site_, ssl_);
    SSL_set_connect_state(ssl_);
}

TIdHandshakeWait TIdTLSIOHandler::Handshake(const std::string& host) {
    if (!ssl_)
        Begin(host);
    ERR_clear_error();
    const int rc = SSL_do_handshake(ssl_);
    if (rc == 1) {
        established_ = true;
        return TIdHandshakeWait::None;
    }
    const int error = SSL_get_error(ssl_, rc);
    if (error == SSL_ERROR_WANT_READ)
        return TIdHandshakeWait::Readable;
    if (error == SSL_ERROR_WANT_WRITE)
        return TIdHandshakeWait::Writable;
    const long verified = SSL_get_verify_result(ssl_);
    if (verified != X509_V_OK)
        Fail(std::string("Certificate refused: ") + X509_verify_cert_error_string(verified));
    std::string reason;
    if (error == SSL_ERROR_SYSCALL && errno != 0)
        reason = TIdStack::WSTranslateSocketErrorMsg(TIdStack::WSErrorFromErrno(errno));
    else if (error == SSL_ERROR_SYSCALL || error == SSL_ERROR_ZERO_RETURN)
        reason = "the server closed the connection";
    else
        reason = LastReason();
    if (reason.empty())
        reason = "socket error " + std::to_string(errno);
    Fail("TLS handshake failed: " + reason);
}

int TIdTLSIOHandler::WaitReadable(int ms) const {
    if (ssl_ && SSL_pending(ssl_) > 0)
        return 1;
    return TIdIOHandlerSocket::WaitReadable(ms);
}

ssize_t TIdTLSIOHandler::Recv(void* buffer, std::size_t count) {
    if (!ssl_) {
        errno = ENOTCONN;
        return -1;
    }
    ERR_clear_error();
    const int n = SSL_read(ssl_, buffer, int(std::min<std::size_t>(count, INT_MAX)));
    if (n > 0)
        return n;
    switch (SSL_get_error(ssl_, n)) {
    case SSL_ERROR_ZERO_RETURN:
        return 0;
    case SSL_ERROR_WANT_READ:
        // Part of a record, or a record without data (a session ticket).
        errno = EAGAIN;
        return -1;
    case SSL_ERROR_WANT_WRITE:
        WaitWritable(-1);
        errno = EAGAIN;
        return -1;
    case SSL_ERROR_SYSCALL: {
        const int error = errno;
        // The session is unusable: no close_notify on it any more.
        established_ = false;
        ERR_clear_error();
        if (error == 0)
            return 0;
        errno = error;
        return -1;
    }
    default:
        Fail("TLS error: " + LastReason());
    }
}

ssize_t TIdTLSIOHandler::Send(const void* buffer, std::size_t count) {
    if (!ssl_) {
        errno = ENOTCONN;
        return -1;
    }
    for (;;) {
        ERR_clear_error();
        const int n = SSL_write(ssl_, buffer, int(std::min<std::size_t>(count, INT_MAX)));
        if (n > 0)
            return n;
        switch (SSL_get_error(ssl_, n)) {
        // Sending blocks until the peer takes the bytes, as a plain send
        // does, and never pumps.
        case SSL_ERROR_WANT_WRITE:
            if (WaitWritable(-1) < 0)
                return -1;
            continue;
        case SSL_ERROR_WANT_READ:
            if (TIdIOHandlerSocket::WaitReadable(-1) < 0)
                return -1;
            continue;
        case SSL_ERROR_SYSCALL: {
            const int error = errno ? errno : EPIPE;
            established_ = false;
            ERR_clear_error();
            errno = error;
            return -1;
        }
        default:
            Fail("TLS error: " + LastReason());
        }
    }
}
