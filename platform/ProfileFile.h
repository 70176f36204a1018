// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// INI profile files, read and written the way the client's settings files
// have always been: section and key names match regardless of letter case;
// a missing file, section or key gives the default; a value comes back
// without the blanks around it and without one pair of enclosing quotes, and
// at most 2047 characters of it. Writing creates file, section and key as
// needed and keeps every other line of the file.

#include <string>
#include <utility>
#include <vector>

inline constexpr std::size_t kProfileValueLimit = 2047;

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue = "");

// Writes one key. Raises EPlatformError "Unable to write to <path>" when the
// file cannot be written; the file is then left as it was.
void WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value);

// Writes several keys of one section in one replacement of the file, in the
// order given for keys that are new. The file is replaced atomically and
// created readable by its owner only.
void WriteProfileStrings(const std::string& path, const std::string& section,
                         const std::vector<std::pair<std::string, std::string>>& values);
