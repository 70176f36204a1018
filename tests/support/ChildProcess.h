// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Programs that a test starts and must never leave behind (database and web
// servers, a browser). Each child runs in a process group of its own, so a
// stop reaches the helpers it forks too (a web server's workers, a browser's
// renderers). Should the test program die first, the kernel kills the child,
// and a small guard process in the group kills the rest of it: the helpers
// would otherwise live on, still holding the child's port.

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

class ChildProcess {
public:
    struct Options {
        std::string logFile;                    // stdout and stderr (appended); /dev/null when empty
        std::vector<std::string> env;           // "NAME=value" added to or replacing the test's own
        std::vector<std::pair<int, int>> fds;   // {fd in the child, fd of this process} handed over
    };

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // argv[0] is the program's path. Throws std::runtime_error when it cannot start.
    void Start(const std::vector<std::string>& argv, const Options& options);
    pid_t Pid() const { return pid_; }
    // False once the child has ended (its status is then in ExitStatus()).
    bool Running();
    int ExitStatus() const { return status_; }
    // Waits up to boundMs for the child to end; true when it did.
    bool Wait(int boundMs);
    // SIGTERM to the group, up to boundMs for the child to end, then SIGKILL
    // to whatever is left of the group.
    void Stop(int boundMs);

private:
    void StartGuard();
    void EndGroup();

    pid_t pid_ = -1;
    pid_t group_ = -1;   // outlives pid_ until the group is gone
    pid_t guard_ = -1;
    int guardPipe_ = -1; // its write end: the guard acts when it closes
    int status_ = -1;
};

// Runs a program to its end within boundMs (killed past it); returns its
// exit code, or -1 when it did not end normally.
int RunProgram(const std::vector<std::string>& argv, const std::string& logFile, int boundMs);

// The program's path: found on PATH or in the given directories; empty when
// it is nowhere.
std::string FindProgram(const std::string& name, const std::vector<std::string>& extraDirs = {});
// A server's program (mariadbd, apache2, ...) or one that comes with it: on
// PATH or in the sbin directories that a user's PATH may leave out. The
// alternative is looked for when name is nowhere.
std::string FindServerProgram(const std::string& name, const std::string& alternative = {});

// A loopback port that nothing listens on at the moment of the call.
int FreeLoopbackPort();

// True once a TCP connect to 127.0.0.1:port succeeds within boundMs; false
// at the bound or as soon as the child ends.
bool WaitForPort(int port, ChildProcess& server, int boundMs);
// WaitForPort for a fixture's server: when it does not listen, throws
// std::runtime_error "<name> did not start" with the end of each log.
void AwaitListening(ChildProcess& server, int port, int boundMs, const std::string& name,
                    const std::vector<std::string>& logs);

// The last lines of a text file, for failure reports.
std::string FileTail(const std::string& path, std::size_t maxBytes = 4000);
// A failure report: what went wrong, then the end of each log under its name.
std::string WithLogTails(const std::string& what, const std::vector<std::string>& logs);
