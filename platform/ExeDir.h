// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The directory of the running executable, where every file the client
// reads or writes lives; the current directory plays no part.

#include <string>

// The directory with its trailing "/".
std::string ExeDir();

// Makes ExeDir() answer another directory (a trailing "/" is added when
// missing); an empty text restores the real one. Tests use a temporary
// directory as the executable directory this way.
void SetExeDirOverride(const std::string& dir);
