// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Feeds a fuzz input to a connection as the bytes a peer sent before closing:
// the input goes into one end of a socket pair, whose sending side is then
// shut down, and the connection reads from the other end through its real
// receive path (buffer, line search, exact-length reads, close detection).
// With a secure handler in place, the input is what the server sent during
// and after the TLS handshake with host.

#include "http/IdTCPConnection.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

inline void OpenScriptedStream(TIdTCPConnection& connection, const std::uint8_t* data, std::size_t size,
                               const std::string& host = "") {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        std::abort();
    // Room for the whole input, so it can be written before anything reads.
    int room = 1 << 20;
    ::setsockopt(ends[0], SOL_SOCKET, SO_SNDBUF, &room, sizeof room);
    std::size_t written = 0;
    while (written < size) {
        ssize_t n = ::send(ends[0], data + written, size - written, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n <= 0)
            break;  // an input larger than the buffer is cut: the rest never came
        written += std::size_t(n);
    }
    ::shutdown(ends[0], SHUT_WR);
    ::close(ends[0]);
    connection.OpenOnSocket(ends[1], host);
}
