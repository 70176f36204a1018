// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The endpoint of a connection: one IPv4 stream socket and whether it is open.
// It wraps the few POSIX socket calls the connection makes and reports their
// failures as errno-style results; the connection decides which of them are
// failures and raises them with their Windows Sockets numbers.

#include <netinet/in.h>
#include <sys/types.h>

#include <cstddef>

class TIdIOHandlerSocket {
public:
    TIdIOHandlerSocket() = default;
    ~TIdIOHandlerSocket();
    TIdIOHandlerSocket(const TIdIOHandlerSocket&) = delete;
    TIdIOHandlerSocket& operator=(const TIdIOHandlerSocket&) = delete;

    bool IsOpen() const { return handle_ >= 0; }
    int Handle() const { return handle_; }

    // A fresh IPv4 stream socket (EIdInvalidSocket when none can be had),
    // bound to any local address and port 0 (EIdCouldNotBindSocket).
    void Allocate();
    // Takes over a socket connected elsewhere.
    void Adopt(int handle);
    // Shuts down the sending direction, then closes. Nothing when closed.
    void Close();

    // Connects the socket, blocking the calling thread. When stopHandle is
    // not -1, the wait ends early once stopHandle becomes readable; the
    // result is then EBADF, as for a socket closed under a blocking connect.
    // Returns 0 or an errno value.
    static int ConnectSocket(int handle, const sockaddr_in& address, int stopHandle);

    // Waits until data (or the peer's close) can be read: 1 when it can, 0 on
    // time-out, -1 with errno on failure. ms < 0 waits without limit.
    int WaitReadable(int ms) const;
    // recv()/send() with EINTR retried; send never raises SIGPIPE.
    ssize_t Recv(void* buffer, std::size_t count) const;
    ssize_t Send(const void* buffer, std::size_t count) const;

private:
    int handle_ = -1;
};
