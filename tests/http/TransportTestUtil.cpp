// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/http/TransportTestUtil.h"

#include "tests/support/Loopback.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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

FullBacklogListener::FullBacklogListener() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = LoopbackAddress(0);
    socklen_t length = sizeof address;
    // A backlog of 0 queues one connection; nothing is ever accepted.
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 0) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("FullBacklogListener: cannot listen");
    port_ = ntohs(address.sin_port);
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

}  // namespace transport_test
