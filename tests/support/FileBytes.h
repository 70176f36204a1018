// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whole files as bytes: the configurations that fixtures write, the logs and
// files that they read back.

#include <string>

// The file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Makes bytes the whole of the file; throws std::runtime_error when it cannot.
void WriteFileBytes(const std::string& path, const std::string& bytes);
