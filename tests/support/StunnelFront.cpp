// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/StunnelFront.h"

std::string StunnelFront::Program() { return FindServerProgram("stunnel4", "stunnel"); }

StunnelFront::StunnelFront(int backendPort, TestCertificates::Kind certificate) {
    const TestCertificates& certificates = TestCertificates::Instance();
    port_ = FreeLoopbackPort();
    // In the foreground, logging to its output; records leave at once on
    // both sides, as a web server's do.
    dir_.Write("stunnel.conf", "foreground = yes\n"
                               "pid =\n"
                               "debug = notice\n"
                               "socket = l:TCP_NODELAY=1\n"
                               "socket = r:TCP_NODELAY=1\n"
                               "[site]\n"
                               "accept = 127.0.0.1:" + std::to_string(port_) + "\n"
                               "connect = 127.0.0.1:" + std::to_string(backendPort) + "\n"
                               "cert = " + certificates.CertFile(certificate) + "\n"
                               "key = " + certificates.KeyFile(certificate) + "\n");
    const std::string log = dir_.File("stunnel.log");
    stunnel_.Start({Program(), dir_.File("stunnel.conf")}, {log, {}, {}});
    AwaitListening(stunnel_, port_, 30000, "stunnel", {log});
}

StunnelFront::~StunnelFront() {
    stunnel_.Stop(5000);
}
