// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small helpers shared by the benchmarks: a one-shot loopback HTTP server,
// the resident memory of the process, and a stopwatch.

#include <chrono>
#include <string>
#include <thread>

// Serves each request that arrives with the same 200 reply carrying body,
// on a free loopback port, until destroyed.
class OneReplyServer {
public:
    explicit OneReplyServer(std::string body);
    ~OneReplyServer();
    int Port() const { return port_; }

private:
    void Run();
    std::string response_;
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};

// Resident set size of this process in bytes.
long long ResidentBytes();

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
