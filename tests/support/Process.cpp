// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/Process.h"

#include <cstdio>

std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    pclose(p);
    return out;
}

bool HaveProgram(const std::string& name) {
    return !RunCommand("command -v '" + name + "' 2>/dev/null").empty();
}
