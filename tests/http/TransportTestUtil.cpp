// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/http/TransportTestUtil.h"

#include "tests/support/Loopback.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <malloc.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace transport_test {

RecordingPump::RecordingPump() : start_(Clock::now()) {
    freeze_.Pump = [this] {
        calls_.push_back(MsSince(start_));
        if (OnCall)
            OnCall(int(calls_.size()));
    };
}

void RecordingPump::Reset() {
    calls_.clear();
    start_ = Clock::now();
}

std::vector<long> RecordingPump::Gaps() const {
    std::vector<long> gaps;
    long previous = 0;
    for (long call : calls_) {
        gaps.push_back(call - previous);
        previous = call;
    }
    return gaps;
}

void ExpectSlices(const RecordingPump& pump, const std::vector<long>& slices) {
    const std::vector<long> gaps = pump.Gaps();
    ASSERT_EQ(gaps.size(), slices.size());
    for (std::size_t i = 0; i < gaps.size(); ++i) {
        EXPECT_GE(gaps[i], slices[i] - 5) << "slice " << i;
        EXPECT_LT(gaps[i], slices[i] + 200) << "slice " << i;
    }
}

FullBacklogListener::FullBacklogListener() {
    // A backlog of 0 queues one connection; nothing is ever accepted.
    listener_ = ListenOnLoopback(0, port_);
    if (listener_ < 0)
        throw std::runtime_error("FullBacklogListener: cannot listen");
    for (int i = 0; i < 3; ++i) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_in target = LoopbackAddress(port_);
        ::connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target);
        fillers_.push_back(fd);
    }
    // The queue is full once the first filler is established.
    pollfd first{fillers_[0], POLLOUT, 0};
    if (::poll(&first, 1, 10000) != 1)
        throw std::runtime_error("FullBacklogListener: the queue did not fill");
}

FullBacklogListener::~FullBacklogListener() {
    for (int fd : fillers_)
        ::close(fd);
    ::close(listener_);
}

int RefusingPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = LoopbackAddress(0);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

ChildRun RunInChild(const std::function<std::string()>& operation, long long limitBytes, int boundMs) {
    int out[2];
    if (::pipe(out) != 0)
        throw std::runtime_error("no pipe");
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("no fork");
    if (pid == 0) {
        ::close(out[0]);
        const rlimit limit{rlim_t(limitBytes), rlim_t(limitBytes)};
        ::setrlimit(RLIMIT_AS, &limit);
        // The child starts with the test program's resident pages, free heap
        // included: that heap goes back, and the peak is counted from here.
        ::malloc_trim(0);
        if (const int f = ::open("/proc/self/clear_refs", O_WRONLY); f >= 0) {
            if (::write(f, "5", 1) != 1) {
                // Without the reset the peak counts from the fork: higher, never lower.
            }
            ::close(f);
        }
        std::string outcome;
        try {
            outcome = operation();
        } catch (const std::exception& e) {
            outcome = std::string("raised: ") + e.what();
        } catch (...) {
            outcome = "raised: something";
        }
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        const std::string report = std::to_string(usage.ru_maxrss) + "\n" + outcome;
        for (std::size_t at = 0; at < report.size();) {
            const ssize_t n = ::write(out[1], report.data() + at, report.size() - at);
            if (n <= 0)
                break;
            at += std::size_t(n);
        }
        ::_exit(0);
    }
    ::close(out[1]);
    std::string report;
    const auto start = Clock::now();
    bool killed = false;
    for (;;) {
        const long left = boundMs - MsSince(start);
        pollfd wait{out[0], POLLIN, 0};
        if (left <= 0 || ::poll(&wait, 1, int(left)) == 0) {
            ::kill(pid, SIGKILL);
            killed = true;
            break;
        }
        char chunk[4096];
        const ssize_t n = ::read(out[0], chunk, sizeof chunk);
        if (n <= 0)
            break;
        report.append(chunk, std::size_t(n));
    }
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ChildRun run;
    run.ended = !killed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const std::size_t lf = report.find('\n');
    if (run.ended && lf != std::string::npos) {
        run.peakKb = std::stol(report.substr(0, lf));
        run.outcome = report.substr(lf + 1);
    } else {
        run.ended = false;
    }
    return run;
}

}  // namespace transport_test
