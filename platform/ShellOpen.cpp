// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ShellOpen.h"

#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

bool StartProgram(const std::string& program, const std::vector<std::string>& args) {
    if (program.empty())
        return false;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // Its own session: closing the client does not take the started program along.
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0)
        return false;
    // Reap it whenever it ends, so no zombie is left behind.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}

bool ShellOpenDocument(const std::string& address) {
    if (address.empty())
        return false;
    return StartProgram("xdg-open", {address});
}
