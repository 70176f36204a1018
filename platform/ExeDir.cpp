// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ExeDir.h"

#include <climits>
#include <unistd.h>

namespace {
std::string& Override() {
    static std::string dir;
    return dir;
}

std::string RealExeDir() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "./";
    std::string path(buf, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}
} // namespace

std::string ExeDir() {
    if (!Override().empty())
        return Override();
    static const std::string real = RealExeDir();
    return real;
}

void SetExeDirOverride(const std::string& dir) {
    Override() = dir;
    if (!dir.empty() && dir.back() != '/')
        Override() += '/';
}
