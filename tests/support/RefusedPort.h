// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A loopback port that refuses connections, for tests of an unreachable site.

#include <string>

// A loopback port with a socket bound to it that never listens: connects to
// it are refused, and no other program can take the port while it lives.
class RefusedPort {
public:
    RefusedPort();
    ~RefusedPort();
    RefusedPort(const RefusedPort&) = delete;
    RefusedPort& operator=(const RefusedPort&) = delete;
    int Port() const { return port_; }
    std::string Url(const std::string& path = "") const;

private:
    int fd_ = -1;
    int port_ = 0;
};
