// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Debian's stunnel4 on loopback in front of a plain web server: the https
// side of a test site, with a certificate from the test CA, whatever stack
// serves the site behind it. Started by the constructor, which returns once
// it listens; stopped by the destructor.

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestCertificates.h"

#include <string>

class StunnelFront {
public:
    // The stunnel program, or "" when it is not installed.
    static std::string Program();

    // Throws std::runtime_error, with the tail of stunnel's log, when it does
    // not start.
    explicit StunnelFront(int backendPort, TestCertificates::Kind certificate = TestCertificates::Kind::Good);
    ~StunnelFront();
    StunnelFront(const StunnelFront&) = delete;
    StunnelFront& operator=(const StunnelFront&) = delete;

    int Port() const { return port_; }
    // "https://127.0.0.1:<port>".
    std::string Url() const { return "https://127.0.0.1:" + std::to_string(port_); }

private:
    TempDir dir_;
    int port_ = 0;
    ChildProcess stunnel_;
};
