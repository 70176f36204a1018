// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/common/BenchSupport.h"

#include <arpa/inet.h>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

OneReplyServer::OneReplyServer(std::string body) {
    response_ = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                "\r\nConnection: close\r\n\r\n" + body;
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    listen(listener_, 16);
    thread_ = std::thread([this] { Run(); });
}

OneReplyServer::~OneReplyServer() {
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    thread_.join();
}

void OneReplyServer::Run() {
    for (;;) {
        int c = accept(listener_, nullptr, nullptr);
        if (c < 0)
            return;
        // Read the head and whatever body its Content-Length announces.
        std::string request;
        char buf[65536];
        std::size_t need = std::string::npos;
        while (request.size() < need) {
            ssize_t n = recv(c, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            request.append(buf, static_cast<std::size_t>(n));
            std::size_t headEnd = request.find("\r\n\r\n");
            if (need == std::string::npos && headEnd != std::string::npos) {
                std::size_t cl = request.find("Content-Length: ");
                need = headEnd + 4 + (cl == std::string::npos ? 0 : std::stoul(request.substr(cl + 16)));
            }
        }
        std::size_t sent = 0;
        while (sent < response_.size()) {
            ssize_t n = send(c, response_.data() + sent, response_.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<std::size_t>(n);
        }
        shutdown(c, SHUT_WR);
        while (recv(c, buf, sizeof buf, 0) > 0) {
        }
        close(c);
    }
}

long long ResidentBytes() {
    long long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%lld %lld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}
