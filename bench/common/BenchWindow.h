// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real main window for a benchmark, in a temporary executable directory
// whose settings.dat points at a loopback server; shown, with its start-up
// tick run, when the constructor returns. The directory goes with it.

#include "app/FMain.h"

#include <memory>
#include <string>

class BenchWindow {
public:
    explicit BenchWindow(int serverPort);
    ~BenchWindow();
    TfrmMain& Window() { return *window_; }

private:
    std::string dir_;
    std::unique_ptr<TfrmMain> window_;
};
