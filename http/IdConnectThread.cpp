// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/IdConnectThread.h"

#include "http/IdIOHandlerSocket.h"
#include "http/IdStack.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {
// Errors that mean the socket was taken away under the connect: the waiting
// side abandoned it, which is not a failure of the connect.
constexpr int kBadFileNumber = 10009;
constexpr int kNotASocket = 10038;
}  // namespace

TIdConnectThread::TIdConnectThread(int socket, const sockaddr_in& address) {
    if (::pipe2(stopPipe_, O_CLOEXEC) != 0)
        TIdStack::RaiseLastSocketError();
    try {
        thread_ = std::thread(&TIdConnectThread::Execute, this, socket, address);
    } catch (...) {
        ::close(stopPipe_[0]);
        ::close(stopPipe_[1]);
        throw;
    }
}

TIdConnectThread::~TIdConnectThread() {
    Terminate();
    WaitFor();
    ::close(stopPipe_[0]);
    ::close(stopPipe_[1]);
}

void TIdConnectThread::Execute(int socket, sockaddr_in address) {
    int err = TIdIOHandlerSocket::ConnectSocket(socket, address, stopPipe_[0]);
    std::string message;
    if (err != 0) {
        int number = TIdStack::WSErrorFromErrno(err);
        if (number != kBadFileNumber && number != kNotASocket)
            message = TIdStack::SocketErrorMessage(number);
    }
    std::lock_guard lock(mutex_);
    errorMessage_ = std::move(message);
    finished_ = true;
    finishedChanged_.notify_all();
}

bool TIdConnectThread::WaitFinished(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return finishedChanged_.wait_for(lock, timeout, [this] { return finished_; });
}

bool TIdConnectThread::Finished() {
    std::lock_guard lock(mutex_);
    return finished_;
}

void TIdConnectThread::Terminate() {
    if (stopPipe_[1] < 0)
        return;
    char byte = 1;
    // One byte is enough; a full pipe means it was already told.
    while (::write(stopPipe_[1], &byte, 1) < 0 && errno == EINTR) {
    }
}

void TIdConnectThread::WaitFor() {
    if (thread_.joinable())
        thread_.join();
}
