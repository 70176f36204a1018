// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing a whole file so that a crash or a full disk never leaves half of
// it: the bytes go to a temporary file in the same directory, which then
// replaces the target in one rename.

#include <string>
#include <sys/types.h>

// Replaces (or creates) path with bytes, with the given permission bits.
// Raises EPlatformError "Cannot create file "<path>". <reason>" on failure;
// the previous file is then left as it was.
void WriteFileAtomically(const std::string& path, const std::string& bytes, mode_t mode);

// Reads a whole file; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& bytes);

bool FileExists(const std::string& path);
