// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps the window responsive while the network waits on the user-interface
// thread. One object per process, registered globally while it exists; the
// waits of the connection call DoProcess at fixed points (after each connect
// wait step, after each read-wait slice that saw no data, in the 1 ms poll),
// and the pump the application set runs there. The transport knows no window
// toolkit: the application sets Pump to process its pending events, and tests
// set one that records its calls.
//
// Pumping is in force only while the object exists, is Active, and the
// waiting code runs on the thread that created it (the user-interface
// thread). Sending and name resolution never pump.

#include <functional>
#include <thread>

class TIdAntiFreeze {
public:
    // Registers this object as the process's one anti-freeze; a second one
    // while the first exists is refused with EIdException.
    TIdAntiFreeze();
    ~TIdAntiFreeze();
    TIdAntiFreeze(const TIdAntiFreeze&) = delete;
    TIdAntiFreeze& operator=(const TIdAntiFreeze&) = delete;

    // Pumping allowed at all.
    bool Active = true;
    // A pump processes every pending event, not just one. The pump callback
    // decides how much it processes; the application's processes them all.
    bool ApplicationHasPriority = true;
    // Milliseconds: the slice length of read waits.
    int IdleTimeOut = 250;
    // Pump only when the wait that just ended saw no data.
    bool OnlyWhenIdle = true;
    // Processes the pending events of the user-interface thread.
    std::function<void()> Pump;

    // The registered object, or none.
    static TIdAntiFreeze* Instance();
    // True when pumping is in force for the calling thread.
    static bool ShouldUse();
    // Runs the pump when pumping is in force and the wait that just ended
    // was idle (or OnlyWhenIdle is off).
    static void DoProcess(bool idle);

private:
    std::thread::id owner_;
};
