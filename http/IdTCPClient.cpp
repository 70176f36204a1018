// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdTCPClient.h"

#include "http/IdAntiFreeze.h"
#include "http/IdConnectThread.h"
#include "http/IdException.h"
#include "http/IdStack.h"

#include <algorithm>
#include <chrono>

namespace {
constexpr int kConnectStep = 125;
constexpr int kPumpedConnectTimeout = 120000;
}  // namespace

void TIdTCPClient::Connect(int timeout) {
    if (Connected())
        throw EIdAlreadyConnected();
    ResetForConnect();
    const auto started = std::chrono::steady_clock::now();
    // The connect's time-out (-1: a blocking connect, without one), which a
    // handshake after it shares.
    const int limit = timeout != 0 && timeout != -1 ? timeout
                      : TIdAntiFreeze::ShouldUse()  ? kPumpedConnectTimeout
                                                    : -1;
    struct Connecting {
        TIdTCPClient& client;
        explicit Connecting(TIdTCPClient& c) : client(c) {
            client.connecting_ = true;
            client.connectAborted_ = false;
        }
        ~Connecting() { client.connecting_ = false; }
    } connecting(*this);
    try {
        endpoint_->Allocate();
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(std::uint16_t(port_));
        address.sin_addr = TIdStack::ResolveHost(host_);
        if (limit != -1) {
            ConnectTimeoutWait(address, limit);
        } else {
            int err = TIdIOHandlerSocket::ConnectSocket(endpoint_->Handle(), address, -1);
            if (err != 0)
                TIdStack::RaiseSocketError(TIdStack::WSErrorFromErrno(err));
        }
        Handshake(host_, limit, started);
    } catch (...) {
        endpoint_->Close();
        hasEndpoint_ = false;
        throw;
    }
}

void TIdTCPClient::ConnectTimeoutWait(const sockaddr_in& address, int timeout) {
    using std::chrono::milliseconds;
    int step = kConnectStep;
    if (TIdAntiFreeze::ShouldUse())
        step = std::clamp(TIdAntiFreeze::Instance()->IdleTimeOut, 1, kConnectStep);

    TIdConnectThread worker(endpoint_->Handle(), address);
    int remaining = timeout;
    bool finished = false;
    while (remaining > step) {
        if (worker.WaitFinished(milliseconds(step))) {
            finished = true;
            break;
        }
        TIdAntiFreeze::DoProcess(true);
        if (connectAborted_) {
            // A handler run by the pump closed the connection.
            worker.Terminate();
            worker.WaitFor();
            throw EIdConnClosedGracefully();
        }
        remaining -= step;
    }
    if (!finished && remaining > 0)
        finished = worker.WaitFinished(milliseconds(remaining));
    if (!finished) {
        worker.Terminate();
        worker.WaitFor();
        endpoint_->Close();
        throw EIdConnectTimeout();
    }
    worker.WaitFor();
    if (!worker.ErrorMessage().empty())
        throw EIdConnectException(worker.ErrorMessage());
}
