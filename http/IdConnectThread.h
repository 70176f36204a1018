// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The short-lived worker that performs one blocking connect while the thread
// that asked for it waits with a time-out and keeps the window responsive.
// The waiting side is woken the moment the connect ends, so a quick connect
// costs no waiting step. Terminate makes an unfinished connect give up at
// once; the waiting side then closes the socket. A connect that ends because
// it was abandoned records no failure.

#include <netinet/in.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class TIdConnectThread {
public:
    // Starts connecting socket to address.
    TIdConnectThread(int socket, const sockaddr_in& address);
    // Terminates and waits for the worker when still running.
    ~TIdConnectThread();
    TIdConnectThread(const TIdConnectThread&) = delete;
    TIdConnectThread& operator=(const TIdConnectThread&) = delete;

    // Waits at most timeout for the worker to finish; true when it has.
    bool WaitFinished(std::chrono::milliseconds timeout);
    bool Finished();
    // Tells an unfinished connect to give up.
    void Terminate();
    // Waits for the worker thread to end.
    void WaitFor();
    // The failure message of the connect ("Socket Error # ..."), empty when
    // it succeeded or was abandoned. Read after WaitFor.
    const std::string& ErrorMessage() const { return errorMessage_; }

private:
    void Execute(int socket, sockaddr_in address);

    int stopPipe_[2] = {-1, -1};
    std::mutex mutex_;
    std::condition_variable finishedChanged_;
    bool finished_ = false;
    std::string errorMessage_;
    std::thread thread_;
};
