// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/branding/StandIns.h"

#include "tests/support/gui/WidgetTest.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str()))
        old_ = old;
    if (value)
        setenv(name_.c_str(), value->c_str(), 1);
    else
        unsetenv(name_.c_str());
}

ScopedEnv::~ScopedEnv() {
    if (old_)
        setenv(name_.c_str(), old_->c_str(), 1);
    else
        unsetenv(name_.c_str());
}

RecordingProgram::RecordingProgram(const std::string& dir, const std::string& name)
    : path_(dir + (dir.back() == '/' ? "" : "/") + name), records_(path_ + ".starts") {
    fs::create_directories(dir);
    fs::create_directories(records_);
    std::ofstream script(path_, std::ios::trunc);
    script << "#!/bin/sh\n"
           << "rec='" << records_ << "'/$$\n"
           << "{ echo \"$#\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$rec.tmp\"\n"
           << "mv \"$rec.tmp\" \"$rec.rec\"\n";
    script.close();
    fs::permissions(path_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

std::vector<std::vector<std::string>> RecordingProgram::Starts() const {
    std::vector<std::vector<std::string>> starts;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(records_, ec)) {
        if (entry.path().extension() != ".rec")
            continue;
        std::ifstream in(entry.path());
        std::string line;
        std::getline(in, line);
        const int count = std::atoi(line.c_str());
        std::vector<std::string> args;
        for (int i = 0; i < count && std::getline(in, line); ++i)
            args.push_back(line);
        starts.push_back(args);
    }
    return starts;
}

bool RecordingProgram::WaitForStarts(std::size_t n) const {
    return WaitFor([&] { return Starts().size() >= n; });
}

FakeDesktop::FakeDesktop() {
    for (const char* d : {"home", "config", "xdg", "data", "share1", "share2"})
        fs::create_directories(root_.Path() + d);
    env_.push_back(std::make_unique<ScopedEnv>("HOME", root_.Path() + "home"));
    env_.push_back(std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", root_.Path() + "config"));
    env_.push_back(std::make_unique<ScopedEnv>("XDG_CONFIG_DIRS", root_.Path() + "xdg"));
    env_.push_back(std::make_unique<ScopedEnv>("XDG_DATA_HOME", root_.Path() + "data"));
    env_.push_back(std::make_unique<ScopedEnv>("XDG_DATA_DIRS", root_.Path() + "share1:" + root_.Path() + "share2"));
    env_.push_back(std::make_unique<ScopedEnv>("XDG_CURRENT_DESKTOP", std::nullopt));
}

FakeDesktop::~FakeDesktop() {
    // Put the environment back in the reverse order it was changed.
    while (!env_.empty())
        env_.pop_back();
}

void FakeDesktop::Write(const std::string& relative, const std::string& contents) const {
    fs::path p = root_.Path() + relative;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << contents;
}

void FakeDesktop::SetDefaultBrowser(const std::string& execLine) const {
    Write("data/applications/test-browser.desktop", DesktopEntry(execLine));
    Write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=test-browser.desktop\n");
}

std::string DesktopEntry(const std::string& execLine) {
    return "[Desktop Entry]\nType=Application\nName=Test Browser\nExec=" + execLine + "\n";
}
