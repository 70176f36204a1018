// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The IPv4 loopback address with a port, for the test servers' sockets.

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdint>

inline sockaddr_in LoopbackAddress(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(std::uint16_t(port));
    return address;
}
