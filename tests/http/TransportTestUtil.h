// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the transport tests: a pump that records when it ran, a
// listener that never completes a connect, and a port nobody listens on.

#include "http/IdAntiFreeze.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace transport_test {

using Clock = std::chrono::steady_clock;

inline long MsSince(Clock::time_point start) {
    return long(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// A TIdAntiFreeze whose pump records the moment of each call, in
// milliseconds since Reset (or since creation), and runs an optional action.
class RecordingPump {
public:
    RecordingPump();
    void Reset();
    const std::vector<long>& Calls() const { return calls_; }
    // Gaps between the start and the first call, and between later calls.
    std::vector<long> Gaps() const;
    TIdAntiFreeze& AntiFreeze() { return freeze_; }
    // Runs on every call with the number of calls so far.
    std::function<void(int)> OnCall;

private:
    TIdAntiFreeze freeze_;
    Clock::time_point start_;
    std::vector<long> calls_;
};

// Expects the pump's gaps to be the given slices, each waited whole (5 ms
// early at most) and not much longer.
void ExpectSlices(const RecordingPump& pump, const std::vector<long>& slices);

// A loopback listener whose accept queue is full, so that a further connect
// is never answered and stays pending until abandoned.
class FullBacklogListener {
public:
    FullBacklogListener();
    ~FullBacklogListener();
    int Port() const { return port_; }

private:
    int listener_ = -1;
    std::vector<int> fillers_;
    int port_ = 0;
};

// A loopback port with nothing listening on it: connects are refused.
int RefusingPort();

// What an operation run in a child process came to.
struct ChildRun {
    bool ended = false;    // ended by itself within the bound
    std::string outcome;   // what the operation returned, or "raised: <what()>"
    long peakKb = 0;       // the child's peak resident memory (getrusage), from
                           // the start of the operation
};

// Runs operation in a forked child whose address space is capped at
// limitBytes (so a client that grows without bound fails there instead of
// taking the machine's memory), and reports its outcome and peak memory:
// the pages the child still shares with this program, and what the
// operation took. A child still running after boundMs is killed.
ChildRun RunInChild(const std::function<std::string()>& operation, long long limitBytes = 2LL << 30,
                    int boundMs = 60000);

}  // namespace transport_test
