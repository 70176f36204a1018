// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdIOHandlerSocket.h"

#include "http/IdException.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

TIdIOHandlerSocket::~TIdIOHandlerSocket() {
    Close();
}

void TIdIOHandlerSocket::Allocate() {
    Close();
    handle_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (handle_ < 0)
        throw EIdInvalidSocket();
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = 0;
    if (::bind(handle_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
        throw EIdCouldNotBindSocket();
}

void TIdIOHandlerSocket::Adopt(int handle) {
    Close();
    handle_ = handle;
}

void TIdIOHandlerSocket::Close() {
    if (handle_ < 0)
        return;
    ::shutdown(handle_, SHUT_WR);
    ::close(handle_);
    handle_ = -1;
}

int TIdIOHandlerSocket::ConnectSocket(int handle, const sockaddr_in& address, int stopHandle) {
    // A non-blocking connect waited for with poll() can be abandoned through
    // stopHandle and is immune to EINTR; the socket is blocking again after.
    int flags = ::fcntl(handle, F_GETFL);
    if (flags < 0 || ::fcntl(handle, F_SETFL, flags | O_NONBLOCK) < 0)
        return errno;
    int result = 0;
    if (::connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        result = errno;
        if (result == EINPROGRESS || result == EINTR) {
            pollfd fds[2] = {{handle, POLLOUT, 0}, {stopHandle, POLLIN, 0}};
            const nfds_t count = stopHandle >= 0 ? 2 : 1;
            for (;;) {
                int rc = ::poll(fds, count, -1);
                if (rc < 0 && errno == EINTR)
                    continue;
                if (rc < 0) {
                    result = errno;
                } else if (count == 2 && fds[1].revents) {
                    result = EBADF;
                } else {
                    socklen_t length = sizeof result;
                    if (::getsockopt(handle, SOL_SOCKET, SO_ERROR, &result, &length) != 0)
                        result = errno;
                }
                break;
            }
        }
    }
    ::fcntl(handle, F_SETFL, flags);
    return result;
}

namespace {

int WaitFor(int handle, short events, int ms) {
    pollfd fd{handle, events, 0};
    for (;;) {
        // EINTR restarts the wait; a few extra milliseconds after a signal
        // do no harm to a read time-out.
        int rc = ::poll(&fd, 1, ms < 0 ? -1 : ms);
        if (rc < 0 && errno == EINTR)
            continue;
        return rc < 0 ? -1 : (rc > 0 ? 1 : 0);
    }
}

}  // namespace

int TIdIOHandlerSocket::WaitReadable(int ms) const {
    return WaitFor(handle_, POLLIN, ms);
}

int TIdIOHandlerSocket::WaitWritable(int ms) const {
    return WaitFor(handle_, POLLOUT, ms);
}

ssize_t TIdIOHandlerSocket::Recv(void* buffer, std::size_t count) {
    return RecvOn(handle_, buffer, count);
}

ssize_t TIdIOHandlerSocket::Send(const void* buffer, std::size_t count) {
    return SendOn(handle_, buffer, count);
}

ssize_t TIdIOHandlerSocket::RecvOn(int handle, void* buffer, std::size_t count) {
    for (;;) {
        ssize_t n = ::recv(handle, buffer, count, 0);
        if (n < 0 && errno == EINTR)
            continue;
        return n;
    }
}

ssize_t TIdIOHandlerSocket::SendOn(int handle, const void* buffer, std::size_t count) {
    for (;;) {
        ssize_t n = ::send(handle, buffer, count, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        return n;
    }
}
