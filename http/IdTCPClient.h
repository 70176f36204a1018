// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The client side of a TCP connection: host, port, and the connect. A connect
// with a time-out (or any connect while the window is kept responsive) runs on
// a TIdConnectThread while this thread waits in steps of at most 125 ms and
// pumps between them; it is woken as soon as the connect ends, so a quick
// connect costs no step. Name resolution happens first, on this thread,
// without pumping.

#include "http/IdTCPConnection.h"

#include <netinet/in.h>

#include <string>

class TIdTCPClient : public TIdTCPConnection {
public:
    const std::string& Host() const { return host_; }
    void SetHost(const std::string& host) { host_ = host; }
    int Port() const { return port_; }
    void SetPort(int port) { port_ = port; }

    // Opens a connection to Host and Port. timeout in milliseconds; 0 and -1
    // mean none (a blocking connect, or 120000 ms while pumping is in force).
    void Connect(int timeout);

private:
    void ConnectTimeoutWait(const sockaddr_in& address, int timeout);

    std::string host_;
    int port_ = 80;
};
