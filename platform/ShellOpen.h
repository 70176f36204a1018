// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starting other programs the way a desktop shell does: detached, without
// a shell in between, so every argument arrives exactly as given.

#include <string>
#include <vector>

// Starts program (a path, or a name looked up in PATH) with the arguments
// and does not wait for it. False when it could not be started.
bool StartProgram(const std::string& program, const std::vector<std::string>& args);

// Asks the desktop to open a document or address with whatever handler it
// has registered for it (xdg-open). An empty address opens nothing.
bool ShellOpenDocument(const std::string& address);
