// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/LoopbackExchange.h"

#include "tests/support/Loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

std::string LoopbackExchange(int port, const std::string& request, const LoopbackOptions& options) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    timeval bound{options.boundSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
    if (options.receiveBuffer > 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &options.receiveBuffer, sizeof options.receiveBuffer);
    if (!options.fromAddress.empty()) {
        sockaddr_in from{};
        from.sin_family = AF_INET;
        if (inet_pton(AF_INET, options.fromAddress.c_str(), &from.sin_addr) != 1 ||
            bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) {
            close(fd);
            throw std::runtime_error("cannot send from " + options.fromAddress);
        }
    }
    const sockaddr_in addr = LoopbackAddress(port);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        throw std::runtime_error("cannot connect to 127.0.0.1:" + std::to_string(port));
    }
    for (std::size_t sent = 0; sent < request.size();) {
        ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    std::string response;
    char buf[65536];
    ssize_t n;
    while ((n = recv(fd, buf, sizeof buf, 0)) > 0) {
        response.append(buf, static_cast<std::size_t>(n));
        if (options.onReceived)
            options.onReceived(response);
    }
    close(fd);
    return response;
}

std::string FormDataBody(const std::vector<std::pair<std::string, std::string>>& fields, const std::string& boundary) {
    std::string body;
    for (const auto& [name, value] : fields)
        body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
    return body + "--" + boundary + "--\r\n";
}
