// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/TlsFront.h"

#include "tests/support/Loopback.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

std::string LastReason() {
    const unsigned long code = ERR_peek_last_error();
    ERR_clear_error();
    const char* reason = code ? ERR_reason_error_string(code) : nullptr;
    return reason ? reason : "closed";
}

}  // namespace

struct TlsFront::State {
    Options options;
    int backendPort = 0;
    int listener = -1;
    int port = 0;
    int stop[2] = {-1, -1};
    SSL_CTX* context = nullptr;

    mutable std::mutex mutex;
    int accepted = 0;
    int handshakes = 0;
    int resumed = 0;
    std::vector<std::string> names;
    std::vector<std::string> failures;
    std::vector<std::thread> relays;
    std::thread acceptor;

    void Accept();
    void Relay(int fd);
    // Waits until fd has the events, or the front stops (false).
    bool WaitFor(int fd, short events) const;
};

TlsFront::TlsFront(int backendPort, Options options) : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.options = options;
    s.backendPort = backendPort;
    s.context = TestCertificates::Instance().NewServerContext(options.certificate);
    SSL_CTX_set_mode(s.context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    if (options.maxVersion) {
        // Old versions only speak at the lowest security level.
        SSL_CTX_set_security_level(s.context, 0);
        SSL_CTX_set_cipher_list(s.context, "DEFAULT:@SECLEVEL=0");
        SSL_CTX_set_min_proto_version(s.context, 0);
        SSL_CTX_set_max_proto_version(s.context, options.maxVersion);
    }
    if (::pipe2(s.stop, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("TlsFront: pipe failed");
    s.listener = ListenOnLoopback(64, s.port);
    if (s.listener < 0)
        throw std::runtime_error("TlsFront: cannot listen");
    s.acceptor = std::thread(&State::Accept, &s);
}

TlsFront::~TlsFront() {
    State& s = *state_;
    char byte = 0;
    [[maybe_unused]] ssize_t rc = ::write(s.stop[1], &byte, 1);
    s.acceptor.join();
    for (std::thread& relay : s.relays)
        relay.join();
    ::close(s.listener);
    ::close(s.stop[0]);
    ::close(s.stop[1]);
    SSL_CTX_free(s.context);
}

int TlsFront::Port() const {
    return state_->port;
}

std::string TlsFront::Url(const std::string& path) const {
    return "https://127.0.0.1:" + std::to_string(state_->port) + path;
}

int TlsFront::Accepted() const {
    std::lock_guard lock(state_->mutex);
    return state_->accepted;
}

int TlsFront::Handshakes() const {
    std::lock_guard lock(state_->mutex);
    return state_->handshakes;
}

int TlsFront::Resumed() const {
    std::lock_guard lock(state_->mutex);
    return state_->resumed;
}

std::vector<std::string> TlsFront::ServerNames() const {
    std::lock_guard lock(state_->mutex);
    return state_->names;
}

std::vector<std::string> TlsFront::Failures() const {
    std::lock_guard lock(state_->mutex);
    return state_->failures;
}

bool TlsFront::State::WaitFor(int fd, short events) const {
    pollfd fds[2] = {{fd, events, 0}, {stop[0], POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0 && errno == EINTR) {
    }
    return fds[1].revents == 0;
}

void TlsFront::State::Accept() {
    while (WaitFor(listener, POLLIN)) {
        int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard lock(mutex);
        ++accepted;
        relays.emplace_back(&State::Relay, this, fd);
    }
}

void TlsFront::State::Relay(int fd) {
    // OpenSSL writes to the client with write(): a client that has gone must
    // give EPIPE here, not end the test program.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    // Its records leave at once, as a web server's do: handshake messages
    // and session tickets are small writes that Nagle's algorithm would
    // otherwise hold back behind the client's delayed acknowledgements.
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    SSL* ssl = SSL_new(context);
    SSL_set_fd(ssl, fd);
    SSL_set_accept_state(ssl);
    int backend = -1;
    auto finish = [&] {
        SSL_free(ssl);
        ERR_clear_error();
        ::close(fd);
        if (backend >= 0)
            ::close(backend);
    };
    char buffer[16384];

    if (options.stallHandshake) {
        // Take what the client sends, answer nothing, until it gives up.
        while (WaitFor(fd, POLLIN)) {
            ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                break;
        }
        finish();
        return;
    }

    for (;;) {
        const int rc = SSL_accept(ssl);
        if (rc == 1)
            break;
        const int error = SSL_get_error(ssl, rc);
        if ((error == SSL_ERROR_WANT_READ && WaitFor(fd, POLLIN)) ||
            (error == SSL_ERROR_WANT_WRITE && WaitFor(fd, POLLOUT)))
            continue;
        {
            std::lock_guard lock(mutex);
            failures.push_back(LastReason());
        }
        finish();
        return;
    }
    {
        std::lock_guard lock(mutex);
        ++handshakes;
        resumed += SSL_session_reused(ssl) ? 1 : 0;
        const char* name = SSL_get_servername(ssl, TLSEXT_NAMETYPE_host_name);
        names.push_back(name ? name : "");
    }

    backend = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = LoopbackAddress(backendPort);
    if (backend < 0 || ::connect(backend, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        finish();
        return;
    }
    ::fcntl(backend, F_SETFL, ::fcntl(backend, F_GETFL) | O_NONBLOCK);

    std::string toBackend, toClient;
    bool clientEof = false, clientGone = false, backendEof = false, backendShut = false, closedToClient = false;
    for (;;) {
        while (!clientEof) {
            const int n = SSL_read(ssl, buffer, sizeof buffer);
            if (n > 0) {
                toBackend.append(buffer, std::size_t(n));
                continue;
            }
            const int error = SSL_get_error(ssl, n);
            if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE)
                break;
            // close_notify, a plain close, or a broken session alike.
            clientEof = true;
            ERR_clear_error();
        }
        while (!toBackend.empty()) {
            ssize_t n = ::send(backend, toBackend.data(), toBackend.size(), MSG_NOSIGNAL);
            if (n > 0)
                toBackend.erase(0, std::size_t(n));
            else if (n < 0 && (errno == EAGAIN || errno == EINTR))
                break;
            else
                toBackend.clear();
        }
        if (clientEof && toBackend.empty() && !backendShut) {
            ::shutdown(backend, SHUT_WR);
            backendShut = true;
        }
        while (!backendEof && toClient.size() < (1u << 20)) {
            ssize_t n = ::recv(backend, buffer, sizeof buffer, 0);
            if (n > 0)
                toClient.append(buffer, std::size_t(n));
            else if (n < 0 && (errno == EAGAIN || errno == EINTR))
                break;
            else
                backendEof = true;
        }
        while (!toClient.empty() && !clientGone) {
            const int n = SSL_write(ssl, toClient.data(), int(std::min<std::size_t>(toClient.size(), sizeof buffer)));
            if (n > 0) {
                toClient.erase(0, std::size_t(n));
                continue;
            }
            const int error = SSL_get_error(ssl, n);
            if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE)
                break;
            clientGone = true;
            ERR_clear_error();
        }
        if (clientGone)
            toClient.clear();
        if (backendEof && toClient.empty() && !closedToClient) {
            if (options.closeNotify && !clientGone)
                SSL_shutdown(ssl);
            ::shutdown(fd, SHUT_WR);
            closedToClient = true;
        }
        if (clientEof && backendEof && toClient.empty())
            break;

        const short clientEvents = short((clientEof ? 0 : POLLIN) | (toClient.empty() ? 0 : POLLOUT));
        const short backendEvents = short((backendEof ? 0 : POLLIN) | (toBackend.empty() ? 0 : POLLOUT));
        pollfd fds[3] = {{clientEvents ? fd : -1, clientEvents, 0},
                         {backendEvents ? backend : -1, backendEvents, 0},
                         {stop[0], POLLIN, 0}};
        const int rc = ::poll(fds, 3, SSL_pending(ssl) > 0 ? 0 : -1);
        if (rc < 0 && errno != EINTR)
            break;
        if (fds[2].revents)
            break;
    }
    finish();
}
