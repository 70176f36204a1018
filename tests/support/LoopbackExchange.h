// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One raw HTTP exchange with a server on 127.0.0.1, for what the project's
// client does not send (a browser's form post, other methods) and for
// watching a reply as it arrives: the request's bytes go out whole, and the
// response is read until the server closes the connection.

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct LoopbackOptions {
    // A loopback address (127.x.y.z) to send from; the kernel's choice when
    // empty.
    std::string fromAddress;
    // A small receive buffer holds the server back as soon as this side
    // stops reading.
    int receiveBuffer = 0;
    // The bound on each wait for data.
    int boundSeconds = 60;
    // Called after each read with all that has arrived; reading waits for it.
    std::function<void(const std::string& received)> onReceived;
};

// The whole response, head and body. Throws std::runtime_error when the
// connection cannot be made.
std::string LoopbackExchange(int port, const std::string& request, const LoopbackOptions& options = {});

// Fields as a multipart/form-data body with the given boundary, laid out as
// the client lays them out.
std::string FormDataBody(const std::vector<std::pair<std::string, std::string>>& fields, const std::string& boundary);
