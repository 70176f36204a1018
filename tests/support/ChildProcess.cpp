// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ChildProcess.h"

#include "tests/support/FileBytes.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Short pause between looks at a condition that has no event to wait on
// (a child's end, a port that starts to listen).
void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string& x : extra)
            replaced = replaced || x.substr(0, x.find('=')) == name;
        if (!replaced)
            env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> p;
    for (std::string& t : texts)
        p.push_back(t.data());
    p.push_back(nullptr);
    return p;
}

} // namespace

ChildProcess::~ChildProcess() { Stop(10000); }

void ChildProcess::Start(const std::vector<std::string>& argvIn, const Options& options) {
    if (pid_ > 0)
        throw std::runtime_error("child process already started");
    EndGroup();
    // Everything the child needs is prepared before the fork: after it only
    // async-signal-safe calls are allowed.
    std::vector<std::string> argv = argvIn;
    std::vector<std::string> env = MergedEnvironment(options.env);
    std::vector<char*> argvp = Pointers(argv);
    std::vector<char*> envp = Pointers(env);
    std::string log = options.logFile.empty() ? "/dev/null" : options.logFile;
    std::vector<std::pair<int, int>> fds = options.fds;
    int highest = 2;
    for (auto& [target, source] : fds)
        highest = std::max(highest, target);
    const pid_t parent = getpid();

    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
    if (pid == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        // Sources first out of the way, so no target overwrites a source.
        for (auto& [target, source] : fds)
            source = fcntl(source, F_DUPFD, 1000);
        for (auto& [target, source] : fds)
            dup2(source, target);
        int in = open("/dev/null", O_RDONLY);
        int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        dup2(in, 0);
        dup2(out, 1);
        dup2(out, 2);
        close_range(static_cast<unsigned>(highest) + 1, ~0u, 0);
        execve(argvp[0], argvp.data(), envp.data());
        _exit(127);
    }
    // Also from this side, so a stop right after the start reaches the group.
    setpgid(pid, pid);
    pid_ = pid;
    group_ = pid;
    status_ = -1;
    StartGuard();
}

void ChildProcess::StartGuard() {
    int ends[2];
    // Without a guard the kernel still ends the child itself.
    if (pipe2(ends, O_CLOEXEC) != 0)
        return;
    const pid_t group = group_;
    pid_t pid = fork();
    if (pid < 0) {
        close(ends[0]);
        close(ends[1]);
        return;
    }
    if (pid == 0) {
        setpgid(0, group);
        // The stop's SIGTERM is meant for the servers; the guard goes with
        // the SIGKILL that ends the group.
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGTERM, &ignore, nullptr);
        sigaction(SIGINT, &ignore, nullptr);
        sigaction(SIGHUP, &ignore, nullptr);
        dup2(ends[0], 0);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        // Every other descriptor goes, the write end among them: only the
        // test program holds that, so the read sees the end of the pipe
        // exactly when the test program is gone.
        close_range(3, ~0u, 0);
        char byte;
        while (read(0, &byte, 1) < 0 && errno == EINTR) {
        }
        kill(-group, SIGKILL);
        _exit(0);
    }
    setpgid(pid, group);
    close(ends[0]);
    guard_ = pid;
    guardPipe_ = ends[1];
}

void ChildProcess::EndGroup() {
    // The guard is a member until it is reaped, so the group's number
    // cannot have passed to anyone else yet.
    if (group_ > 0)
        kill(-group_, SIGKILL);
    if (guard_ > 0)
        waitpid(guard_, nullptr, 0);
    if (guardPipe_ >= 0)
        close(guardPipe_);
    guard_ = -1;
    guardPipe_ = -1;
    group_ = -1;
}

bool ChildProcess::Running() {
    if (pid_ <= 0)
        return false;
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == 0)
        return true;
    status_ = r == pid_ ? status : -1;
    pid_ = -1;
    return false;
}

bool ChildProcess::Wait(int boundMs) {
    auto end = Clock::now() + std::chrono::milliseconds(boundMs);
    while (Running()) {
        if (Clock::now() >= end)
            return false;
        Pause();
    }
    return true;
}

void ChildProcess::Stop(int boundMs) {
    if (pid_ > 0) {
        kill(-group_, SIGTERM);
        if (!Wait(boundMs)) {
            kill(-group_, SIGKILL);
            int status = 0;
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }
    // Helpers of the child that outlived it (a browser's renderers, a web
    // server's workers), and the guard.
    EndGroup();
}

int RunProgram(const std::vector<std::string>& argv, const std::string& logFile, int boundMs) {
    ChildProcess child;
    ChildProcess::Options options;
    options.logFile = logFile;
    child.Start(argv, options);
    if (!child.Wait(boundMs)) {
        child.Stop(1000);
        return -1;
    }
    int status = child.ExitStatus();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string FindProgram(const std::string& name, const std::vector<std::string>& extraDirs) {
    std::vector<std::string> dirs;
    if (const char* path = std::getenv("PATH")) {
        std::stringstream ss(path);
        std::string dir;
        while (std::getline(ss, dir, ':'))
            if (!dir.empty())
                dirs.push_back(dir);
    }
    dirs.insert(dirs.end(), extraDirs.begin(), extraDirs.end());
    for (const std::string& dir : dirs) {
        std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

std::string FindServerProgram(const std::string& name, const std::string& alternative) {
    const std::vector<std::string> sbin = {"/usr/sbin", "/usr/local/sbin", "/sbin"};
    std::string path = FindProgram(name, sbin);
    return path.empty() && !alternative.empty() ? FindProgram(alternative, sbin) : path;
}

int FreeLoopbackPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close(fd);
        throw std::runtime_error("no free loopback port");
    }
    close(fd);
    return ntohs(addr.sin_port);
}

bool WaitForPort(int port, ChildProcess& server, int boundMs) {
    auto end = Clock::now() + std::chrono::milliseconds(boundMs);
    for (;;) {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<uint16_t>(port));
        bool up = fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        if (fd >= 0)
            close(fd);
        if (up)
            return true;
        if (!server.Running() || Clock::now() >= end)
            return false;
        Pause();
    }
}

void AwaitListening(ChildProcess& server, int port, int boundMs, const std::string& name,
                    const std::vector<std::string>& logs) {
    if (!WaitForPort(port, server, boundMs))
        throw std::runtime_error(WithLogTails(name + " did not start", logs));
}

std::string FileTail(const std::string& path, std::size_t maxBytes) {
    std::string text = ReadFileBytes(path);
    return text.size() > maxBytes ? text.substr(text.size() - maxBytes) : text;
}

std::string WithLogTails(const std::string& what, const std::vector<std::string>& logs) {
    std::string report = what;
    for (const std::string& log : logs)
        report += "\n--- " + log + " ---\n" + FileTail(log);
    return report;
}
