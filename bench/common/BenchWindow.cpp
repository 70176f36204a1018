// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/common/BenchWindow.h"

#include "platform/ExeDir.h"

#include <QSignalSpy>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

BenchWindow::BenchWindow(int serverPort) {
    char dir[] = "/tmp/corvanta-bench-XXXXXX";
    dir_ = mkdtemp(dir);
    SetExeDirOverride(dir_);
    std::ofstream(dir_ + "/settings.dat") << "[Settings]\r\nwebserver=http://127.0.0.1:" << serverPort << "\r\n";
    window_ = std::make_unique<TfrmMain>();
    QSignalSpy started(window_.get(), &TfrmMain::StartupFinished);
    window_->show();
    (void)QTest::qWaitForWindowExposed(window_.get());
    if (!QTest::qWaitFor([&] { return started.count() == 1; }, 60000))
        qFatal("the main window did not finish its start-up within a minute");
}

BenchWindow::~BenchWindow() {
    window_.reset();
    SetExeDirOverride("");
    std::remove((dir_ + "/settings.dat").c_str());
    rmdir(dir_.c_str());
}
