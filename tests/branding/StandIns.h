// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stand-ins for the desktop around the client: a recording program that
// plays the browser or xdg-open and writes down the arguments of each
// start, and a desktop whose HOME and XDG directories point into a
// temporary tree, so the default-browser lookup reads only what a test
// wrote there.

#include "tests/support/TempDir.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Sets (or, with no value, removes) an environment variable for the life
// of the object, and puts the old value back afterwards.
class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// An executable shell script at dir/name that records each start's
// arguments in a file of its own, written whole (renamed into place).
class RecordingProgram {
public:
    RecordingProgram(const std::string& dir, const std::string& name);
    const std::string& Path() const { return path_; }
    // The argument lists of the starts recorded so far, in no set order.
    std::vector<std::vector<std::string>> Starts() const;
    // Waits, with the widget tests' bound, until n starts are recorded.
    bool WaitForStarts(std::size_t n) const;

private:
    std::string path_;
    std::string records_;
};

class FakeDesktop {
public:
    // Points HOME, XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME and
    // XDG_DATA_DIRS (two directories) into a fresh tree, with no current
    // desktop set; nothing is registered yet.
    FakeDesktop();
    ~FakeDesktop();

    // root/home, root/config, root/xdg, root/data, root/share1, root/share2.
    std::string Path(const std::string& relative) const { return root_.Path() + relative; }
    // Writes a file below the root, creating its directories.
    void Write(const std::string& relative, const std::string& contents) const;
    // Registers a desktop entry with that Exec= line as the user's default
    // http handler.
    void SetDefaultBrowser(const std::string& execLine) const;

private:
    TempDir root_;
    std::vector<std::unique_ptr<ScopedEnv>> env_;
};

// The text of a desktop entry for an application with that Exec= line.
std::string DesktopEntry(const std::string& execLine);
