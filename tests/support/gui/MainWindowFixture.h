// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A test fixture with the real main window, built in a temporary directory
// that plays the executable directory. Files the window should find at
// start (settings.dat, dbconfig.dat, ...) are written with Prepare() before
// Start() builds the window; Start() waits until the start-up tick has run.

#include "app/FMain.h"
#include "platform/ExeDir.h"
#include "tests/support/TempDir.h"
#include "tests/support/gui/WidgetTest.h"
#include "toolkit/SkinButton.h"
#include "toolkit/SkinLinkLabel.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { SetExeDirOverride(dir.Path()); }
    void TearDown() override {
        window.reset();
        SetExeDirOverride("");
    }

    // settings.dat pointing the client at a site URL.
    void PrepareSite(const std::string& siteURL) {
        dir.Write("settings.dat", "[Settings]\r\nwebserver=" + siteURL + "\r\n");
    }

    TfrmMain& Start() {
        window = std::make_unique<TfrmMain>();
        QSignalSpy started(window.get(), &TfrmMain::StartupFinished);
        window->show();
        EXPECT_TRUE(WaitFor([&] { return started.count() == 1; }));
        return *window;
    }

    TempDir dir;
    std::unique_ptr<TfrmMain> window;
};
