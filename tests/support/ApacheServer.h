// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Apache 2.4 with PHP the way a shop's host runs it (the prefork MPM with
// mod_php, PHP's production settings), started for one test site: on a
// loopback port, with a configuration file, PHP settings, logs and run files
// of its own in one directory, never as a system service. Run as root, its
// workers serve as www-data, as they do on a host.

#include "tests/support/ChildProcess.h"

#include <string>

class ApacheServer {
public:
    // The packages whose programs are missing, joined by ", "; empty when
    // everything is there.
    static std::string MissingPackages();

    // Writes the configuration into dir (which must exist) and starts the
    // server for webDir on 127.0.0.1:port; returns once it accepts
    // connections. phpSettings and config are lines added at the end of
    // php.ini and of the server's configuration. Throws std::runtime_error,
    // with the end of the error log, when it does not start.
    void Start(const std::string& dir, const std::string& webDir, int port, const std::string& phpSettings = {},
               const std::string& config = {});
    void Stop();

    // The server's error log, where PHP's messages go too.
    const std::string& ErrorLogPath() const { return errorLog_; }

private:
    std::string errorLog_;
    ChildProcess process_;
};
