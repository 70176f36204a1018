// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Running a shell command from a test and taking what it prints.

#include <string>

// Runs command with /bin/sh and returns its standard output.
std::string RunCommand(const std::string& command);

// True when the program is on the PATH.
bool HaveProgram(const std::string& name);
