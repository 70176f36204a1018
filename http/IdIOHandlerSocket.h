// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The endpoint of a connection, the I/O handler: one IPv4 stream socket and
// whether it is open. It wraps the few POSIX socket calls the connection
// makes and reports their failures as errno-style results; the connection
// decides which of them are failures and raises them with their Windows
// Sockets numbers. This handler carries the bytes as they are; a secure one
// (TIdTLSIOHandler) derives from it and carries them over the same socket
// through TLS, so the connection's reading and waiting code serves both.

#include <netinet/in.h>
#include <sys/types.h>

#include <cstddef>
#include <string>

// What a handshake step waits for before it can go on.
enum class TIdHandshakeWait { None, Readable, Writable };

class TIdIOHandlerSocket {
public:
    TIdIOHandlerSocket() = default;
    virtual ~TIdIOHandlerSocket();
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
    virtual void Close();

    // True for a handler whose bytes travel encrypted and whose peer was
    // verified: the connection then counts as secure.
    virtual bool Secure() const { return false; }
    // One step of what must happen after the connect before bytes can pass
    // (a TLS handshake with host). None when done; otherwise the wait the
    // step needs before it is called again. A plain socket has nothing to do.
    virtual TIdHandshakeWait Handshake(const std::string& host) { return TIdHandshakeWait::None; }

    // Connects the socket, blocking the calling thread. When stopHandle is
    // not -1, the wait ends early once stopHandle becomes readable; the
    // result is then EBADF, as for a socket closed under a blocking connect.
    // Returns 0 or an errno value.
    static int ConnectSocket(int handle, const sockaddr_in& address, int stopHandle);

    // Waits until data (or the peer's close) can be read: 1 when it can, 0 on
    // time-out, -1 with errno on failure. ms < 0 waits without limit. Bytes
    // the handler already holds count as readable at once.
    virtual int WaitReadable(int ms) const;
    // The same for writing; never counts buffered bytes.
    int WaitWritable(int ms) const;
    // recv()/send() with EINTR retried; send never raises SIGPIPE. A result
    // of -1 with errno EAGAIN means nothing could pass yet: wait and retry.
    virtual ssize_t Recv(void* buffer, std::size_t count);
    virtual ssize_t Send(const void* buffer, std::size_t count);
    // The same calls on a socket handle, for a secure handler's own I/O.
    static ssize_t RecvOn(int handle, void* buffer, std::size_t count);
    static ssize_t SendOn(int handle, const void* buffer, std::size_t count);

private:
    int handle_ = -1;
};
